// The running program's own file.
#pragma once

#include "host/win_types.h"

// Writes the program's full path in platform form ('\' separators) and
// returns its length in units; 0 on failure. module must be null (this program).
DWORD GetModuleFileNameW(HMODULE module, LPWSTR out, DWORD outUnits);

// Test mode: pretend the program lives at this Linux path (tests place
// "pelmo.cfg" and a data folder beside it). An empty path restores the real one.
void HostSetModulePath(const char* linuxPath);
