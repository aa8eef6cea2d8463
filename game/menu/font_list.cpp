#include "game/menu/font_list.h"

#include <algorithm>

#include "common/sjis_string.h"
#include "host/display/display_api.h"
#include "host/text/code_page.h"

namespace {

constexpr char kDefaultFace[] = "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E";  // "ＭＳ ゴシック"

}  // namespace

void CFontList::AddPreferred(const char* name) {
  if (name == nullptr || name[0] == '\0') return;
  for (std::uint32_t slot = 0; slot < kMaxListedFonts; ++slot) {
    if (preferred_[slot][0] == '\0') {
      StrCopy(preferred_[slot], name);
      return;
    }
  }
}

void CFontList::EnumerateInstalled() {
  HDC screen = GetDC(nullptr);
  for (pass_ = 0; pass_ < 2; ++pass_) {
    EnumFontFamiliesW(screen, nullptr, &CFontList::EnumFontProc, reinterpret_cast<LPARAM>(this));
  }
  if (count_ == 0) StrCopy(listed_[count_++], kDefaultFace);
  ReleaseDC(nullptr, screen);
}

std::uint32_t CFontList::Find(const char* name) {
  if (name == nullptr || name[0] == '\0') return 0;
  const int index = IndexOf(name);
  return index >= 0 ? static_cast<std::uint32_t>(index) : 0;
}

int CFontList::EnumFontProc(const LOGFONTW* font, const TEXTMETRICW* /*metrics*/, DWORD fontType, LPARAM list) {
  auto& self = *reinterpret_cast<CFontList*>(list);
  if (fontType != TRUETYPE_FONTTYPE) return 1;
  // At most 31 units of the face field, which never take more than the 127
  // bytes of a name.
  WCHAR face[LF_FACESIZE] = {};
  std::copy_n(font->lfFaceName, LF_FACESIZE - 1, face);
  char name[kNameBytes];
  if (WideCharToMultiByte(CP_ACP, 0, face, -1, name, sizeof name, nullptr, nullptr) == 0) return 1;
  if (name[0] == '@' || name[0] == '$' || self.count_ >= kMaxListedFonts) return 1;
  // A family reported twice is listed once, in either pass.
  if (self.IndexOf(name) >= 0) return 1;
  if (self.pass_ == 1 || self.IsPreferred(name)) StrCopy(self.listed_[self.count_++], name);
  return 1;
}

bool CFontList::IsPreferred(const char* name) const {
  for (std::uint32_t slot = 0; slot < kMaxListedFonts; ++slot) {
    if (preferred_[slot][0] != '\0' && StrEqualNoCase(preferred_[slot], name)) return true;
  }
  return false;
}

int CFontList::IndexOf(const char* name) const {
  for (std::uint32_t i = 0; i < count_; ++i) {
    if (StrEqualNoCase(listed_[i], name)) return static_cast<int>(i);
  }
  return -1;
}
