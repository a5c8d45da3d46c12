// PtyServer where the system has no pseudo-terminals (Windows): the serial line of the
// simulated reader cannot be served there, so Start fails and the line is not offered.

#include "sim/pty_server.h"

namespace tessaron::sim {

struct PtyServer::State {
  PtyServerOptions options;
};

PtyServer::PtyServer(SimulatedReader&, PtyServerOptions options)
    : state_(std::make_unique<State>(State{options})) {}
PtyServer::~PtyServer() = default;
bool PtyServer::Start() { return false; }
void PtyServer::Stop() {}
std::string PtyServer::Path() const { return std::string(); }
void PtyServer::SetOptions(const PtyServerOptions& options) { state_->options = options; }
bool PtyServer::HungUp() const { return false; }
std::size_t PtyServer::BytesSent() const { return 0; }

}  // namespace tessaron::sim
