#include <algorithm>

#include "host/gdi/font_families_api.h"

int EnumFontFamiliesW(HDC /*dc*/, LPCWSTR family, FONTENUMPROCW proc, LPARAM data) {
  if (family != nullptr || proc == nullptr) return 0;
  int result = 1;
  for (const FontFamilyEntry& entry : EnumerableFontFamilies()) {
    LOGFONTW font{};
    const std::size_t units = std::min<std::size_t>(entry.name.size(), LF_FACESIZE - 1);
    std::copy_n(entry.name.begin(), units, font.lfFaceName);
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfPitchAndFamily = entry.fixedPitch ? FIXED_PITCH : VARIABLE_PITCH;
    TEXTMETRICW metrics{};
    metrics.tmCharSet = font.lfCharSet;
    result = proc(&font, &metrics, entry.type, data);
    if (result == 0) break;
  }
  return result;
}
