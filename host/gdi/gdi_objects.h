// Internal to the host layer: the objects behind memory device contexts,
// bitmaps and fonts, named by handles of the host's handle table.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "host/base/handle_table.h"
#include "host/fonts/font_cache.h"
#include "host/gdi/gdi_api.h"

struct GdiBitmap : HostObject {
  int width = 0;
  int height = 0;
  int rowBytes = 0;
  bool topDown = true;
  RGBQUAD palette[2] = {};
  std::vector<std::uint8_t> bits;

  // Palette index nearest to the colour.
  int BitFor(COLORREF color) const;
  // Set w x h pixels from (x, y) to bit, and the glyph's set pixels with
  // its first at (x, y); pixels outside the bitmap are left out.
  void Fill(int x, int y, int w, int h, int bit);
  void Blit(const GlyphImage& glyph, int x, int y, int bit);

 private:
  std::uint8_t* Row(int y);
};

struct GdiFont : HostObject {
  std::shared_ptr<CachedFont> font;  // null for the stock font, which draws nothing
};

struct GdiDc : HostObject {
  std::shared_ptr<GdiBitmap> bitmap;
  std::shared_ptr<GdiFont> font;
  HGDIOBJ bitmapHandle = nullptr;
  HGDIOBJ fontHandle = nullptr;
  COLORREF background = RGB(255, 255, 255);
  COLORREF text = RGB(0, 0, 0);
  int backgroundMode = OPAQUE;
};

// The memory context behind dc, or null (a window's context, or no context).
std::shared_ptr<GdiDc> GdiFindDc(HDC dc);
