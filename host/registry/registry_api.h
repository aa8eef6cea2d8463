// A small read-only registry: keys and values come from a text store in the
// ".reg" form, "registry.reg" beside the program, or the file that the
// environment variable NOVEL_REGISTRY_FILE names (tests). A missing store or
// key reads as "not found".
//
//   [HKEY_LOCAL_MACHINE\Software\Reelpack\JpegCodec]
//   "USECPU"=dword:00000006
//   "Name"="text"
#pragma once

#include "host/base/win_types.h"

using HKEY = void*;
using REGSAM = DWORD;

inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u));
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002u));
inline constexpr REGSAM KEY_READ = 0x20019;
// The store is read-only; a key opened with all access is read like any other.
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD ERROR_MORE_DATA = 234;

LONG RegOpenKeyExA(HKEY root, LPCSTR subKey, DWORD options, REGSAM access, HKEY* result);
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* dataSize);
LONG RegCloseKey(HKEY key);
