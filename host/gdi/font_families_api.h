// The font enumeration as the message-font list uses it: every family once,
// reported to a callback with its font record, its metrics and its type.
#pragma once

#include "host/fonts/font_families.h"
#include "host/gdi/gdi_api.h"
#include "host/window/window_api.h"

inline constexpr BYTE VARIABLE_PITCH = 2;

struct TEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  WCHAR tmFirstChar;
  WCHAR tmLastChar;
  WCHAR tmDefaultChar;
  WCHAR tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};

// Returns 0 to stop the enumeration.
using FONTENUMPROCW = int (*)(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD fontType, LPARAM data);

// With a null family, one call per family (see EnumerableFontFamilies), the
// record carrying the face name, code page 932's character set and the pitch
// (FIXED_PITCH or VARIABLE_PITCH), the metrics only the character set. Returns the last call's result,
// or 1 when there was none. A named family is not listed here: 0.
int EnumFontFamiliesW(HDC dc, LPCWSTR family, FONTENUMPROCW proc, LPARAM data);
