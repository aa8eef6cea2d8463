// novel_small_test: the game at the 320 x 240 screen, for headless test runs
// (with --panel=240x320).
#include "engine/shell/engine_main.h"
#include "game/game.h"
#include "host/run/program_entry.h"
#include "platform/small_test/small_screen_build.h"

int WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPWSTR commandLine, int showCommand) {
  return RunEngine(SmallScreenTestBuild(), StandInProcessServices(), MakeGameApp, instance, commandLine,
                   showCommand);
}

int main(int argc, char** argv) { return HostRunProgram(argc, argv, WinMain); }
