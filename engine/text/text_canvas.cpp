#include "engine/text/text_canvas.h"

#include <algorithm>
#include <cstring>

#include "common/sjis_string.h"
#include "engine/runtime/file_helpers.h"
#include "engine/runtime/runtime_globals.h"
#include "engine/shell/display_access.h"
#include "engine/text/message_font.h"

namespace {

constexpr int kGlyphSide = 32;

}  // namespace

CTextCanvas::CTextCanvas() {
  CreateFont();
  CreateGlyphBitmap();
  GetDisplayAccess().readProperties(&display_);
}

int CTextCanvas::CreateGlyphBitmap() { return glyph_.Create(kGlyphSide); }

int CTextCanvas::CreateFont() {
  if (font_) DeleteObject(font_);
  const LOGFONTW record = MakeFontRecord(fontSize, kNormalWeightIndex, kSystemFontFace);
  font_ = CreateFontIndirectW(&record);
  return font_ ? 1 : 0;
}

void CTextCanvas::Release() {
  if (font_) DeleteObject(font_);
  font_ = nullptr;
  glyph_.Release();
}

void CTextCanvas::DrawText(std::uint16_t* target, const char* text, int x, int y, int grey, int size) {
  size = std::min(size, kGlyphSide);
  if (size >= 1 && size != fontSize) {
    fontSize = size;
    CreateFont();
  }
  if (!glyph_.dc || !text || !*text) return;
  HGDIOBJ previousBitmap = SelectObject(glyph_.dc, glyph_.bitmap);
  HGDIOBJ previousFont = font_ ? SelectObject(glyph_.dc, font_) : nullptr;
  const auto level = static_cast<std::uint32_t>(std::clamp(grey, 0, 255));
  const auto pixel = static_cast<std::uint16_t>((level >> 3) << 11 | (level >> 2) << 5 | (level >> 3));
  int penX = x;
  for (const char* p = text; *p;) {
    const bool wide = IsSjisLeadByte(static_cast<unsigned char>(*p)) && p[1];
    const char character[3] = {p[0], wide ? p[1] : '\0', '\0'};
    p += wide ? 2 : 1;
    const int advance = wide ? fontSize : fontSize / 2;
    SetBkColor(glyph_.dc, RGB(0, 0, 0));
    SetBkMode(glyph_.dc, OPAQUE);
    SetTextColor(glyph_.dc, RGB(255, 255, 255));
    ExtTextOutW(glyph_.dc, 0, 0, 0, nullptr, AnsiToWideStatic(character), 1, nullptr);
    if (fontSize > 0) DrawGlyph(target, penX, y, advance, pixel);
    penX += advance;
  }
  if (previousFont) SelectObject(glyph_.dc, previousFont);
  if (previousBitmap) SelectObject(glyph_.dc, previousBitmap);
}

void CTextCanvas::DrawGlyph(std::uint16_t* target, int x, int y, int columns, std::uint16_t pixel) const {
  if (target) {
    CopyGlyph(target, nullptr, x, y, columns, pixel);
    return;
  }
  // Display memory is held only for one glyph at a time.
  const DisplayAccess& display = GetDisplayAccess();
  if (auto* frame = static_cast<std::uint8_t*>(display.beginDraw())) {
    CopyGlyph(nullptr, frame, x, y, columns, pixel);
    display.endDraw();
  }
}

void CTextCanvas::CopyGlyph(std::uint16_t* target, std::uint8_t* frame, int x, int y, int columns,
                            std::uint16_t pixel) const {
  const int screenWidth = GetScreenWidth();
  const int screenHeight = GetScreenHeight();
  // Display memory is portrait: a landscape column is a display row.
  const int rowsLimit = target ? screenWidth : std::min<int>(screenWidth, static_cast<int>(display_.cyHeight));
  const int columnsLimit = target ? screenHeight : std::min<int>(screenHeight, static_cast<int>(display_.cxWidth));
  const int rows = std::min(fontSize, kGlyphSide);
  columns = std::min(columns, kGlyphSide);
  for (int row = 0; row < rows; ++row) {
    const int py = y + row;
    if (py < 0 || py >= columnsLimit) continue;
    for (int column = 0; column < columns; ++column) {
      const int px = x + column;
      const int turned = screenWidth - 1 - px;
      if (px < 0 || turned < 0 || turned >= rowsLimit || !glyph_.Bit(column, row)) continue;
      if (target) {
        target[static_cast<std::ptrdiff_t>(turned) * screenHeight + py] = pixel;
      } else {
        std::uint8_t* at = frame + static_cast<std::ptrdiff_t>(turned) * display_.cbyPitch +
                   static_cast<std::ptrdiff_t>(py) * display_.cbxPitch;
        std::memcpy(at, &pixel, sizeof pixel);
      }
    }
  }
}
