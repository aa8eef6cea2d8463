// The `reelpack` program: the command line over the conversion job.
#include <cstdio>
#include <string>
#include <vector>

#include "converter/cli/command_run.h"
#include "host/console/console_api.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return reelpack::RunReelpackCommand(args, stdout, stderr, HostStandardErrorIsTerminal());
}
