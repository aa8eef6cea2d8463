#include "host/text/cp932_table.h"

#include <iconv.h>

#include <array>
#include <vector>

namespace {

// Every code maps into the basic plane, so one unit serves each.
std::vector<WCHAR> BuildTable() {
  std::vector<WCHAR> table(0x10000, kNoCp932Character);
  iconv_t converter = iconv_open("UTF-16LE", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) return table;
  for (unsigned code = 0; code < 0x10000; ++code) {
    // Single bytes sit at 0..255; a pair needs a lead byte (0x81 and up).
    if (code >= 0x100 && code < 0x8100) continue;
    std::array<char, 2> in{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    char* inPointer = code < 0x100 ? in.data() + 1 : in.data();
    size_t inLeft = code < 0x100 ? 1 : 2;
    char out[8];
    char* outPointer = out;
    size_t outLeft = sizeof out;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<size_t>(-1)) continue;
    if (inLeft != 0 || outPointer - out != 2) continue;  // a pair that is two characters
    table[code] = static_cast<WCHAR>(static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8);
  }
  iconv_close(converter);
  return table;
}

}  // namespace

WCHAR Cp932ToUnit(unsigned code) {
  static const std::vector<WCHAR> table = BuildTable();
  return code < table.size() ? table[code] : kNoCp932Character;
}
