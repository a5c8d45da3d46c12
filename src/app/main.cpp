// tessaron-config: the desktop program that reads, shows, edits, saves and restores the
// settings of Tessaron card readers.

#include "app/utility_app.h"

int main(int argc, char** argv) {
  // The one place where the program reaches the system's devices and the keyboard controller.
  return tessaron::RunUtilityApp(argc, argv, tessaron::ReaderEnvironment::System());
}
