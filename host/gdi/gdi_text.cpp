#include <algorithm>
#include <cstdlib>
#include <string>

#include "host/fonts/font_cache.h"
#include "host/gdi/gdi_api.h"
#include "host/gdi/gdi_objects.h"
#include "host/text/wide_text.h"

namespace {

// What a record of height 0 gets.
constexpr LONG kDefaultCellHeight = 12;
// Heights beyond this are no text anyone reads on a handheld.
constexpr LONG kHeightLimit = 1024;

int ColorDistance(const RGBQUAD& entry, COLORREF color) {
  return std::abs(entry.rgbRed - static_cast<int>(color & 0xFF)) +
         std::abs(entry.rgbGreen - static_cast<int>((color >> 8) & 0xFF)) +
         std::abs(entry.rgbBlue - static_cast<int>((color >> 16) & 0xFF));
}

char32_t NextCode(LPCWSTR text, UINT count, UINT& i) {
  const char16_t unit = text[i++];
  if (unit >= 0xD800 && unit < 0xDC00 && i < count && text[i] >= 0xDC00 && text[i] < 0xE000) {
    return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i++] - 0xDC00);
  }
  return unit;
}

}  // namespace

int GdiBitmap::BitFor(COLORREF color) const {
  return ColorDistance(palette[1], color) < ColorDistance(palette[0], color) ? 1 : 0;
}

void GdiBitmap::Put(int x, int y, int bit) {
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  const int row = topDown ? y : height - 1 - y;
  std::uint8_t& byte = bits[static_cast<std::size_t>(row) * rowBytes + static_cast<std::size_t>(x >> 3)];
  const auto mask = static_cast<std::uint8_t>(0x80 >> (x & 7));
  byte = static_cast<std::uint8_t>(bit ? byte | mask : byte & ~mask);
}

HFONT CreateFontIndirectW(const LOGFONTW* record) {
  if (!record) return nullptr;
  // The face field need not hold a NUL when it is full.
  const WCHAR* face = record->lfFaceName;
  const std::u16string faceName(face, std::find(face, face + LF_FACESIZE, u'\0'));
  LONG height = record->lfHeight < 0 ? -record->lfHeight : record->lfHeight;
  if (height == 0) height = kDefaultCellHeight;
  if (height > kHeightLimit) return nullptr;
  auto font = std::make_shared<GdiFont>();
  font->font = HostOpenCachedFont(Utf8FromWide(faceName.c_str()), height, record->lfWeight);
  if (!font->font) return nullptr;
  return reinterpret_cast<HFONT>(HostHandleAdd(std::move(font)));
}

BOOL ExtTextOutW(HDC dc, int x, int y, UINT /*options*/, const RECT* /*clip*/, LPCWSTR text, UINT count,
                 const INT* /*dx*/) {
  const std::shared_ptr<GdiDc> memory = GdiFindDc(dc);
  if (!memory) return dc ? TRUE : FALSE;  // a window's surface is never seen
  if (!text && count > 0) return FALSE;
  CachedFont* font = memory->font->font.get();
  if (!font) return TRUE;
  GdiBitmap& bitmap = *memory->bitmap;
  const int textBit = bitmap.BitFor(memory->text);
  const int backgroundBit = bitmap.BitFor(memory->background);
  int penX = x;
  for (UINT i = 0; i < count;) {
    const GlyphImage& glyph = font->Glyph(NextCode(text, count, i));
    if (memory->backgroundMode == OPAQUE) {
      for (int row = 0; row < font->CellHeight(); ++row) {
        for (int column = 0; column < glyph.advance; ++column) bitmap.Put(penX + column, y + row, backgroundBit);
      }
    }
    for (int row = 0; row < glyph.height; ++row) {
      const std::uint8_t* bits = glyph.bits.data() + static_cast<std::size_t>(row) * glyph.width;
      for (int column = 0; column < glyph.width; ++column) {
        if (bits[column]) bitmap.Put(penX + glyph.left + column, y + glyph.top + row, textBit);
      }
    }
    penX += glyph.advance;
  }
  return TRUE;
}
