// Code page 932 against a table an independent decoder made
// (tools/make_cp932_oracle.py): every single byte and every byte pair.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

#include "host/text/code_page.h"

namespace {

std::map<unsigned, unsigned> LoadOracle() {
  std::map<unsigned, unsigned> oracle;
  std::ifstream file(std::string(NOVEL_TEST_DATA_DIR) + "/cp932/oracle.txt");
  std::string code;
  std::string unit;
  while (file >> code >> unit) oracle[std::stoul(code, nullptr, 16)] = std::stoul(unit, nullptr, 16);
  return oracle;
}

// Ours for one code: the single UTF-16 unit, or -1 when the call fails or
// gives more than one unit.
long Ours(unsigned code) {
  char bytes[2] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
  const bool single = code < 0x100;
  WCHAR out[4] = {};
  const int units = MultiByteToWideChar(CP_ACP, 0, single ? bytes + 1 : bytes, single ? 1 : 2, out, 4);
  return units == 1 ? static_cast<long>(out[0]) : -1;
}

TEST(Cp932Oracle, EveryCodeMatchesExceptTheSettledSingleBytes) {
  const std::map<unsigned, unsigned> oracle = LoadOracle();
  ASSERT_EQ(oracle.size(), 9800u);
  // Where the independent decoder gives a best-fit character, ours (as the
  // system's iconv) has none: 0x80, 0xA0 and 0xFD to 0xFF.
  const std::map<unsigned, long> settled = {{0x80, -1}, {0xA0, -1}, {0xFD, -1}, {0xFE, -1}, {0xFF, -1}};
  int mismatches = 0;
  for (unsigned code = 0; code < 0x10000; ++code) {
    if (code >= 0x100 && code < 0x8000) continue;
    const unsigned lead = code >> 8;
    // A pair whose first byte is a character of its own is two characters.
    if (code >= 0x100 && oracle.count(lead)) continue;
    long expected = -1;
    if (const auto found = oracle.find(code); found != oracle.end()) expected = found->second;
    if (const auto found = settled.find(code); found != settled.end()) expected = found->second;
    if (Ours(code) != expected && ++mismatches <= 10) {
      ADD_FAILURE() << std::hex << "code " << code << ": ours " << Ours(code) << ", expected " << expected;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
