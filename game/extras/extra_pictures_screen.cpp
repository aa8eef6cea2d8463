#include "game/extras/extra_pictures_screen.h"

#include <array>
#include <cstdio>

#include "engine/pictures/picture_part_slots.h"
#include "engine/shell/scene_state.h"
#include "game/extras/extra_picture_table.h"
#include "game/extras/extras_frame.h"
#include "game/game.h"
#include "game/sprites/sprite_making.h"

namespace {

constexpr std::uint32_t kPagePositions = 16;      // 16, 17: page buttons 0, 1
constexpr std::uint32_t kCategoryPositions = 18;  // 18..20
constexpr std::uint32_t kReturnPosition = 21;
constexpr std::uint32_t kRingSize = 22;
constexpr std::uint32_t kReturnButton = 3;
constexpr std::uint32_t kTitleReentry = 30;

struct Category {
  const char* background;
  std::uint32_t positions[2];  // per page
};
constexpr Category kCategories[kExtraPictureCategories] = {
    {"base_ex_ED", {16, 8}},
    {"base_ex_LA", {16, 16}},
    {"base_ex_Etc", {6, 0}},
};

std::array<RingPosition, kRingSize> MakeRing() {
  std::array<RingPosition, kRingSize> ring{};
  for (std::uint32_t k = 0; k < kGridPositions; ++k) ring[k] = GridRingPosition(k);
  for (std::uint32_t p = 0; p < 2; ++p) ring[kPagePositions + p] = PageRingPosition(p);
  for (std::uint32_t c = 0; c < kExtraPictureCategories; ++c) {
    ring[kCategoryPositions + c] = ButtonRingPosition(c, kCategoryButtonSourceY);
  }
  ring[kReturnPosition] = ButtonRingPosition(kReturnButton, kScreenButtonSourceY);
  return ring;
}
const std::array<RingPosition, kRingSize> kRing = MakeRing();

}  // namespace

void CExtraPicturesScreen::SetUp(std::uint32_t category, std::uint32_t page) {
  CGameEngine& engine = game_.Engine();
  ExtrasWords& words = game_.extras;
  FreeAllPartSlots(engine);
  engine.pictureSlots.FreeAllPictureSlots();
  if (category >= kExtraPictureCategories) category = 0;
  const std::uint32_t pageCount = gExtraPicturePageCounts[category];
  if (page >= pageCount) page = 0;
  words.gallery.pageCount = pageCount;
  const Category& shown = kCategories[category];
  engine.pictureSlots.LoadPictureSlot(kExtrasBackground, shown.background, 0, nullptr, nullptr);
  CreateImageSprite(engine, kExtrasBackground, kExtrasBackground, 0, 0, 800, 600, 0, 0, 0, 0, 38);
  engine.pictureSlots.LoadPictureSlot(kExtrasPartsSheet, "OMAKE_PARTS", 1, nullptr, nullptr);
  char sheet[32];
  std::snprintf(sheet, sizeof sheet, "extra_sum%u-%u", category + 1, page + 1);
  engine.pictureSlots.LoadPictureSlot(kExtrasThumbnails, sheet, 1, nullptr, nullptr);
  ShowPageControls(engine, pageCount, page);
  FillExtrasGrid(engine, words.gallery, gExtraPictureTable, static_cast<std::int32_t>(32 * category), page,
                 shown.positions[page], [](const char*) { return true; });
}

void CExtraPicturesScreen::RunFrame() {
  ExtrasWords& words = game_.extras;
  RunGridScreenFrame(
      game_.Engine(), words,
      [&] {
        game_.sound.PlayMusic("20", 0, 1);
        SetUp(words.category, words.page);
      },
      [&] { RunCursor(); });
}

void CExtraPicturesScreen::RunCursor() {
  ExtrasWords& words = game_.extras;
  std::array<bool, kRingSize> available{};
  for (std::uint32_t k = 0; k < kGridPositions; ++k) available[k] = words.gallery.filled[k] != 0;
  for (std::uint32_t p = 0; p < 2; ++p) {
    available[kPagePositions + p] = p < words.gallery.pageCount && p != words.page;
  }
  for (std::uint32_t c = 0; c < kExtraPictureCategories; ++c) {
    available[kCategoryPositions + c] = c != words.category;
  }
  available[kReturnPosition] = true;
  const std::uint32_t chosen =
      StepScreenCursor(game_.Engine(), words.cursor, words.newCursor, kRing.data(), available.data(), kRingSize);
  if (chosen != kNoCursor) Activate(chosen);
}

void CExtraPicturesScreen::Activate(std::uint32_t position) {
  CGameEngine& engine = game_.Engine();
  ExtrasWords& words = game_.extras;
  if (position < kGridPositions) {
    words.viewedEntry = position;
    words.viewedVariant = 0;
    engine.subState = EXTRAS_VIEWER_LOAD;
    return;
  }
  if (position == kReturnPosition) {
    game_.SetSceneState(SCENE_TITLE, kTitleReentry);
    return;
  }
  if (position < kCategoryPositions) {
    words.page = position - kPagePositions;
  } else {
    words.category = position - kCategoryPositions;
    words.page = 0;
  }
  SetUp(words.category, words.page);
  words.cursor = words.newCursor = kNoCursor;
}
