// Short Shift-JIS strings in one grey level and a fixed-pitch system font,
// drawn outside the compositor: into a screen-sized RGB565 buffer stored
// turned like display memory (the pop-up menu's canvas), or straight into
// display memory (the movie player). Each character goes through a private
// 32 x 32 one-bit bitmap, so no platform surface touches the target.
#pragma once

#include <cstdint>

#include "engine/text/one_bit_bitmap.h"
#include "host/display/gapi.h"

class CTextCanvas {
 public:
  CTextCanvas();
  ~CTextCanvas() { Release(); }
  CTextCanvas(const CTextCanvas&) = delete;
  CTextCanvas& operator=(const CTextCanvas&) = delete;

  int CreateGlyphBitmap();
  // The font at fontSize; 1 when it exists.
  int CreateFont();
  void Release();
  // Draws text with its first cell's top-left at landscape (x, y). target is
  // a screen-sized buffer turned like display memory, or null for display
  // memory itself. size 0 keeps the size; sizes above 32 draw at 32. Only
  // set glyph bits are written, and nothing outside the screen.
  void DrawText(std::uint16_t* target, const char* text, int x, int y, int grey, int size);

  std::int32_t fontSize = 12;

 private:
  // One glyph into target, or into display memory in a begin/end pair of
  // its own.
  void DrawGlyph(std::uint16_t* target, int x, int y, int columns, std::uint16_t pixel) const;
  // Copies the first rows x columns of the glyph bitmap at landscape (x, y).
  void CopyGlyph(std::uint16_t* target, std::uint8_t* frame, int x, int y, int columns, std::uint16_t pixel) const;

  GXDisplayProperties display_{};
  HFONT font_ = nullptr;
  OneBitBitmap glyph_;
};
