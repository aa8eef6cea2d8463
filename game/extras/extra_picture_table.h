// The extra illustrations, three categories of identifiers base 0, 32 and
// 64, 16 a page.
#pragma once

#include <cstdint>

#include "game/extras/extras_frame.h"

inline constexpr std::uint32_t kExtraPictureCategories = 3;
inline constexpr std::uint32_t gExtraPicturePageCounts[kExtraPictureCategories] = {2, 2, 1};
// 74 records and the terminator.
extern const PictureRecord gExtraPictureTable[];
