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

std::uint8_t* GdiBitmap::Row(int y) {
  return bits.data() + static_cast<std::size_t>(topDown ? y : height - 1 - y) * rowBytes;
}

void GdiBitmap::Fill(int x, int y, int w, int h, int bit) {
  const int left = std::max(x, 0);
  const int right = std::min(x + w, width);
  for (int row = std::max(y, 0); row < std::min(y + h, height); ++row) {
    std::uint8_t* line = Row(row);
    for (int column = left; column < right; ++column) {
      const auto mask = static_cast<std::uint8_t>(0x80 >> (column & 7));
      line[column >> 3] = static_cast<std::uint8_t>(bit ? line[column >> 3] | mask : line[column >> 3] & ~mask);
    }
  }
}

void GdiBitmap::Blit(const GlyphImage& glyph, int x, int y, int bit) {
  const int firstColumn = std::max(0, -x);
  const int lastColumn = std::min(glyph.width, width - x);
  for (int row = std::max(0, -y); row < glyph.height && y + row < height; ++row) {
    const std::uint8_t* source = glyph.bits.data() + static_cast<std::size_t>(row) * glyph.width;
    std::uint8_t* line = Row(y + row);
    for (int column = firstColumn; column < lastColumn; ++column) {
      if (!source[column]) continue;
      const int target = x + column;
      const auto mask = static_cast<std::uint8_t>(0x80 >> (target & 7));
      line[target >> 3] = static_cast<std::uint8_t>(bit ? line[target >> 3] | mask : line[target >> 3] & ~mask);
    }
  }
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
    if (memory->backgroundMode == OPAQUE) bitmap.Fill(penX, y, glyph.advance, font->CellHeight(), backgroundBit);
    bitmap.Blit(glyph, penX + glyph.left, y + glyph.top, textBit);
    penX += glyph.advance;
  }
  return TRUE;
}
