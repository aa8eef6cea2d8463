#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <cstdlib>
#include <memory>

#include "host/fonts/font_catalogue.h"
#include "host/fonts/glyph_backend.h"

namespace {

// Shared by the back end and every face made from it, so a face outlives a
// back end that is replaced while the face is still selected somewhere.
class FreeTypeLibrary {
 public:
  FreeTypeLibrary() {
    if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
  }
  ~FreeTypeLibrary() {
    if (library_) FT_Done_FreeType(library_);
  }
  FreeTypeLibrary(const FreeTypeLibrary&) = delete;
  FreeTypeLibrary& operator=(const FreeTypeLibrary&) = delete;
  FT_Library Get() const { return library_; }

 private:
  FT_Library library_ = nullptr;
};

int Pixels(FT_Pos value26Dot6) { return static_cast<int>((value26Dot6 + 32) >> 6); }

class FreeTypeFont : public GlyphFont {
 public:
  FreeTypeFont(std::shared_ptr<FreeTypeLibrary> library, FT_Face face, bool embolden)
      : library_(std::move(library)), face_(face), embolden_(embolden) {
    ascent_ = Pixels(FT_MulFix(face_->ascender, face_->size->metrics.y_scale));
  }
  ~FreeTypeFont() override { FT_Done_Face(face_); }
  FreeTypeFont(const FreeTypeFont&) = delete;
  FreeTypeFont& operator=(const FreeTypeFont&) = delete;

  GlyphImage Render(char32_t code) override {
    GlyphImage glyph;
    // Glyph 0 is the face's missing-glyph box.
    const FT_UInt index = FT_Get_Char_Index(face_, code);
    if (FT_Load_Glyph(face_, index, FT_LOAD_TARGET_MONO) != 0) return glyph;
    FT_GlyphSlot slot = face_->glyph;
    if (embolden_) FT_GlyphSlot_Embolden(slot);
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return glyph;
    glyph.advance = Pixels(slot->advance.x);
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.left = slot->bitmap_left;
    glyph.top = ascent_ - slot->bitmap_top;
    glyph.width = static_cast<int>(bitmap.width);
    glyph.height = static_cast<int>(bitmap.rows);
    glyph.bits.assign(static_cast<std::size_t>(glyph.width) * glyph.height, 0);
    for (int y = 0; y < glyph.height; ++y) {
      const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
      for (int x = 0; x < glyph.width; ++x) {
        const bool set = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (row[x >> 3] >> (7 - (x & 7))) & 1
                                                                 : row[x] >= 128;
        glyph.bits[static_cast<std::size_t>(y) * glyph.width + x] = set ? 1 : 0;
      }
    }
    return glyph;
  }

 private:
  std::shared_ptr<FreeTypeLibrary> library_;
  FT_Face face_;
  bool embolden_;
  int ascent_ = 0;
};

class SystemBackend : public GlyphBackend {
 public:
  std::unique_ptr<GlyphFont> OpenFont(const std::string& face, int height, int weight) override {
    if (!library_->Get()) return nullptr;
    const std::vector<FontFile> files = FindFontFiles(face);
    if (files.empty()) return nullptr;
    const int wanted = FontconfigWeight(weight);
    const FontFile* best = &files.front();
    for (const FontFile& file : files) {
      if (std::abs(file.weight - wanted) < std::abs(best->weight - wanted)) best = &file;
    }
    FT_Face ftFace = nullptr;
    if (FT_New_Face(library_->Get(), best->path.c_str(), best->index, &ftFace) != 0) return nullptr;
    // A positive height is the cell: ascent plus descent.
    FT_Size_RequestRec request{FT_SIZE_REQUEST_TYPE_CELL, 0, static_cast<FT_Long>(height) << 6, 0, 0};
    if (FT_Request_Size(ftFace, &request) != 0) {
      FT_Done_Face(ftFace);
      return nullptr;
    }
    const bool embolden = wanted >= FC_WEIGHT_DEMIBOLD && best->weight < FC_WEIGHT_DEMIBOLD;
    return std::make_unique<FreeTypeFont>(library_, ftFace, embolden);
  }

  std::vector<FontFamilyEntry> Families() override { return NameFontFamilies(ListJapaneseFonts()); }

 private:
  std::shared_ptr<FreeTypeLibrary> library_ = std::make_shared<FreeTypeLibrary>();
};

}  // namespace

std::unique_ptr<GlyphBackend> MakeSystemGlyphBackend() { return std::make_unique<SystemBackend>(); }
