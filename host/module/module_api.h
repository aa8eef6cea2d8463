// The running program's own file, and loading modules (plug-ins) by name.
#pragma once

#include <string>

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

// The alias of a Linux folder (UTF-8): the same link for the same folder;
// empty when none can be made.
std::string HostFolderAlias(const std::string& folder);

// Test mode: pretend the program lives at this Linux path (tests place
// "pelmo.cfg" and a data folder beside it). An empty path restores the real one.
void HostSetModulePath(const char* linuxPath);

using FARPROC = void (*)();

inline constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
inline constexpr DWORD ERROR_PROC_NOT_FOUND = 127;

// A bare name (no separator) is looked for in the program's folder only, never
// through the system's library path; a path is taken as it is. Null with
// ERROR_MOD_NOT_FOUND when the module is missing or cannot be loaded.
HMODULE LoadLibraryW(LPCWSTR name);
// The same; the file handle and flags are accepted and not used.
HMODULE LoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags);
// The exported entry point, or null with ERROR_PROC_NOT_FOUND.
FARPROC GetProcAddressW(HMODULE module, LPCWSTR name);
// The same with a Shift-JIS name (code page 932).
HMODULE LoadLibraryA(LPCSTR name);
// The exported entry point by its single-byte name, or null with
// ERROR_PROC_NOT_FOUND.
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL FreeLibrary(HMODULE module);
