#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) {
  return tessaron::RunCli(argc, argv, tessaron::CliEnvironment{std::cout, std::cerr, &std::cin});
}
