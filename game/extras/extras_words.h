// The words the extras screens keep in the game between frames and between
// the screens: where each screen was left, the cursor and the viewer.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t kNoCursor = 100;
inline constexpr std::uint32_t kGridPositions = 16;
inline constexpr std::uint32_t kNamesPerPosition = 16;
inline constexpr std::uint32_t kGalleryNameBytes = 32;

// One page of a picture grid as its set-up filled it.
struct GalleryPage {
  std::uint32_t pageCount = 0;
  // Grid positions shown on the page, 0..16.
  std::uint32_t entryCount = 0;
  // 1 when the position has at least one picture to show.
  std::uint32_t filled[kGridPositions] = {};
  // The names of position k at k x 16 + j, in table order; the rest empty.
  char names[kGridPositions * kNamesPerPosition][kGalleryNameBytes] = {};
};

// The recollection screen's page: what each grid position of the tab holds.
struct RecollectionPage {
  // Always 16: one page a tab.
  std::uint32_t entryCount = 0;
  std::uint32_t unlocked[kGridPositions] = {};
  // 1 when the table has no scene for the position (no frame either).
  std::uint32_t absent[kGridPositions] = {};
  char variables[kGridPositions][kGalleryNameBytes] = {};
  char scripts[kGridPositions][kGalleryNameBytes] = {};
};

struct ExtrasWords {
  // Extra-picture category or gallery tab, and its page.
  std::uint32_t category = 0;
  std::uint32_t page = 0;
  std::uint32_t cursor = kNoCursor;
  std::uint32_t newCursor = kNoCursor;
  // The viewer: grid position and the index of its next name.
  std::uint32_t viewedEntry = 0;
  std::uint32_t viewedVariant = 0;
  std::int32_t scrollX = 0;
  std::int32_t scrollY = 0;
  std::int32_t pictureWidth = 0;
  std::int32_t pictureHeight = 0;
  GalleryPage gallery;
  // The music room: the track last chosen (1..27; 0 none) and its cursor.
  std::uint32_t musicTrack = 0;
  std::uint32_t musicCursor = kNoCursor;
  std::uint32_t musicNewCursor = kNoCursor;
  // The recollection screen: its tab, the scene being started and when its
  // fade to black began (clock ms), its cursor.
  std::uint32_t recollectionTab = 0;
  std::uint32_t chosenScene = 0;
  std::uint32_t fadeStart = 0;
  std::uint32_t recollectionCursor = kNoCursor;
  std::uint32_t recollectionNewCursor = kNoCursor;
  RecollectionPage recollection;
};
