// The running program's own file.
#pragma once

#include "host/base/win_types.h"

// Writes the program's full path in platform form ('\' separators) and
// returns its length in units, not counting the NUL. Any module names this
// program (the only module so far). A buffer too small for the whole path
// gets a cut, NUL-terminated copy, but the call returns 0 with
// ERROR_INSUFFICIENT_BUFFER so a cut path is never taken for the real one.
// A folder whose path code page 932 cannot hold (the engine keeps its folder
// in Shift-JIS) is given as a stable alias instead: a symbolic link to it,
// with an ASCII name, in a folder private to the user ($XDG_RUNTIME_DIR or
// /tmp); standard error says so once per folder.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR out, DWORD outUnits);

// Test mode: pretend the program lives at this Linux path (tests place
// "pelmo.cfg" and a data folder beside it). An empty path restores the real one.
void HostSetModulePath(const char* linuxPath);
