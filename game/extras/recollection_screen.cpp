#include "game/extras/recollection_screen.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/sjis_string.h"
#include "engine/pictures/picture_part_slots.h"
#include "engine/runtime/engine_clock.h"
#include "engine/shell/scene_state.h"
#include "engine/sprites/sprite_part.h"
#include "game/extras/extras_frame.h"
#include "game/extras/recollection_table.h"
#include "game/game.h"
#include "game/sprites/sprite_making.h"
#include "host/base/diagnostics.h"

namespace {

constexpr int kCover = 1;  // part: the black fade
constexpr std::uint32_t kFadeMs = 1000;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

constexpr std::uint32_t kTabPositions = 16;  // 16..21
constexpr std::uint32_t kGallery = 22;       // 22..25: screen buttons 0..3
constexpr std::uint32_t kMusicRoom = 23;
constexpr std::uint32_t kOwnButton = 24;
constexpr std::uint32_t kReturnPosition = 25;
constexpr std::uint32_t kRingSize = 26;
constexpr std::uint32_t kTitleReentry = 30;

enum RecollectionStep : std::uint32_t {
  RECOLLECTION_FADE = 20,
  RECOLLECTION_START = 21,
};

std::array<RingPosition, kRingSize> MakeRing() {
  std::array<RingPosition, kRingSize> ring{};
  for (std::uint32_t k = 0; k < kGridPositions; ++k) ring[k] = GridRingPosition(k);
  for (std::uint32_t i = 0; i < kCharacterTabs; ++i) ring[kTabPositions + i] = TabRingPosition(i);
  for (std::uint32_t b = 0; b < 4; ++b) ring[kGallery + b] = ButtonRingPosition(b, kScreenButtonSourceY);
  return ring;
}
const std::array<RingPosition, kRingSize> kRing = MakeRing();

void CopyName(char (&to)[kGalleryNameBytes], const char* from) {
  std::strncpy(to, from, kGalleryNameBytes - 1);
  to[kGalleryNameBytes - 1] = '\0';
}

}  // namespace

bool CRecollectionScreen::IsUnlocked(const char* variable) const {
  // The variable lists keep names of at most 31 bytes; Get says 0 for a
  // missing one, which locks the scene as a 0 does.
  return game_.Interpreter().GetVariable(variable) != 0;
}

void CRecollectionScreen::SetUp(std::uint32_t tab) {
  CGameEngine& engine = game_.Engine();
  if (tab >= kCharacterTabs) tab = 0;
  char portrait[40];
  std::snprintf(portrait, sizeof portrait, "chara_change_mem_chara%02u", tab + 1);
  char thumbnails[40];
  std::snprintf(thumbnails, sizeof thumbnails, "scene_sum%u%s", tab + 1, "-1");
  BuildCharacterScreen(engine, "base_mem", portrait, thumbnails, tab);
  RecollectionPage& page = game_.extras.recollection;
  page = RecollectionPage();
  page.entryCount = kGridPositions;
  for (std::uint32_t k = 0; k < kGridPositions; ++k) {
    const std::int32_t identifier = static_cast<std::int32_t>(16 * tab + k);
    const RecollectionRecord* record = gRecollectionTable;
    while (record->identifier != -1 && record->identifier != identifier) ++record;
    if (record->identifier == -1) {
      page.absent[k] = 1;
      continue;
    }
    for (; record->identifier == identifier; ++record) {
      if (!IsUnlocked(record->variable)) continue;
      CopyName(page.variables[k], record->variable);
      CopyName(page.scripts[k], record->script);
      page.unlocked[k] = 1;
    }
  }
  for (std::uint32_t k = 0; k < kGridPositions; ++k) {
    if (!page.absent[k]) PlaceGridCell(engine, k, page.unlocked[k] != 0);
  }
}

void CRecollectionScreen::RunFrame() {
  CGameEngine& engine = game_.Engine();
  ExtrasWords& words = game_.extras;
  if (RunExtrasOpening(
          engine, [&] { SetUp(words.recollectionTab); }, words.recollectionCursor, words.recollectionNewCursor))
    return;
  switch (engine.subState) {
    case EXTRAS_CURSOR:
      RunCursor();
      break;
    case RECOLLECTION_FADE:
      RunFade();
      break;
    case RECOLLECTION_START:
      StartScene();
      break;
    default:
      break;
  }
}

void CRecollectionScreen::RunCursor() {
  ExtrasWords& words = game_.extras;
  std::array<bool, kRingSize> available{};
  for (std::uint32_t k = 0; k < kGridPositions; ++k) available[k] = words.recollection.unlocked[k] != 0;
  for (std::uint32_t i = 0; i < kCharacterTabs; ++i) available[kTabPositions + i] = i != words.recollectionTab;
  available[kGallery] = available[kMusicRoom] = available[kReturnPosition] = true;
  available[kOwnButton] = false;
  const std::uint32_t chosen = StepScreenCursor(game_.Engine(), words.recollectionCursor,
                                                words.recollectionNewCursor, kRing.data(), available.data(), kRingSize);
  if (chosen != kNoCursor) Activate(chosen);
}

void CRecollectionScreen::Activate(std::uint32_t position) {
  CGameEngine& engine = game_.Engine();
  ExtrasWords& words = game_.extras;
  if (position < kGridPositions) {
    words.chosenScene = position;
    CSpritePart* cover = CreateColorSprite(engine, kCover, 0, 0, 800, 600, kBlack, 1);
    game_.sound.StopMusic(kFadeMs);
    words.fadeStart = GetClockMs();
    if (cover != nullptr) cover->SetOpacity(0);
    engine.subState = RECOLLECTION_FADE;
    return;
  }
  if (position < kGallery) {
    words.recollectionTab = position - kTabPositions;
    SetUp(words.recollectionTab);
    words.recollectionCursor = words.recollectionNewCursor = kNoCursor;
    return;
  }
  const std::uint32_t state = position == kGallery     ? SCENE_CG_GALLERY
                              : position == kMusicRoom ? SCENE_MUSIC_ROOM
                                                       : SCENE_TITLE;
  game_.SetSceneState(state, state == SCENE_TITLE ? kTitleReentry : 0);
}

void CRecollectionScreen::RunFade() {
  CGameEngine& engine = game_.Engine();
  const std::uint32_t elapsed = GetClockMs() - game_.extras.fadeStart;
  if (elapsed < kFadeMs) {
    if (CSpritePart* cover = engine.sprites[kCover].get()) {
      cover->SetOpacity(static_cast<std::int32_t>(std::min<std::uint32_t>(elapsed * 256 / kFadeMs, 256)));
    }
    return;
  }
  FreeAllPartSlots(engine);
  engine.pictureSlots.FreeAllPictureSlots();
  if (engine.mixer) engine.mixer->StopAll();
  engine.subState = RECOLLECTION_START;
}

void CRecollectionScreen::StartScene() {
  const ExtrasWords& words = game_.extras;
  char script[kGalleryNameBytes + 4];
  std::snprintf(script, sizeof script, "%s.txt", words.recollection.scripts[words.chosenScene % kGridPositions]);
  std::vector<char> probe;
  if (!game_.ReadScript(script, probe)) {
    // A scene that cannot be read ends as its Return would, so the player
    // is not left on a game with no script.
    DiagnosticLine("recollection: the scene \"%s\" cannot be read; back to the recollection screen", script);
    game_.ReturnToTitle();
    game_.SetSceneState(SCENE_RECOLLECTION, 0);
    game_.SetBackgroundColor(kWhite);
    return;
  }
  game_.ResetForNewGame();
  game_.Interpreter().JumpToScript(script, "");
}
