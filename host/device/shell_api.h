// The shell's full-screen switch for a program window.
#pragma once

#include "host/window/window_api.h"

inline constexpr DWORD SHFS_HIDETASKBAR = 0x0002;
inline constexpr DWORD SHFS_HIDESIPBUTTON = 0x0008;
inline constexpr DWORD SHFS_HIDESTARTICON = 0x0020;

// Non-zero on success; a window that does not exist fails.
BOOL SHFullScreen(HWND window, DWORD state);
