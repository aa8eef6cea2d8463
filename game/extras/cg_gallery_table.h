// The event pictures of the CG gallery: six character tabs, identifiers
// 32 x tab + 16 x page + position, one to nine pictures an identifier.
#pragma once

#include <cstdint>

#include "game/extras/extras_frame.h"

inline constexpr std::uint32_t kCgGalleryTabs = kCharacterTabs;
inline constexpr std::uint32_t gCgGalleryPageCounts[kCgGalleryTabs] = {2, 2, 2, 2, 2, 4};
// Grid positions on each page of each tab.
inline constexpr std::uint32_t kCgGalleryPositions[kCgGalleryTabs][4] = {
    {16, 15, 0, 0}, {16, 11, 0, 0}, {16, 16, 0, 0}, {16, 14, 0, 0}, {16, 5, 0, 0}, {16, 16, 16, 12},
};

// The records of the gallery's data file (game/extras/cg_gallery_records.txt)
// and the terminator.
const PictureRecord* CgGalleryTable();
