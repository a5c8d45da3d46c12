// tessaron.exe: the tool's main on Windows. Standard input and output carry bytes as they
// are (settings files, reports with their own line ends), as they do on every other system.

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "cli/cli.h"

int main(int argc, char** argv) {
  ::_setmode(::_fileno(stdin), _O_BINARY);
  ::_setmode(::_fileno(stdout), _O_BINARY);
  return tessaron::RunCliOnStandardStreams(argc, argv);
}
