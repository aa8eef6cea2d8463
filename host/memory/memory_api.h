// The local heap: one allocator pair for blocks the engine hands around.
#pragma once

#include "host/base/win_types.h"

inline constexpr UINT LMEM_FIXED = 0x0000;
inline constexpr UINT LMEM_ZEROINIT = 0x0040;
inline constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;

// Returns null when the block cannot be had (also while a test has made
// "LocalAlloc" fail or limited its blocks, host/run/call_log.h);
// LMEM_ZEROINIT clears it.
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
// Returns null on success (as the platform does); null input is accepted.
HLOCAL LocalFree(HLOCAL block);

inline constexpr DWORD ERROR_INVALID_ADDRESS = 487;
inline constexpr DWORD MEM_COMMIT = 0x00001000;
inline constexpr DWORD MEM_RESERVE = 0x00002000;
inline constexpr DWORD MEM_RELEASE = 0x00008000;
inline constexpr DWORD PAGE_READWRITE = 0x04;

// Zero-filled read-write pages for a large block (address must be null, type
// MEM_COMMIT or MEM_COMMIT | MEM_RESERVE); null when they cannot be had (or
// while a test makes "VirtualAlloc" fail). Large blocks are backed by large
// pages where the system allows, so that first touching them costs little.
LPVOID VirtualAlloc(LPVOID address, SIZE_T bytes, DWORD type, DWORD protect);
// MEM_RELEASE with bytes 0 gives back a whole block from VirtualAlloc.
BOOL VirtualFree(LPVOID address, SIZE_T bytes, DWORD type);
