#include "cli/fleet.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>

#include "cli/cli_output.h"
#include "cli/online_session.h"
#include "cli/reader_options.h"
#include "cli/stop_signals.h"
#include "core/shown_text.h"

namespace tessaron {

namespace {

constexpr int MAX_JOBS = 64;

// The flow of one reader among many: progress is not shown (the reader's line says how it
// went), failures are kept for that line, questions are answered no.
class ReaderLineFlow : public FlowContext {
 public:
  explicit ReaderLineFlow(double timingScale) : scale_(timingScale) {}

  void Wait(std::chrono::milliseconds length) override { WaitUnlessStopped(length, scale_); }
  void Progress(const std::string&) override {}
  void Tell(const FlowMessage& message) override {
    if (!message.failure) return;
    if (!failures_.empty()) failures_ += "; ";
    failures_ += FailureText(message);
  }
  bool Confirm(const std::string&, const std::string&) override { return false; }

  const std::string& Failures() const { return failures_; }

 private:
  double scale_;
  std::string failures_;
};

// Whether connection names the reader found as entry: by its node, whatever line it was
// named with, or by its line and position.
bool NamesReader(const ReaderConnection& connection, const ReaderDeviceEntry& entry) {
  if (!connection.path.empty()) return connection.path == entry.name;
  return connection.type == entry.interfaceType && connection.index == entry.deviceIndex;
}

// The connection a worker opens: the reader's node where it has one, so that no worker
// enumerates devices (the system's device listing is not made for several threads at once)
// and a reader is not mistaken for another when devices come and go meanwhile.
ReaderConnection WorkConnection(const ReaderDeviceEntry& entry) {
  ReaderConnection connection = ConnectionOf(entry);
  if (entry.interfaceType != InterfaceType::Ps2Keyboard && entry.name.starts_with('/')) {
    connection.path = entry.name;
  }
  return connection;
}

// The readers --all takes, in discovery's order: the USB readers or those of the interface
// named, and the simulated readers of the session whatever their line.
std::vector<ReaderDeviceEntry> ReadersFound(const OnlineSession& session,
                                            const std::string& interfaceName) {
  InterfaceType only = InterfaceType::Unknown;
  if (!interfaceName.empty()) ParseLineName(interfaceName, &only);
  std::vector<ReaderDeviceEntry> found;
  if (only != InterfaceType::Unknown) {
    EnumerateReaders(*session.Environment().devices, only, found);
    return found;
  }
  return session.UsbAndSimulatedReaders();
}

}  // namespace

const char* VerdictText(ReaderVerdict verdict) {
  switch (verdict) {
    case ReaderVerdict::Unchanged: return "unchanged";
    case ReaderVerdict::WouldChange: return "would change";
    case ReaderVerdict::Changed: return "changed";
    case ReaderVerdict::Failed: return "failed";
  }
  return "";
}

void AddFleetOptions(CLI::App* command, const char* allFlag, const char* allHelp,
                     FleetOptions* options) {
  CLI::Option* all = command->add_flag(allFlag, options->all, allHelp);
  command
      ->add_option("--interface", options->interfaceName,
                   std::string("With ") + allFlag +
                       ": only the readers of this interface (without it: every USB reader and "
                       "the simulated ones; serial ports and the keyboard line only when named "
                       "here)")
      ->option_text(" NAME")
      ->check(CLI::IsMember(LineNames()))
      ->needs(all);
  command
      ->add_option("-j,--jobs", options->jobs,
                   std::string("With ") + allFlag + ": work on up to N readers at once (N 1 to " +
                       std::to_string(MAX_JOBS) + "; default 1)")
      ->type_name("N")
      ->check(CLI::Range(1, MAX_JOBS))
      ->needs(all);
}

int RunOnEveryReader(const FleetOptions& options, CliContext& context, const ReaderWork& work) {
  if (!OptionsUsable(std::string(), options.simulate, context.err)) return CLI_EXIT_USAGE;
  OnlineSession session(context);
  if (!options.simulate.empty() && !session.Simulate(options.simulate)) return CLI_EXIT_FAILURE;
  return RunOnEveryReader(session, options, context, work);
}

int RunOnEveryReader(OnlineSession& session, const FleetOptions& options, CliContext& context,
                     const ReaderWork& work, const std::vector<ReaderConnection>& skip) {
  std::vector<ReaderDeviceEntry> readers;
  for (const ReaderDeviceEntry& entry : ReadersFound(session, options.interfaceName)) {
    const bool skipped = std::any_of(skip.begin(), skip.end(), [&](const ReaderConnection& other) {
      return NamesReader(other, entry);
    });
    if (!skipped) readers.push_back(entry);
  }
  if (readers.empty()) {
    PrintError(context.err, options.interfaceName.empty()
                                ? "no USB reader found; readers on serial ports and the keyboard "
                                  "line are taken with --interface NAME"
                                : "no " + options.interfaceName + " reader found");
    return CLI_EXIT_FAILURE;
  }

  // The readers' messages and lines come from several threads.
  std::mutex outputLock;
  ReaderEnvironment readersOfWorkers = session.Environment();
  readersOfWorkers.messages = [&outputLock, &session](const std::string& text,
                                                       const std::string& caption) {
    std::lock_guard<std::mutex> guard(outputLock);
    session.Environment().Tell(text, caption);
  };

  std::ostream& notes = context.Notes();
  const bool progress = context.errIsTerminal && !context.quiet;
  std::atomic<std::size_t> next{0};
  std::size_t done = 0;
  int counts[4] = {0, 0, 0, 0};
  auto runReaders = [&] {
    for (std::size_t i = next++; i < readers.size() && !StopRequested(); i = next++) {
      ReaderLineFlow flow(context.timingScale);
      ReaderResult result = work(WorkConnection(readers[i]), readersOfWorkers, flow);
      if (result.detail.empty()) result.detail = flow.Failures();
      std::lock_guard<std::mutex> guard(outputLock);
      // A reader whose work a stop signal cut short counts among those not done.
      if (!result.stopped) {
        ++counts[static_cast<int>(result.verdict)];
        ++done;
      }
      if (progress) notes << "\r\033[K";
      const std::string verdict = result.stopped ? "not done" : VerdictText(result.verdict);
      context.out << ShownText(ReaderConnectionText(ConnectionOf(readers[i])) + ' ' +
                               readers[i].name + ": " + verdict +
                               (result.detail.empty() ? "" : ": " + result.detail))
                  << '\n';
      context.out.flush();
      if (progress) {
        notes << "[" << done << "/" << readers.size() << " readers done]";
        notes.flush();
      }
    }
  };
  if (progress) {
    notes << "[0/" << readers.size() << " readers done]";
    notes.flush();
  }
  const std::size_t threads =
      std::min(readers.size(), static_cast<std::size_t>(std::max(options.jobs, 1)));
  std::vector<std::thread> workers;
  for (std::size_t t = 1; t < threads; ++t) workers.emplace_back(runReaders);
  runReaders();
  for (std::thread& worker : workers) worker.join();
  if (progress) notes << "\r\033[K";

  const int unchanged = counts[static_cast<int>(ReaderVerdict::Unchanged)];
  const int wouldChange = counts[static_cast<int>(ReaderVerdict::WouldChange)];
  const int changed = counts[static_cast<int>(ReaderVerdict::Changed)];
  const int failed = counts[static_cast<int>(ReaderVerdict::Failed)];
  context.out << readers.size() << (readers.size() == 1 ? " reader: " : " readers: ") << changed
              << " changed, " << unchanged << " unchanged, ";
  if (wouldChange > 0) context.out << wouldChange << " would change, ";
  context.out << failed << " failed";
  const std::size_t notDone = readers.size() - done;
  if (notDone > 0) {
    NoteLeftUndone();
    context.out << ", " << notDone << " not done: interrupted (" << StopText() << ")";
  }
  context.out << '\n'
              << VerdictText(changed > 0       ? ReaderVerdict::Changed
                             : wouldChange > 0 ? ReaderVerdict::WouldChange
                                               : ReaderVerdict::Unchanged)
              << '\n';
  context.out.flush();
  if (notDone > 0) return 128 + StopSignal();
  if (failed > 0) return CLI_EXIT_FAILURE;
  return wouldChange > 0 ? CLI_EXIT_WOULD_CHANGE : CLI_EXIT_OK;
}

}  // namespace tessaron
