#include <algorithm>

#include "common/sjis_string.h"
#include "engine/pictures/picture_design_space.h"
#include "engine/pictures/picture_object.h"
#include "engine/raster/raster_pixel.h"
#include "engine/text/glyph_sampler.h"
#include "engine/text/message_font.h"
#include "engine/text/message_window.h"
#include "engine/text/symbol_glyphs.h"

namespace {

constexpr std::uint32_t kFullCoverage = 255;

// One glyph pixel at picture point (x, y), outside the picture left out:
// opaque writes the pixel and alpha 63; otherwise a level l > 0 raises the
// alpha a to a + (63 - a) x l / 64 and blends the pixel in (level 63
// writes it).
void PutLevel(CImage& target, int x, int y, std::uint32_t level, bool opaque, std::uint16_t pixel) {
  if (level == 0 || x < 0 || y < 0 || x >= static_cast<int>(target.width) || y >= static_cast<int>(target.height)) {
    return;
  }
  const std::size_t at = static_cast<std::size_t>(y) * target.width + static_cast<std::size_t>(x);
  std::uint16_t& p = target.GetPixels()[at];
  std::uint8_t& alpha = target.GetAlphaPlane()[at];
  if (opaque) {
    p = pixel;
    alpha = static_cast<std::uint8_t>(kAlphaOpaque);
    return;
  }
  const std::uint32_t a = std::min<std::uint32_t>(alpha, kAlphaOpaque);
  alpha = static_cast<std::uint8_t>(a + (kAlphaOpaque - a) * level / kBlendLevels);
  p = AlphaPixel(pixel, p, level);
}

}  // namespace

HFONT CMessageWindow::CreateLabelFont(std::int32_t height, std::int32_t weightIndex) {
  const LOGFONTW record = MakeFontRecord(height, weightIndex, kSystemFontFace);
  return CreateFontIndirectW(&record);
}

int CMessageWindow::RenderTextToImage(CImage& target, const char* line, std::int32_t size, std::int32_t spacing,
                                      std::uint32_t rgb, std::int32_t x, std::int32_t y, std::int32_t factor,
                                      std::int32_t shadow) {
  return RenderLine(target, line, size, spacing, rgb, x, y, factor, shadow, nullptr);
}

int CMessageWindow::RenderLabelToImage(CImage& target, const char* line, std::int32_t size, std::int32_t spacing,
                                       std::uint32_t rgb, std::int32_t x, std::int32_t y,
                                       std::int32_t antiAliasLevel, std::int32_t shadow, std::int32_t weightIndex) {
  const std::int32_t g = DesignXToScreen(static_cast<std::int32_t>(glyphScale) * size / 100);
  const int s = FitSupersampling(g, antiAliasLevel + 1, kTextBitmapSide);
  HFONT label = CreateLabelFont(g * s, weightIndex);
  if (!label) return 0;
  const int result = RenderLine(target, line, size, spacing, rgb, x, y, s, shadow, label);
  DeleteObject(label);
  return result;
}

int CMessageWindow::RenderLine(CImage& target, const char* line, std::int32_t size, std::int32_t spacing,
                               std::uint32_t rgb, std::int32_t x, std::int32_t y, int factor, std::int32_t shadow,
                               HFONT labelFont) {
  if (target.pixelKind != kPixelKindRgb565Alpha || !target.GetPixels() || !target.GetAlphaPlane() || !line ||
      !textBitmap_.dc) {
    return 0;
  }
  const std::int32_t g = DesignXToScreen(static_cast<std::int32_t>(glyphScale) * size / 100);
  if (g <= 0) return 1;
  const int s = FitSupersampling(g, factor, kTextBitmapSide);
  HFONT font = labelFont;
  if (!font) {
    if (gMessageFont.size != g * s || !gMessageFont.handle) CreateMessageFont(g * s, gMessageFont.weightIndex);
    font = gMessageFont.handle;
  }
  HGDIOBJ previousBitmap = SelectObject(textBitmap_.dc, textBitmap_.bitmap);
  HGDIOBJ previousFont = font ? SelectObject(textBitmap_.dc, font) : nullptr;
  SetBkColor(textBitmap_.dc, RGB(0, 0, 0));
  SetTextColor(textBitmap_.dc, RGB(255, 255, 255));
  SetBkMode(textBitmap_.dc, TRANSPARENT);
  const std::int32_t step = DesignXToScreen(spacing);
  const std::uint16_t colour = ColorToRgb565(rgb);
  // With a shadow, the whole line first in black one pixel down and right.
  for (int pass = shadow ? 0 : 1; pass < 2; ++pass) {
    const int offset = pass == 0 ? 1 : 0;
    const std::uint16_t pixel = pass == 0 ? 0 : colour;
    std::int32_t penX = DesignXToScreen(x);
    const std::int32_t top = DesignYToScreen(y);
    for (const char* p = line; *p;) {
      const auto byte = static_cast<unsigned char>(*p);
      const bool wide = IsSjisLeadByte(byte) && p[1] != '\0';
      const auto code = static_cast<std::uint16_t>(byte | (wide ? static_cast<unsigned char>(p[1]) : 0) << 8);
      p += wide ? 2 : 1;
      const std::uint8_t* special = labelFont ? nullptr : FindSpecialGlyph(code, g);
      if (!special) SampleGlyph(textBitmap_, code, g, s, counts_);
      for (int j = 0; j < g; ++j) {
        for (int i = 0; i < g; ++i) {
          const std::size_t at = static_cast<std::size_t>(j) * g + i;
          std::uint32_t level = 0;
          bool opaque = false;
          if (special) {
            level = special[at] >> 2;
            opaque = level >= kAlphaOpaque;
          } else {
            const std::uint32_t coverage = kFullCoverage * counts_[at] / static_cast<std::uint32_t>(s * s);
            level = coverage >> 2;
            opaque = coverage >= kFullCoverage;
          }
          PutLevel(target, penX + offset + i, top + offset + j, level, opaque, pixel);
        }
      }
      penX += (wide ? g : g / 2) + step;
    }
  }
  if (previousFont) SelectObject(textBitmap_.dc, previousFont);
  if (previousBitmap) SelectObject(textBitmap_.dc, previousBitmap);
  return 1;
}
