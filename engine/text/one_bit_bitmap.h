// The one-bit, top-down, black-and-white DIB sections the text code draws
// its glyphs into through the platform's text call, with their memory
// context.
#pragma once

#include <cstdint>

#include "host/gdi/gdi_api.h"

struct OneBitBitmap {
  HBITMAP bitmap = nullptr;
  HDC dc = nullptr;
  std::uint8_t* bits = nullptr;
  int side = 0;
  int rowBytes = 0;

  // A side x side bitmap (rows padded to 4 bytes) and a memory context
  // compatible with the screen; 1, or 0 when either cannot be made.
  int Create(int sideLength);
  void Release();
  bool Bit(int x, int y) const { return (bits[y * rowBytes + (x >> 3)] >> (7 - (x & 7))) & 1; }
};
