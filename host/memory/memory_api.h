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
