// The font families the font enumeration reports: those of the glyph source
// (for the installed fonts, the Japanese ones under the names the platform's
// font records can carry), or, for tests, a scripted list.
#pragma once

#include <string>
#include <vector>

#include "host/base/win_types.h"
#include "host/fonts/font_catalogue.h"

inline constexpr DWORD TRUETYPE_FONTTYPE = 4;

struct FontFamilyEntry {
  std::u16string name;
  DWORD type = 0;  // TRUETYPE_FONTTYPE for outline fonts, else 0
  bool fixedPitch = false;
};

// The glyph source's families; in scripted mode, the script.
std::vector<FontFamilyEntry> EnumerableFontFamilies();
// The installed fonts' families: each once, named by its Japanese name when
// it has one, else by its first; a name that does not fit a font record's
// face field (31 units) or code page 932 is left out. Fixed-pitch families
// come first, each group in the order of the names' code page 932 bytes.
std::vector<FontFamilyEntry> NameFontFamilies(const std::vector<JapaneseFont>& fonts);

// Test mode: the enumeration reports exactly these, in this order; an empty
// list goes back to the catalogue.
void HostScriptFontFamilies(std::vector<FontFamilyEntry> families);
