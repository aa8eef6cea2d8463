// "system.dat": what outlives every game (global variables, seen-lists, read
// marks), kept in the save folder. Little-endian 4-byte numbers, unaligned;
// names Shift-JIS and NUL-terminated:
//   "STS0"
//   globals:    count; per variable: name, value
//   seen-list 0 (pictures), then 1 (scripts): count, byte length of the
//               names, the names in list order
//   read marks: set count, byte length of the sets; per set: script name,
//               position count, the positions
// The file is replaced as a whole, so a failed write leaves the old one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "game/script/script_variables.h"
#include "game/stores/seen_stores.h"

inline constexpr char kSystemDataFile[] = "system.dat";

std::vector<std::uint8_t> BuildSystemData(const ScriptVariables& variables, const CSeenStores& stores);
// Replaces the global variables, seen-lists and read marks with the image's.
// 1 when the image was whole; a short or inconsistent image changes nothing
// and gives 0.
int ApplySystemData(const std::uint8_t* bytes, std::size_t size, ScriptVariables& variables, CSeenStores& stores);

// 1 when written whole.
int WriteSystemDataFile(const char* path, const ScriptVariables& variables, const CSeenStores& stores);
// 0, with nothing changed, when the file is missing or not a whole image; a
// damaged file is copied to path + ".bad" first.
int ReadSystemDataFile(const char* path, ScriptVariables& variables, CSeenStores& stores);
