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

class FakeBackend : public GlyphBackend {
 public:
  std::unique_ptr<GlyphFont> OpenFont(const std::string& face, int height, int /*weight*/) override {
    static constexpr std::array<const char*, 2> kFaces{"ＭＳ ゴシック", "ＭＳ 明朝"};
    for (const char* known : kFaces) {
      if (face == known) return std::make_unique<FakeFont>(height);
    }
    return nullptr;
  }
};

}  // namespace

std::unique_ptr<GlyphBackend> MakeFakeGlyphBackend() { return std::make_unique<FakeBackend>(); }
