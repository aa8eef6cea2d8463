// Where the glyphs of the text calls come from: the installed fonts (FreeType
// and fontconfig) or, for tests, a fake source whose every glyph is a fixed
// pattern that can be worked out by hand.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/fonts/font_families.h"

// One glyph as a one-bit mask placed against the pen: its first column at
// pen x + left, its first row at cell row top (row 0 is the top of the cell).
struct GlyphImage {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int advance = 0;
  std::vector<std::uint8_t> bits;  // width x height, 1 where set
};

// One face at one cell height and weight.
class GlyphFont {
 public:
  virtual ~GlyphFont() = default;
  // A character the face lacks gives its missing-glyph box.
  virtual GlyphImage Render(char32_t code) = 0;
};

class GlyphBackend {
 public:
  virtual ~GlyphBackend() = default;
  // face is the family name in UTF-8; height the cell height in pixels (> 0);
  // weight 0..1000 as in the font record. Null when no font carries the face.
  virtual std::unique_ptr<GlyphFont> OpenFont(const std::string& face, int height, int weight) = 0;
  // The families the source can open, as the font enumeration reports them.
  virtual std::vector<FontFamilyEntry> Families() = 0;
};

// Replaces the glyph source (and forgets the fonts made from the old one);
// null goes back to the default. The default is the installed fonts, or the
// fake source when NOVEL_FONTS is "fake".
void HostSetGlyphBackend(std::unique_ptr<GlyphBackend> backend);
GlyphBackend& HostGlyphBackend();

// Installed fonts through fontconfig and FreeType. "ＭＳ ゴシック" is looked
// for as "IPAGothic". Its families are the Japanese ones of the catalogue. Glyphs are hinted one-bit renderings; weights of 600
// and more are emboldened when the face has no bold of its own.
std::unique_ptr<GlyphBackend> MakeSystemGlyphBackend();

// The fake source knows the faces "ＭＳ ゴシック" and "ＭＳ 明朝". Every
// character of a font of cell height h is a solid block h rows high and
// h wide (code points from U+0100) or h / 2 wide (below), at the pen and the
// top of the cell, advancing by its width, except that row 0 carries the
// code's low byte: the pixel at column k (k < 8) is set only when bit 7 - k
// of that byte is set. Weight changes nothing. Both faces are listed as
// fixed-pitch outline families.
std::unique_ptr<GlyphBackend> MakeFakeGlyphBackend();
