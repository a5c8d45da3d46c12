#include "cli/cli.h"

int main(int argc, char** argv) {
  // Before anything else is opened.
  const tessaron::ClosedStandardStreams closed = tessaron::OpenClosedStandardStreams();
  return tessaron::RunCliOnStandardStreams(argc, argv, closed);
}
