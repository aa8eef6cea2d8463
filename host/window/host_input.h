// Device events as a back end or a test reports them. Each becomes what the
// platform would post to the program's main window (the first live window
// created): stylus and key messages, foreground changes, the close box.
#pragma once

#include "host/window/window_api.h"

enum class HostPointer { Down, Up, Move };

// x, y in panel coordinates (the display as the device holds it).
void HostInjectPointer(HostPointer kind, int x, int y);
// Auto-repeat arrives as further key-downs.
void HostInjectKey(WPARAM virtualKey, bool down);
// Losing the focus leaves no window in the foreground; regaining it makes the
// main window the foreground window again.
void HostInjectFocus(bool gained);
// The window's close box: WM_CLOSE.
void HostInjectClose();
HWND HostMainWindow();
