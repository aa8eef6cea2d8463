// Fonts of the glyph source shared per (face, cell height, weight), each
// keeping the glyphs it rendered, so that recreating a font at a size used
// before costs nothing.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "host/fonts/glyph_backend.h"

class CachedFont {
 public:
  CachedFont(std::unique_ptr<GlyphFont> font, int cellHeight) : font_(std::move(font)), cellHeight_(cellHeight) {}
  int CellHeight() const { return cellHeight_; }
  const GlyphImage& Glyph(char32_t code);

 private:
  std::unique_ptr<GlyphFont> font_;
  int cellHeight_;
  std::unordered_map<char32_t, GlyphImage> glyphs_;
};

// faceUtf8 as the font record names it; height > 0. Null when no font
// carries the face.
std::shared_ptr<CachedFont> HostOpenCachedFont(const std::string& faceUtf8, int height, int weight);
// Forgets every font (the glyph source changed); fonts still selected
// somewhere live on with their holders.
void HostForgetCachedFonts();
