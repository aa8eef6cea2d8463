// The installed fonts as fontconfig lists them, looked up by the family
// names the platform's font records use.
#pragma once

#include <string>
#include <vector>

struct FontFile {
  std::string path;
  int index = 0;   // face within the file
  int weight = 0;  // fontconfig's scale (80 regular, 200 bold)
};

// The family fontconfig is asked for in place of a platform face name (a
// Japanese system face maps to the installed IPA font); other names as given.
std::string SubstituteFamily(const std::string& faceUtf8);
// Every installed face of that family (after substitution); empty when no
// font carries it.
std::vector<FontFile> FindFontFiles(const std::string& faceUtf8);
// fontconfig's weight for a font record's 0..1000.
int FontconfigWeight(int recordWeight);

// One installed font that fontconfig gives language "ja": its family names
// with their languages ("" when fontconfig names none), in fontconfig's order.
struct JapaneseFont {
  struct Family {
    std::string nameUtf8;
    std::string language;
  };
  std::vector<Family> families;
  bool outline = false;     // TrueType or CFF outlines
  bool fixedPitch = false;  // mono or dual spacing
};
std::vector<JapaneseFont> ListJapaneseFonts();

// Test mode: the catalogue holds only the fonts in folder; "" goes back to
// the installed fonts. Fonts made before are forgotten. False when the
// folder cannot be read (the installed fonts are then used).
bool HostUseFontFolder(const std::string& folder);
