// The program entry of the engine builds on Linux: sets the host up from its
// options, then calls the build's WinMain as the device's start-up code does.
#pragma once

#include "host/base/win_types.h"
#include "host/display/display_api.h"

using WinMainFunction = int (*)(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand);

// Returns WinMain's result, or 2 for bad host options. The panel is that of
// the build's devices unless --panel chooses another.
int HostRunProgram(int argc, char** argv, WinMainFunction winMain, const HostPanel& defaultPanel);
