// Code-page conversion between the engine's Shift-JIS (code page 932) bytes
// and UTF-16, with the platform's calling convention: a length of -1 means
// "up to and including the NUL", an output size of 0 asks for the size needed,
// and the result is the number of units written (0 on failure, with the
// reason in GetLastError). CP_ACP is code page 932; CP_UTF8 serves the host
// layer's own helpers. Flags are ignored.
//
// Bytes that are not valid in the source code page always fail the call
// (ERROR_NO_UNICODE_TRANSLATION): no text is half-converted. Characters the
// target code page lacks become defaultChar (or '?'; U+FFFD for UTF-8) and
// set *usedDefault. An output too small fails with ERROR_INSUFFICIENT_BUFFER.
// Code page 932 to UTF-16 reads a table that iconv filled once.
#pragma once

#include "host/base/win_types.h"

inline constexpr UINT CP_ACP = 0;  // the system code page: 932 on the devices
inline constexpr UINT CP_SHIFT_JIS = 932;
inline constexpr UINT CP_UTF8 = 65001;

int MultiByteToWideChar(UINT codePage, DWORD flags, const char* text, int textBytes,
                        WCHAR* out, int outUnits);
int WideCharToMultiByte(UINT codePage, DWORD flags, const WCHAR* text, int textUnits,
                        char* out, int outBytes, const char* defaultChar, BOOL* usedDefault);
