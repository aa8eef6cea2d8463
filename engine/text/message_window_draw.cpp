#include <algorithm>

#include "engine/pictures/picture_rgb565.h"
#include "engine/raster/raster_pixel.h"
#include "engine/shell/back_buffer.h"
#include "engine/text/glyph_sampler.h"
#include "engine/text/message_font.h"
#include "engine/text/message_window.h"
#include "engine/text/symbol_glyphs.h"

namespace {

constexpr std::uint32_t kMaxAntiAliasLevel = kMaxSupersampling - 1;

// 0x00BBGGRR as a pixel.
std::uint16_t CellColorToRgb565(std::uint32_t color) {
  return PackRgb565(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

// levels: side x side of 0..63. Each level l > 0 at (i, j) lands at
// (left + i, top + j), clipped to the buffer: 63 writes pixel, others blend
// it in.
void PaintLevels(CBackBuffer& backBuffer, const std::uint8_t* levels, int side, int left, int top,
                 std::uint16_t pixel) {
  const int width = static_cast<int>(backBuffer.GetWidth());
  const int height = static_cast<int>(backBuffer.GetHeight());
  std::uint16_t* pixels = backBuffer.GetPixels();
  for (int j = std::max(0, -top); j < side && top + j < height; ++j) {
    std::uint16_t* row = pixels + static_cast<std::ptrdiff_t>(top + j) * width;
    for (int i = std::max(0, -left); i < side && left + i < width; ++i) {
      const std::uint8_t level = levels[j * side + i];
      if (level == 0) continue;
      row[left + i] = AlphaPixel(pixel, row[left + i], level);
    }
  }
}

}  // namespace

int CMessageWindow::Draw(CBackBuffer& backBuffer, std::uint32_t antiAliasLevel, std::uint32_t shadow) {
  if (!shown) return 1;
  std::uint32_t count = 0;
  GlyphCell* page = PageCells(&count);
  if (!page) return 1;
  if (backlogView) {
    for (std::uint32_t i = 0; i < count; ++i) {
      if (page[i].top != kBacklogKeptRow) page[i].color = kBacklogColor;
    }
  }
  DrawGlyphs(backBuffer, page, count, static_cast<int>(std::min(antiAliasLevel, kMaxAntiAliasLevel)) + 1, shadow);
  return 1;
}

void CMessageWindow::DrawGlyphs(CBackBuffer& backBuffer, GlyphCell* page, std::uint32_t count, int factor,
                                std::uint32_t shadow) {
  if (!textBitmap_.dc) return;
  HGDIOBJ previousBitmap = SelectObject(textBitmap_.dc, textBitmap_.bitmap);
  if (!gMessageFont.handle) CreateMessageFont(gMessageFont.size, gMessageFont.weightIndex);
  HGDIOBJ previousFont = gMessageFont.handle ? SelectObject(textBitmap_.dc, gMessageFont.handle) : nullptr;
  SetBkColor(textBitmap_.dc, RGB(0, 0, 0));
  SetTextColor(textBitmap_.dc, RGB(255, 255, 255));
  SetBkMode(textBitmap_.dc, TRANSPARENT);
  std::vector<std::uint8_t> levels;
  for (std::uint32_t k = 0; k < count; ++k) {
    GlyphCell& cell = page[k];
    if (cell.state == 0) continue;
    cell.state = 0;
    const int side = cell.cellSize;
    if (side <= 0) continue;
    levels.assign(static_cast<std::size_t>(side) * side, 0);
    if (const std::uint8_t* special = FindSpecialGlyph(cell.code, side)) {
      std::transform(special, special + levels.size(), levels.begin(), [](std::uint8_t b) { return b >> 2; });
    } else {
      const int s = FitSupersampling(side, factor, kTextBitmapSide);
      if (side * s != gMessageFont.size) {
        CreateMessageFont(side * s, gMessageFont.weightIndex);
        if (gMessageFont.handle) SelectObject(textBitmap_.dc, gMessageFont.handle);
      }
      SampleGlyph(textBitmap_, cell.code, side, s, counts_);
      std::transform(counts_.begin(), counts_.end(), levels.begin(),
                     [s](std::uint8_t set) { return static_cast<std::uint8_t>(63 * set / (s * s)); });
    }
    if (shadow) PaintLevels(backBuffer, levels.data(), side, cell.left + 1, cell.top + 1, 0);
    PaintLevels(backBuffer, levels.data(), side, cell.left, cell.top, CellColorToRgb565(cell.color));
  }
  if (previousFont) SelectObject(textBitmap_.dc, previousFont);
  if (previousBitmap) SelectObject(textBitmap_.dc, previousBitmap);
}
