// novel_ce3: the engine built for CE 3 devices (a 240 x 320 panel), running
// the game.
#include "engine/shell/engine_main.h"
#include "game/game.h"
#include "host/run/program_entry.h"
#include "platform/ce3/ce3_build.h"

int WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPWSTR commandLine, int showCommand) {
  return RunEngine(Ce3Build(), StandInProcessServices(), MakeGameApp, instance, commandLine, showCommand);
}

int main(int argc, char** argv) { return HostRunProgram(argc, argv, WinMain, HostPanel{240, 320, 0}); }
