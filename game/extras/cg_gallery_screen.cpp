#include "game/extras/cg_gallery_screen.h"

#include <array>
#include <cstdio>

#include "engine/pictures/picture_part_slots.h"
#include "engine/shell/scene_state.h"
#include "game/extras/cg_gallery_table.h"
#include "game/extras/extras_frame.h"
#include "game/game.h"
#include "game/sprites/sprite_making.h"

namespace {

constexpr std::uint32_t kTabPositions = 16;   // 16..21
constexpr std::uint32_t kPagePositions = 22;  // 22..25
constexpr std::uint32_t kOwnButton = 26;
constexpr std::uint32_t kMusicRoom = 27;
constexpr std::uint32_t kRecollection = 28;
constexpr std::uint32_t kReturnPosition = 29;
constexpr std::uint32_t kRingSize = 30;
constexpr std::uint32_t kMaxPages = 4;
constexpr std::uint32_t kTitleReentry = 30;
constexpr int kPicturesSeenList = 0;

std::array<RingPosition, kRingSize> MakeRing() {
  std::array<RingPosition, kRingSize> ring{};
  for (std::uint32_t k = 0; k < kGridPositions; ++k) ring[k] = GridRingPosition(k);
  for (std::uint32_t i = 0; i < kCgGalleryTabs; ++i) ring[kTabPositions + i] = TabRingPosition(i);
  for (std::uint32_t p = 0; p < kMaxPages; ++p) ring[kPagePositions + p] = PageRingPosition(p);
  for (std::uint32_t b = 0; b < 4; ++b) ring[kOwnButton + b] = ButtonRingPosition(b, kScreenButtonSourceY);
  return ring;
}
const std::array<RingPosition, kRingSize> kRing = MakeRing();

}  // namespace

bool WasPictureShown(const CSeenStores& seen, const char* name) {
  char seenName[kGalleryNameBytes + 4];
  std::snprintf(seenName, sizeof seenName, "%s.bmp", name);
  // One walk of the list: with 4,096 names, reading them by index would take
  // a tab change far past a frame.
  return seen.HasSeenName(kPicturesSeenList, seenName);
}

void CCgGalleryScreen::SetUp(std::uint32_t tab, std::uint32_t page) {
  CGameEngine& engine = game_.Engine();
  ExtrasWords& words = game_.extras;
  if (tab >= kCgGalleryTabs) tab = 0;
  const std::uint32_t pageCount = gCgGalleryPageCounts[tab];
  if (page >= pageCount) page = 0;
  words.gallery.pageCount = pageCount;
  char portrait[40];
  std::snprintf(portrait, sizeof portrait, "chara_change_pic_chara%02u", tab + 1);
  char thumbnails[40];
  std::snprintf(thumbnails, sizeof thumbnails, "cg_sum%u-%u", tab + 1, page + 1);
  BuildCharacterScreen(engine, "base_pic", portrait, thumbnails, tab);
  ShowPageControls(engine, pageCount, page);
  FillExtrasGrid(engine, words.gallery, CgGalleryTable(), static_cast<std::int32_t>(32 * tab), page,
                 kCgGalleryPositions[tab][page], [this](const char* picture) { return WasPictureShown(game_.seen, picture); });
}

void CCgGalleryScreen::RunFrame() {
  ExtrasWords& words = game_.extras;
  RunGridScreenFrame(
      game_.Engine(), words, [&] { SetUp(words.category, words.page); }, [&] { RunCursor(); });
}

void CCgGalleryScreen::RunCursor() {
  ExtrasWords& words = game_.extras;
  std::array<bool, kRingSize> available{};
  for (std::uint32_t k = 0; k < kGridPositions; ++k) available[k] = words.gallery.filled[k] != 0;
  for (std::uint32_t i = 0; i < kCgGalleryTabs; ++i) available[kTabPositions + i] = i != words.category;
  for (std::uint32_t p = 0; p < kMaxPages; ++p) {
    available[kPagePositions + p] = p < words.gallery.pageCount && p != words.page;
  }
  available[kMusicRoom] = available[kRecollection] = available[kReturnPosition] = true;
  const std::uint32_t chosen =
      StepScreenCursor(game_.Engine(), words.cursor, words.newCursor, kRing.data(), available.data(), kRingSize);
  if (chosen != kNoCursor) Activate(chosen);
}

void CCgGalleryScreen::Activate(std::uint32_t position) {
  CGameEngine& engine = game_.Engine();
  ExtrasWords& words = game_.extras;
  if (position < kGridPositions) {
    words.viewedEntry = position;
    words.viewedVariant = 0;
    engine.subState = EXTRAS_VIEWER_LOAD;
    return;
  }
  if (position >= kMusicRoom) {
    const std::uint32_t state = position == kMusicRoom      ? SCENE_MUSIC_ROOM
                                : position == kRecollection ? SCENE_RECOLLECTION
                                                            : SCENE_TITLE;
    game_.SetSceneState(state, state == SCENE_TITLE ? kTitleReentry : 0);
    return;
  }
  if (position < kPagePositions) {
    words.category = position - kTabPositions;
    words.page = 0;
  } else {
    words.page = position - kPagePositions;
  }
  SetUp(words.category, words.page);
  words.cursor = words.newCursor = kNoCursor;
}
