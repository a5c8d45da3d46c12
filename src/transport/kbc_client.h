#pragma once
// The keyboard controller as the programs reach it: through the helper process tessaron-kbc,
// the only program that holds the right to the controller's ports. The helper is started
// when the controller access starts, talks over a socket pair (its standard input and
// output), runs whole exchanges next to the ports and ends when the access stops, when this
// program ends, when it has held the keyboard for KBC_IDLE_LIMIT without a request, or on
// anything it does not expect; it hands the keyboard back each time. It runs every exchange
// with the line's real waits: the timing given here is not sent. Only the members of its
// group may run it; anyone else is refused with NoPortAccess (detail KBC_GROUP_ONLY).

#include <sys/types.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "transport/kbc_protocol.h"
#include "transport/keyboard_controller.h"

namespace tessaron {

// The helper's file: beside the running program (the build folder), else in the folder of
// helper programs where the programs are installed.
std::string FindKbcHelper();

class HelperKeyboardController final : public KeyboardController {
 public:
  // simulated: the helper serves the simulated keyboard controller, with the simulated
  // reader on its keyboard line, instead of the ports. An empty helperPath: FindKbcHelper().
  explicit HelperKeyboardController(bool simulated = false, std::string helperPath = {});
  ~HelperKeyboardController() override;

  // Starts the helper and waits until it says whether it holds the port permission.
  bool Start(PortError* why) override;
  // Ends the helper (it hands the keyboard back first) and waits for it.
  void Stop() override;
  bool Alive() const override;
  void SetSeized(bool seized, const KeyboardTiming& timing) override;
  // Refuses at once (with nothing sent) what the helper does not take: a command that is no
  // reader command frame, or any command while the keyboard is not taken over. A helper
  // that ended while it held the keyboard is started again and takes it over first.
  KeyboardExchange Transact(const Byte* command, std::uint32_t commandLength, Byte* reply,
                            std::uint32_t capacity, const KeyboardTiming& timing) override;
  // Closes the socket: the exchange under way fails at once and the helper, seeing its
  // input end, hands the keyboard back and ends; no later exchange starts another helper
  // before the keyboard is taken over again.
  void Abandon() override;
  void HandBack() override { Stop(); }

  // The helper's process id while it runs, else 0.
  pid_t HelperPid() const;

 private:
  // Sends a request and reads its reply; false (and the helper is taken for gone) when the
  // helper does not answer with a well-formed reply.
  bool Ask(const KbcRequest& request, KbcReply* reply);
  // Start and SetSeized with the lock held.
  bool StartLocked(PortError* why);
  bool AskToSeize(bool seized);
  // Waits for the helper's process to end and closes the socket.
  void Finish();

  const bool simulated_;
  const std::string helperPath_;
  mutable std::mutex lock_;  // one request at a time on the socket
  std::atomic<int> socket_{-1};  // read without the lock by Abandon
  pid_t pid_ = 0;
  // The keyboard was last asked to be taken over (and not abandoned since); cleared without
  // the lock by Abandon.
  std::atomic<bool> seized_{false};
  std::atomic<bool> gone_{false};  // read without the lock by Alive
  // Starts the helper and waits for its end: the kernel ends the helper when the thread that
  // started it ends, so that thread lives exactly as long as the helper.
  std::thread keeper_;
};

}  // namespace tessaron
