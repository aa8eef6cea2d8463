#include "host/fonts/font_cache.h"

#include <map>
#include <mutex>
#include <tuple>

namespace {

// Enough for every size a page of text and its labels use at once.
constexpr std::size_t kFontLimit = 64;
constexpr std::size_t kGlyphLimit = 4096;

using FontKey = std::tuple<std::string, int, int>;

struct FontTable {
  std::mutex lock;
  std::map<FontKey, std::shared_ptr<CachedFont>> fonts;
};

FontTable& Fonts() {
  static FontTable table;
  return table;
}

void DropUnused(std::map<FontKey, std::shared_ptr<CachedFont>>& fonts) {
  std::erase_if(fonts, [](const auto& entry) { return entry.second.use_count() == 1; });
}

}  // namespace

const GlyphImage& CachedFont::Glyph(char32_t code) {
  const auto found = glyphs_.find(code);
  if (found != glyphs_.end()) return found->second;
  if (glyphs_.size() >= kGlyphLimit) glyphs_.clear();
  return glyphs_.emplace(code, font_->Render(code)).first->second;
}

std::shared_ptr<CachedFont> HostOpenCachedFont(const std::string& faceUtf8, int height, int weight) {
  FontTable& table = Fonts();
  std::lock_guard guard(table.lock);
  const FontKey key{faceUtf8, height, weight};
  if (const auto found = table.fonts.find(key); found != table.fonts.end()) return found->second;
  std::unique_ptr<GlyphFont> font = HostGlyphBackend().OpenFont(faceUtf8, height, weight);
  if (!font) return nullptr;
  if (table.fonts.size() >= kFontLimit) DropUnused(table.fonts);
  auto cached = std::make_shared<CachedFont>(std::move(font), height);
  table.fonts.emplace(key, cached);
  return cached;
}

void HostForgetCachedFonts() {
  FontTable& table = Fonts();
  std::lock_guard guard(table.lock);
  table.fonts.clear();
}
