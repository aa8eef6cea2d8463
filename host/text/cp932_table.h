// Internal to the host layer: code page 932 to UTF-16 one character at a
// time, from a table filled once through iconv (so it gives what iconv gives,
// without an iconv call per character).
#pragma once

#include "host/base/win_types.h"

inline constexpr WCHAR kNoCp932Character = 0xFFFF;

// code: a single byte, or lead byte x 256 + trail byte. The UTF-16 unit, or
// kNoCp932Character when code is not a character of the code page.
WCHAR Cp932ToUnit(unsigned code);
