// The message fonts the player can choose from, collected once at start-up:
// the installed outline fonts the settings file prefers, in the system's
// order, then the other installed outline fonts, 15 at most; "ＭＳ ゴシック"
// alone when none is installed.
#pragma once

#include <cstdint>

#include "engine/shell/shell_ports.h"
#include "host/gdi/font_families_api.h"

inline constexpr std::uint32_t kMaxListedFonts = 15;

class CFontList : public FontListPort {
 public:
  CFontList() = default;
  ~CFontList() override { count_ = 0; }

  // Empty names and names past the 15th are ignored.
  void AddPreferred(const char* name) override;
  void EnumerateInstalled() override;
  std::uint32_t Count() const override { return count_; }
  const char* Name(std::uint32_t index) const override { return index < count_ ? listed_[index] : ""; }
  std::uint32_t Find(const char* name) override;

 private:
  static constexpr std::size_t kNameBytes = 128;

  static int EnumFontProc(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD fontType, LPARAM list);
  bool IsPreferred(const char* name) const;
  // The listed font's index (any letter case), or -1.
  int IndexOf(const char* name) const;

  std::uint32_t pass_ = 0;
  char preferred_[kMaxListedFonts + 1][kNameBytes] = {};
  std::uint32_t count_ = 0;
  char listed_[kMaxListedFonts][kNameBytes] = {};
};
