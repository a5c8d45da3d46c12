#include "sim/simulated_hid_device.h"

#include <algorithm>
#include <limits>
#include <mutex>
#include <utility>

#include "core/command_frame.h"
#include "core/reader_settings.h"

namespace tessaron::sim {

namespace {

constexpr std::size_t UNLIMITED = std::numeric_limits<std::size_t>::max();

std::uint16_t ProductForFormat(Byte hidFormat) {
  return ProductIdOf(hidFormat == HID_FORMAT_KALDOR_KEYBOARD ? InterfaceType::UsbHidKb : InterfaceType::UsbHid);
}

}  // namespace

struct SimulatedHidDevice::Shared {
  Shared(SimulatedReader& r, SimulatedHidOptions o)
      : reader(r),
        options(std::move(o)),
        productId(options.productId != 0 ? options.productId
                                         : ProductForFormat(reader.HidFormat())) {}

  // The reader changes its USB interface: new product id, and every handle opened
  // before is gone.
  void Reenumerate() {
    productId = ProductForFormat(reader.HidFormat());
    ++generation;
    ++reenumerations;
    switchPending = false;
    input.clear();
    output.clear();
    outputPos = 0;
  }

  // Runs the complete frame in the collected input through the reader.
  void TakeInput() {
    // Noise and padding before a frame's STX and its direction letter can never begin one.
    const std::size_t garbage = SimulatedReader::LeadingGarbageLength(input.data(), input.size());
    input.erase(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(garbage));
    if (input.empty()) return;
    const std::size_t frameLength = SimulatedReader::CompleteFrameLength(input.data(), input.size());
    if (frameLength == 0) {
      if (input.size() > SIM_HID_MAX_PENDING_INPUT) input.clear();
      return;
    }
    const Byte formatBefore = reader.HidFormat();
    ByteString reply =
        reader.HandleCommand(input.data(), std::min(frameLength, input.size()), ReplyStyle::Hid);
    // A frame ends inside its last report; the rest of that report is padding.
    input.clear();
    output = idleOnly ? ByteString() : std::move(reply);
    outputPos = 0;
    idleReadsLeft = idleReadsBeforeChunks;
    if (reader.HidFormat() != formatBefore) {
      switchPending = true;
      if (output.empty()) Reenumerate();
    }
  }

  mutable std::mutex lock;
  SimulatedReader& reader;
  const SimulatedHidOptions options;
  std::uint16_t productId;
  std::size_t generation = 0;
  std::size_t reenumerations = 0;
  bool switchPending = false;

  ByteString input;          // command bytes collected from set-feature reports
  ByteString output;         // the reply being handed out
  std::size_t outputPos = 0; // bytes of output handed out so far

  std::size_t failSetFeatures = 0;
  bool answering = true;
  std::size_t answersLeft = UNLIMITED;
  bool idleOnly = false;
  std::size_t idleReadsBeforeChunks = 0;
  std::size_t idleReadsLeft = 0;  // before the next chunk

  std::vector<ByteString> received;
  std::size_t setCalls = 0;
  std::size_t getCalls = 0;
  std::size_t openCalls = 0;
  bool lastOpenReadWrite = false;
};

SimulatedHidDevice::SimulatedHidDevice(SimulatedReader& reader, SimulatedHidOptions options)
    : shared_(std::make_shared<Shared>(reader, std::move(options))) {}

SimulatedHidDevice::SimulatedHidDevice(std::shared_ptr<Shared> shared)
    : shared_(std::move(shared)) {}

SimulatedHidDevice::~SimulatedHidDevice() = default;

bool SimulatedHidDevice::Open(const std::string& path, bool readWrite) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  ++shared_->openCalls;
  shared_->lastOpenReadWrite = readWrite;
  open_ = false;
  if (path != shared_->options.path) return false;
  open_ = true;
  openedGeneration_ = shared_->generation;
  return true;
}

bool SimulatedHidDevice::GetAttributes(std::uint16_t* vendorId, std::uint16_t* productId) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  if (!open_ || openedGeneration_ != shared_->generation) return false;
  if (vendorId == nullptr || productId == nullptr) return false;
  *vendorId = shared_->options.vendorId;
  *productId = shared_->productId;
  return true;
}

bool SimulatedHidDevice::GetFeatureReportLength(std::uint32_t* length) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  if (length == nullptr) return false;
  *length = 0;
  if (!open_ || openedGeneration_ != shared_->generation) return false;
  *length = shared_->options.featureReportLength;
  return true;
}

