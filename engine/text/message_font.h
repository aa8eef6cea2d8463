// The message font: one process-wide font record that the message window
// types and renders with, its face chosen in the settings.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/gdi/gdi_api.h"

inline constexpr std::size_t kFaceNameBytes = 128;
// "ＭＳ ゴシック" in Shift-JIS: the default face of every text font.
inline constexpr char kSystemFontFace[] = "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E";
inline constexpr int kWeightCount = 5;
// Font weights by weight index.
inline constexpr LONG kFontWeights[kWeightCount] = {0, 200, 400, 600, 900};
inline constexpr std::int32_t kNormalWeightIndex = 2;

struct MessageFont {
  HFONT handle = nullptr;
  std::int32_t size = 0;  // pixel height of the created font
  std::int32_t weightIndex = 4;
  char face[kFaceNameBytes];         // Shift-JIS
  char defaultFace[kFaceNameBytes];  // Shift-JIS
};

extern MessageFont gMessageFont;

// A font record for a Shift-JIS face: cell height, weight of the index
// (clamped to the table), Shift-JIS character set, fixed pitch. The face is
// cut to what the record's face field holds.
LOGFONTW MakeFontRecord(std::int32_t height, std::int32_t weightIndex, const char* face);
// Replaces the message font; falls back to the default face once when the
// current face cannot be had. 1 when a font exists.
int CreateMessageFont(std::int32_t size, std::int32_t weightIndex);
// 0 when the face was taken and the font recreated at its size and weight;
// a face of kFaceNameBytes bytes or more is refused and its length returned.
std::int32_t SetMessageFontFace(const char* face);
void DeleteMessageFont();
