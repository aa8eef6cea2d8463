// novel_ce5: the engine built for CE 5 devices.
#include "platform/ce5/ce5_build.h"
#include "engine/shell/engine_main.h"
#include "host/run/program_entry.h"

int WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPWSTR commandLine, int showCommand) {
  return RunEngine(Ce5Build(), instance, commandLine, showCommand);
}

int main(int argc, char** argv) { return HostRunProgram(argc, argv, WinMain); }
