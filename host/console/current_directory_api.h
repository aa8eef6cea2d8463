// The current folder in the Shift-JIS form the converter keeps.
#pragma once

#include "host/base/win_types.h"

// Copies the current folder (absolute, '/' separators, Shift-JIS; a folder
// code page 932 cannot hold through its alias) into buffer and returns its
// length. When buffer holds fewer than length + 1 bytes: the size needed,
// buffer untouched. 0 when the folder has no Shift-JIS form.
DWORD GetCurrentDirectoryA(DWORD size, char* buffer);
