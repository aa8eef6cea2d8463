// The platform's drawing calls (GDI) as the engine uses them: device
// contexts, brushes and the colour and background settings of text.
#pragma once

#include <cstdint>

#include "host/base/win_types.h"

struct HDC__;
using HDC = HDC__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
using HGDIOBJ = void*;
using COLORREF = DWORD;

struct POINT {
  LONG x;
  LONG y;
};

struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

inline constexpr int BLACK_BRUSH = 4;
inline constexpr int TRANSPARENT = 1;

int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
HGDIOBJ GetStockObject(int object);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF SetTextColor(HDC dc, COLORREF color);
int SetBkMode(HDC dc, int mode);
