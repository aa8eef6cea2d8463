#include <array>

#include "host/fonts/glyph_backend.h"

namespace {

class FakeFont : public GlyphFont {
 public:
  explicit FakeFont(int height) : height_(height) {}

  GlyphImage Render(char32_t code) override {
    GlyphImage glyph;
    glyph.width = code >= 0x100 ? height_ : height_ / 2;
    glyph.height = height_;
    glyph.advance = glyph.width;
    glyph.bits.assign(static_cast<std::size_t>(glyph.width) * glyph.height, 1);
    for (int k = 0; k < 8 && k < glyph.width; ++k) {
      glyph.bits[static_cast<std::size_t>(k)] = (code >> (7 - k)) & 1;
    }
    return glyph;
  }

 private:
  int height_;
};

constexpr std::array<const char*, 2> kFacesUtf8{"ＭＳ ゴシック", "ＭＳ 明朝"};
constexpr std::array<const char16_t*, 2> kFaces{u"ＭＳ ゴシック", u"ＭＳ 明朝"};

class FakeBackend : public GlyphBackend {
 public:
  std::unique_ptr<GlyphFont> OpenFont(const std::string& face, int height, int /*weight*/) override {
    for (const char* known : kFacesUtf8) {
      if (face == known) return std::make_unique<FakeFont>(height);
    }
    return nullptr;
  }

  std::vector<FontFamilyEntry> Families() override {
    std::vector<FontFamilyEntry> families;
    for (const char16_t* face : kFaces) families.push_back(FontFamilyEntry{face, TRUETYPE_FONTTYPE, true});
    return families;
  }
};

}  // namespace

std::unique_ptr<GlyphBackend> MakeFakeGlyphBackend() { return std::make_unique<FakeBackend>(); }
