#include "cli/cli.h"

int main(int argc, char** argv) { return tessaron::RunCliOnStandardStreams(argc, argv); }
