// Files dropped on a window: the drop a WM_DROPFILES message carries.
#pragma once

#include <string>
#include <vector>

#include "host/mfc/afx_message_map.h"

// With index 0xFFFFFFFF: the number of files. With a null buffer: the
// length of file index's path. Otherwise copies at most size - 1 bytes of it
// and a terminator; returns the bytes copied.
UINT DragQueryFileA(HDROP drop, UINT index, char* buffer, UINT size);
void DragFinish(HDROP drop);

// Tests: a drop of these paths (Shift-JIS); DragFinish releases it.
HDROP HostMakeDrop(const std::vector<std::string>& paths);
// Drops not yet released.
int HostOpenDrops();
