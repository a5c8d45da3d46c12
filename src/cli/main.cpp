#include <unistd.h>

#include <iostream>

#include "cli/cli.h"
#include "cli/cli_output.h"

int main(int argc, char** argv) {
  // Standard output through a buffer that notices a failed write (a full disk, a closed pipe).
  tessaron::DescriptorOutput output(STDOUT_FILENO);
  std::ostream out(&output);
  tessaron::CliEnvironment environment{out, std::cerr, &std::cin};
  environment.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
  environment.finishOut = [&output] { return output.Finish(); };
  // The one place where the tool reaches the system's devices and the keyboard controller.
  environment.readers = tessaron::ReaderEnvironment::System();
  return tessaron::RunCli(argc, argv, environment);
}
