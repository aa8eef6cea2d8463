#include "host/fonts/font_families.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include "host/fonts/glyph_backend.h"
#include "host/gdi/gdi_api.h"
#include "host/text/code_page.h"

namespace {

struct Script {
  std::mutex lock;
  std::vector<FontFamilyEntry> families;
};

Script& TheScript() {
  static Script script;
  return script;
}

const std::string& ChosenName(const JapaneseFont& font) {
  for (const JapaneseFont::Family& family : font.families) {
    if (family.language == "ja") return family.nameUtf8;
  }
  return font.families.front().nameUtf8;
}

// The name in UTF-16 and in code page 932; false when it does not fit the
// face field or the code page.
bool Convert(const std::string& utf8, std::u16string& wide, std::string& sjis) {
  WCHAR units[LF_FACESIZE];
  const int count = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, units, LF_FACESIZE);
  if (count <= 1) return false;
  wide.assign(units, static_cast<std::size_t>(count - 1));
  char bytes[LF_FACESIZE * 2];
  BOOL lossy = FALSE;
  const int length = WideCharToMultiByte(CP_SHIFT_JIS, 0, units, -1, bytes, sizeof bytes, nullptr, &lossy);
  if (length <= 1 || lossy) return false;
  sjis.assign(bytes, static_cast<std::size_t>(length - 1));
  return true;
}

}  // namespace

std::vector<FontFamilyEntry> NameFontFamilies(const std::vector<JapaneseFont>& fonts) {
  struct Named {
    FontFamilyEntry entry;
    std::string sjis;
  };
  std::vector<Named> named;
  for (const JapaneseFont& font : fonts) {
    Named candidate;
    if (!Convert(ChosenName(font), candidate.entry.name, candidate.sjis)) continue;
    const bool seen = std::any_of(named.begin(), named.end(),
                                  [&](const Named& other) { return other.entry.name == candidate.entry.name; });
    if (seen) continue;
    candidate.entry.type = font.outline ? TRUETYPE_FONTTYPE : 0;
    candidate.entry.fixedPitch = font.fixedPitch;
    named.push_back(std::move(candidate));
  }
  // std::string compares its bytes as unsigned char.
  std::sort(named.begin(), named.end(), [](const Named& a, const Named& b) {
    if (a.entry.fixedPitch != b.entry.fixedPitch) return a.entry.fixedPitch;
    return a.sjis < b.sjis;
  });
  std::vector<FontFamilyEntry> families;
  for (Named& n : named) families.push_back(std::move(n.entry));
  return families;
}

std::vector<FontFamilyEntry> EnumerableFontFamilies() {
  {
    Script& script = TheScript();
    std::lock_guard guard(script.lock);
    if (!script.families.empty()) return script.families;
  }
  return HostGlyphBackend().Families();
}

void HostScriptFontFamilies(std::vector<FontFamilyEntry> families) {
  Script& script = TheScript();
  std::lock_guard guard(script.lock);
  script.families = std::move(families);
}
