// The scenes of the recollection screen: identifier 16 x tab + position, the
// script replayed and the global variable that unlocks it.
#pragma once

#include <cstdint>

struct RecollectionRecord {
  std::int32_t identifier;
  const char* script;
  const char* variable;
};

// 24 records in ascending identifier order and the terminator (-1).
extern const RecollectionRecord gRecollectionTable[];
