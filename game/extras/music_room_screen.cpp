#include "game/extras/music_room_screen.h"

#include <array>
#include <cstdio>

#include "engine/pictures/picture_part_slots.h"
#include "engine/shell/scene_state.h"
#include "game/extras/extras_frame.h"
#include "game/game.h"
#include "game/sprites/sprite_making.h"

namespace {

constexpr int kLabels = 12;       // picture: "parts_music"
constexpr int kPlayingPart = 20;  // the now-playing label
constexpr int kHighlightPart = 9;
constexpr std::int32_t kLabelW = 224;
constexpr std::int32_t kLabelH = 36;
constexpr std::int32_t kPlayingSourceX = 448;

constexpr std::uint32_t kGallery = 27;
constexpr std::uint32_t kOwnButton = 28;
constexpr std::uint32_t kRecollection = 29;
constexpr std::uint32_t kReturnPosition = 30;
constexpr std::uint32_t kRingSize = 31;
constexpr std::uint32_t kTitleReentry = 30;

std::int32_t LabelX(std::uint32_t i) { return 40 + 240 * static_cast<std::int32_t>(i / 10); }
std::int32_t LabelY(std::uint32_t i) { return 118 + 37 * static_cast<std::int32_t>(i % 10); }
std::int32_t LabelSourceY(std::uint32_t i) { return 37 * static_cast<std::int32_t>(i) + 1; }

std::array<RingPosition, kRingSize> MakeRing() {
  std::array<RingPosition, kRingSize> ring{};
  for (std::uint32_t i = 0; i < kMusicTracks; ++i) {
    ring[i] = {LabelX(i), LabelY(i), kLabelW, kLabelH, 0, LabelSourceY(i), kLabelW, kLabelH, LabelX(i), LabelY(i), 28};
  }
  for (std::uint32_t b = 0; b < 4; ++b) {
    ring[kGallery + b] = ButtonRingPosition(b, kScreenButtonSourceY);
    ring[kGallery + b].priority = 28;
  }
  return ring;
}
const std::array<RingPosition, kRingSize> kRing = MakeRing();

}  // namespace

void CMusicRoomScreen::SetUp() {
  CGameEngine& engine = game_.Engine();
  FreeAllPartSlots(engine);
  engine.pictureSlots.FreeAllPictureSlots();
  engine.pictureSlots.LoadPictureSlot(kExtrasBackground, "base_music", 0, nullptr, nullptr);
  engine.pictureSlots.LoadPictureSlot(kExtrasPartsSheet, "OMAKE_PARTS", 1, nullptr, nullptr);
  engine.pictureSlots.LoadPictureSlot(kLabels, "parts_music", 1, nullptr, nullptr);
  CreateImageSprite(engine, kExtrasBackground, kExtrasBackground, 0, 0, 800, 600, 0, 0, 0, 0, 32);
  ShowPlayingLabel();
}

void CMusicRoomScreen::ShowPlayingLabel() {
  const std::uint32_t track = game_.extras.musicTrack;
  if (track == 0 || track > kMusicTracks) return;
  const std::uint32_t i = track - 1;
  CreateImageSprite(game_.Engine(), kPlayingPart, kLabels, kPlayingSourceX, LabelSourceY(i), kLabelW, kLabelH,
                    LabelX(i), LabelY(i), 0, 0, 30);
}

void CMusicRoomScreen::RunFrame() {
  CGameEngine& engine = game_.Engine();
  ExtrasWords& words = game_.extras;
  if (RunExtrasOpening(
          engine, [&] { SetUp(); }, words.musicCursor, words.musicNewCursor))
    return;
  if (engine.subState == EXTRAS_CURSOR) RunCursor();
}

void CMusicRoomScreen::RunCursor() {
  ExtrasWords& words = game_.extras;
  // Keys reach every track, the playing one too; a tap cannot choose it.
  std::array<bool, kRingSize> available{};
  available.fill(true);
  available[kOwnButton] = false;
  std::array<bool, kRingSize> tappable = available;
  if (words.musicTrack != 0 && words.musicTrack <= kMusicTracks) tappable[words.musicTrack - 1] = false;
  const std::uint32_t chosen = StepScreenCursor(game_.Engine(), words.musicCursor, words.musicNewCursor, kRing.data(),
                                                available.data(), kRingSize, tappable.data());
  if (chosen != kNoCursor) Activate(chosen);
}

void CMusicRoomScreen::Activate(std::uint32_t position) {
  CGameEngine& engine = game_.Engine();
  ExtrasWords& words = game_.extras;
  if (position < kMusicTracks) {
    words.musicTrack = position + 1;
    char name[4];
    std::snprintf(name, sizeof name, "%02u", words.musicTrack);
    game_.sound.PlayMusic(name, 0, 1);
    FreePartSlot(engine, kPlayingPart, 1);
    ShowPlayingLabel();
    words.musicCursor = words.musicNewCursor = kNoCursor;
    FreePartSlot(engine, kHighlightPart, 1);
    return;
  }
  const std::uint32_t state = position == kGallery        ? SCENE_CG_GALLERY
                              : position == kRecollection ? SCENE_RECOLLECTION
                                                          : SCENE_TITLE;
  game_.SetSceneState(state, state == SCENE_TITLE ? kTitleReentry : 0);
}
