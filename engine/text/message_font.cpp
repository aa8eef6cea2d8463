#include "engine/text/message_font.h"

#include <algorithm>
#include <cstring>

#include "common/sjis_string.h"
#include "host/text/code_page.h"

namespace {

MessageFont MakeInitialFont() {
  MessageFont font;
  StrCopy(font.face, kSystemFontFace);
  StrCopy(font.defaultFace, kSystemFontFace);
  return font;
}

}  // namespace

MessageFont gMessageFont = MakeInitialFont();

LOGFONTW MakeFontRecord(std::int32_t height, std::int32_t weightIndex, const char* face) {
  LOGFONTW record{};
  record.lfHeight = height;
  record.lfWeight = kFontWeights[std::clamp(weightIndex, 0, kWeightCount - 1)];
  record.lfCharSet = SHIFTJIS_CHARSET;
  record.lfOutPrecision = OUT_DEFAULT_PRECIS;
  record.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  record.lfQuality = DEFAULT_QUALITY;
  record.lfPitchAndFamily = FIXED_PITCH;
  WCHAR wide[kFaceNameBytes] = {};
  if (MultiByteToWideChar(CP_ACP, 0, face, -1, wide, static_cast<int>(kFaceNameBytes)) == 0) wide[0] = 0;
  // The record's face field holds LF_FACESIZE units with the NUL.
  std::copy_n(wide, LF_FACESIZE - 1, record.lfFaceName);
  record.lfFaceName[LF_FACESIZE - 1] = 0;
  return record;
}

int CreateMessageFont(std::int32_t size, std::int32_t weightIndex) {
  DeleteMessageFont();
  gMessageFont.size = size;
  gMessageFont.weightIndex = weightIndex;
  LOGFONTW record = MakeFontRecord(size, weightIndex, gMessageFont.face);
  gMessageFont.handle = CreateFontIndirectW(&record);
  if (!gMessageFont.handle) {
    StrCopy(gMessageFont.face, gMessageFont.defaultFace);
    record = MakeFontRecord(size, weightIndex, gMessageFont.face);
    gMessageFont.handle = CreateFontIndirectW(&record);
  }
  return gMessageFont.handle ? 1 : 0;
}

std::int32_t SetMessageFontFace(const char* face) {
  const std::size_t length = std::strlen(face);
  if (length >= kFaceNameBytes) return static_cast<std::int32_t>(length);
  StrCopy(gMessageFont.face, face);
  CreateMessageFont(gMessageFont.size, gMessageFont.weightIndex);
  return 0;
}

void DeleteMessageFont() {
  if (gMessageFont.handle) DeleteObject(gMessageFont.handle);
  gMessageFont.handle = nullptr;
}
