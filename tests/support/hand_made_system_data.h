// "system.dat" images laid out byte by byte from the file's table, for tests
// that seed or compare what the game keeps across runs: "STS0", the globals,
// seen-lists 0 (pictures) and 1 (scripts), the read-mark sets.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct HandMadeGlobal {
  std::string name;
  std::int32_t value;
};

struct HandMadeReadMarks {
  std::string script;
  std::vector<std::uint32_t> positions;
};

std::vector<std::uint8_t> HandMadeSystemData(const std::vector<HandMadeGlobal>& globals,
                                             const std::vector<std::string>& pictures,
                                             const std::vector<std::string>& scripts,
                                             const std::vector<HandMadeReadMarks>& readMarks = {});
