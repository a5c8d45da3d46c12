#pragma once
// A reader port without a device: it answers each frame with the next scripted reply, by the
// serial line's rule (an exchange succeeds when the first byte is the acknowledgement), and
// records what it was sent and how it was opened and closed.

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/command_frame.h"
#include "core/reader_port.h"

namespace tessaron::test_support {

class ScriptedPort : public ReaderPort {
 public:
  explicit ScriptedPort(InterfaceType type = InterfaceType::UsbHid) : type_(type) {}

  InterfaceType GetInterfaceType() const override { return type_; }
  std::string GetPortName(std::string& out) const override { return out = "scripted"; }

  std::deque<ByteString> replies;  // one a frame; none left: silence
  bool opens = true;               // whether the device opens
  std::size_t claimedLength = 0;   // a misbehaving port may claim more than it was given
  std::vector<ByteString> sent;
  std::vector<std::size_t> capacities;
  std::vector<std::string> steps;  // "open 3", "open /dev/x", "close"

 protected:
  bool OpenDevice(DeviceIndex index) override {
    steps.push_back("open " + std::to_string(index));
    return opens;
  }
  bool OpenDeviceAt(const std::string& path) override {
    steps.push_back("open " + path);
    return opens;
  }
  void CloseDevice() override { steps.push_back("close"); }
  Exchanged Exchange(std::span<const Byte> command, std::span<Byte> reply) override {
    sent.emplace_back(command.begin(), command.end());
    capacities.push_back(reply.size());
    ByteString answer;
    if (!replies.empty()) {
      answer = replies.front();
      replies.pop_front();
    }
    const std::size_t n = std::min(answer.size(), reply.size());
    std::copy_n(answer.begin(), n, reply.begin());
    return Exchanged{claimedLength != 0 ? claimedLength : n, n > 0 && reply[0] == REPLY_ACK, {}};
  }

 private:
  InterfaceType type_;
};

// Hands everything to the port it wraps, and calls beforeExchange as each exchange starts.
class HookedPort : public ReaderPort {
 public:
  HookedPort(std::unique_ptr<ReaderPort> inner, std::function<void()> beforeExchange)
      : inner_(std::move(inner)), beforeExchange_(std::move(beforeExchange)) {}

  void ReleaseDevice() override { inner_->ReleaseDevice(); }
  void SeizeDevice() override { inner_->SeizeDevice(); }
  InterfaceType GetInterfaceType() const override { return inner_->GetInterfaceType(); }
  std::string GetPortName(std::string& out) const override { return inner_->GetPortName(out); }

 protected:
  bool OpenDevice(DeviceIndex index) override { return Opened(inner_->Open(index)); }
  bool OpenDeviceAt(const std::string& path) override { return Opened(inner_->OpenPath(path)); }
  void CloseDevice() override { inner_->Close(); }
  Exchanged Exchange(std::span<const Byte> command, std::span<Byte> reply) override {
    beforeExchange_();
    const PortReply answer = inner_->Transact(command, reply);
    return Exchanged{answer.bytes.size(), answer.ok, answer.failure};
  }

 private:
  bool Opened(bool opened) {
    SetError(inner_->LastError());
    return opened;
  }

  std::unique_ptr<ReaderPort> inner_;
  std::function<void()> beforeExchange_;
};

}  // namespace tessaron::test_support
