// The platform's drawing calls (GDI) as the engine uses them: device
// contexts, brushes, one-bit DIB sections, fonts and the text call.
//
// A window's device context is the window's handle; its surface is never
// seen (the picture on the device is display memory, which the engine writes
// directly), so drawing on it only checks the arguments. Memory contexts
// (CreateCompatibleDC) draw into the DIB section selected into them: text
// sets the bits of the palette entry nearest the text colour, most
// significant bit first; opaque mode first fills each character's cell with
// the entry nearest the background colour, transparent mode leaves the other
// bits alone. Every write is clipped to the bitmap.
#pragma once

#include <cstdint>

#include "host/base/win_types.h"

struct HDC__;
using HDC = HDC__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
struct HFONT__;
using HFONT = HFONT__*;
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

inline constexpr int LF_FACESIZE = 32;

struct LOGFONTW {
  LONG lfHeight;  // > 0: cell height (ascent + descent); < 0: character height
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
};

struct RGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
};

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;  // < 0: top-down rows
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};

// A one-bit bitmap's record carries two colours: callers give room for both.
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

inline constexpr int BLACK_BRUSH = 4;
inline constexpr int TRANSPARENT = 1;
inline constexpr int OPAQUE = 2;
inline constexpr DWORD BI_RGB = 0;
inline constexpr UINT DIB_RGB_COLORS = 0;
inline constexpr LONG FW_NORMAL = 400;
inline constexpr LONG FW_SEMIBOLD = 600;
inline constexpr BYTE SHIFTJIS_CHARSET = 128;
inline constexpr BYTE OUT_DEFAULT_PRECIS = 0;
inline constexpr BYTE CLIP_DEFAULT_PRECIS = 0;
inline constexpr BYTE DEFAULT_QUALITY = 0;
inline constexpr BYTE FIXED_PITCH = 1;

inline COLORREF RGB(BYTE red, BYTE green, BYTE blue) {
  return static_cast<COLORREF>(red) | static_cast<COLORREF>(green) << 8 | static_cast<COLORREF>(blue) << 16;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
HGDIOBJ GetStockObject(int object);
// Each returns the previous setting (a window's context keeps none and gives
// 0 for the colours, TRANSPARENT for the mode).
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF SetTextColor(HDC dc, COLORREF color);
int SetBkMode(HDC dc, int mode);

// A memory context: black and white colours, opaque mode, a 1 x 1 bitmap
// and the system font selected.
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
// One-bit bitmaps only (top-down or bottom-up), bits zeroed; *bits receives
// them (4-byte aligned rows). Null for anything else.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset);
// Null when no installed font carries the record's face.
HFONT CreateFontIndirectW(const LOGFONTW* font);
// Bitmaps and fonts into a memory context; returns what was selected, or
// null. An object stays usable by the contexts that hold it after
// DeleteObject.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);
// Draws count characters from (x, y), the top of their cells, each after the
// last one's advance. options, clip and dx are ignored.
BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* clip, LPCWSTR text, UINT count, const INT* dx);