bool SimulatedHidDevice::SetFeature(const Byte* report, std::size_t length) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  Shared& s = *shared_;
  ++s.setCalls;
  if (!open_ || openedGeneration_ != s.generation) return false;
  if (s.failSetFeatures > 0) {
    --s.failSetFeatures;
    return false;
  }
  if (report == nullptr || length != s.options.featureReportLength || length < 1 ||
      report[0] != 0) {
    return false;
  }
  s.received.emplace_back(report, report + length);
  s.input.insert(s.input.end(), report + 1, report + length);
  s.TakeInput();
  return true;
}

bool SimulatedHidDevice::GetFeature(Byte* report, std::size_t length) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  Shared& s = *shared_;
  ++s.getCalls;
  if (!open_ || openedGeneration_ != s.generation) return false;
  // The host polls only once it has sent its whole command: input that has not formed a
  // frame by now never will (a malformed command), and must not spoil the next one.
  s.input.clear();
  if (!s.answering || s.answersLeft == 0) return false;
  if (report == nullptr || length != s.options.featureReportLength || length < 2) return false;
  if (s.answersLeft != UNLIMITED) --s.answersLeft;

  std::fill(report, report + length, Byte{0});
  if (s.outputPos >= s.output.size() || s.idleReadsLeft > 0) {
    if (s.idleReadsLeft > 0) --s.idleReadsLeft;
    report[1] = HID_IDLE_REPORT_MARKER;
    return true;
  }
  s.idleReadsLeft = s.idleReadsBeforeChunks;
  const std::size_t count = std::min(length - 1, s.output.size() - s.outputPos);
  std::copy_n(s.output.begin() + static_cast<std::ptrdiff_t>(s.outputPos), count, report + 1);
  s.outputPos += count;
  // The reader re-appears once the acknowledgement of the write has gone out.
  if (s.outputPos >= s.output.size() && s.switchPending) s.Reenumerate();
  return true;
}

void SimulatedHidDevice::Close() {
  std::lock_guard<std::mutex> guard(shared_->lock);
  open_ = false;
}

std::unique_ptr<HidDevice> SimulatedHidDevice::NewHandle() const {
  return std::unique_ptr<HidDevice>(new SimulatedHidDevice(shared_));
}

HidDeviceFactory SimulatedHidDevice::Factory() const {
  std::shared_ptr<Shared> shared = shared_;
  return [shared](const std::string& path) -> std::unique_ptr<HidDevice> {
    if (path != shared->options.path) return nullptr;
    return std::unique_ptr<HidDevice>(new SimulatedHidDevice(shared));
  };
}

std::string SimulatedHidDevice::Path() const { return shared_->options.path; }

std::uint16_t SimulatedHidDevice::VendorId() const { return shared_->options.vendorId; }

std::uint16_t SimulatedHidDevice::ProductId() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->productId;
}

ListedDevice SimulatedHidDevice::Listing() const {
  ListedDevice device;
  device.node = Path();
  device.hasUsbAncestor = true;
  device.vendorId = VendorId();
  device.productId = ProductId();
  device.idsKnown = true;
  return device;
}

std::size_t SimulatedHidDevice::Reenumerations() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->reenumerations;
}

void SimulatedHidDevice::FailNextSetFeatures(std::size_t count) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  shared_->failSetFeatures = count;
}

void SimulatedHidDevice::SetAnswering(bool answering) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  shared_->answering = answering;
  if (answering) shared_->answersLeft = UNLIMITED;
}

void SimulatedHidDevice::StopAnsweringAfter(std::size_t count) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  shared_->answersLeft = count;
}

void SimulatedHidDevice::SetIdleReadsBeforeChunks(std::size_t count) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  shared_->idleReadsBeforeChunks = count;
  shared_->idleReadsLeft = count;
}

void SimulatedHidDevice::SetIdleOnly(bool idleOnly) {
  std::lock_guard<std::mutex> guard(shared_->lock);
  shared_->idleOnly = idleOnly;
}

std::vector<ByteString> SimulatedHidDevice::ReceivedReports() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->received;
}

std::size_t SimulatedHidDevice::SetFeatureCalls() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->setCalls;
}

std::size_t SimulatedHidDevice::GetFeatureCalls() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->getCalls;
}

std::size_t SimulatedHidDevice::OpenCalls() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->openCalls;
}

bool SimulatedHidDevice::LastOpenReadWrite() const {
  std::lock_guard<std::mutex> guard(shared_->lock);
  return shared_->lastOpenReadWrite;
}

HidDeviceFactory MakeSimulatedHidFactory(
    const std::vector<std::shared_ptr<SimulatedHidDevice>>& devices) {
  return [devices](const std::string& path) -> std::unique_ptr<HidDevice> {
    for (const auto& device : devices) {
      if (device && device->Path() == path) return device->NewHandle();
    }
    return nullptr;
  };
}

}  // namespace tessaron::sim
