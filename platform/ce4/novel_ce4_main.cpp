// novel_ce4: the engine built for CE 4.2 devices, running the game.
#include "engine/shell/engine_main.h"
#include "game/game.h"
#include "host/run/program_entry.h"
#include "platform/ce4/ce4_build.h"

int WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPWSTR commandLine, int showCommand) {
  return RunEngine(Ce4Build(), StandInProcessServices(), MakeGameApp, instance, commandLine, showCommand);
}

int main(int argc, char** argv) { return HostRunProgram(argc, argv, WinMain, HostPanel{480, 640, 0}); }
