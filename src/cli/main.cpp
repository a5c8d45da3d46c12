#include <unistd.h>

#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) {
  tessaron::CliEnvironment environment{std::cout, std::cerr, &std::cin};
  environment.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
  return tessaron::RunCli(argc, argv, environment);
}
