// Access-pattern hints of CreateFileA/CreateFileW that the file layer accepts
// and may ignore.
#pragma once

#include "host/win_types.h"

inline constexpr DWORD FILE_FLAG_SEQUENTIAL_SCAN = 0x08000000u;
