#include "game/screens/save_load/save_load_screen.h"

#include <algorithm>
#include <cstring>

#include "common/format_text.h"
#include "engine/pictures/picture_object.h"
#include "engine/pictures/picture_part_slots.h"
#include "engine/pictures/picture_thumbnail.h"
#include "engine/runtime/runtime_globals.h"
#include "engine/shell/scene_state.h"
#include "engine/text/message_window.h"
#include "game/game.h"
#include "game/input_actions.h"
#include "game/saves/save_listings.h"
#include "game/screens/save_load/row_thumbnail.h"
#include "game/screens/screen_steps.h"
#include "game/sprites/sprite_making.h"

namespace {

constexpr int kScreenBaseSlot = 160, kPartsSlot = 161, kTextSlot = 162, kFirstThumbnailSlot = 165;
constexpr int kBackgroundPart = 400, kTextPart = 401, kTabPart = 402, kMarkerPart = 403, kHighlightPart = 404;
constexpr int kFirstThumbnailPart = 410, kLastScreenPart = 419;
constexpr std::int32_t kRowX = 120, kRowTop = 64, kRowPitch = 95, kRowWidth = 560, kRowHeight = 91;
constexpr std::int32_t kTabLeft = 10, kTabWidth = 40, kTabY = 554, kTabHeight = 49;
constexpr std::int32_t kButtonY = 546, kButtonWidth = 104, kButtonHeight = 56;
constexpr std::int32_t kToLoadX = 592, kToSaveX = 488, kBackX = 696;
constexpr std::int32_t kTextSize = 16, kTextLines = 3, kLabelWeight = 4;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr std::int32_t kThumbnailWidth = 100, kThumbnailHeight = 75;
// The text of a row whose file is there but damaged.
constexpr char kDamagedSlotText[] = "---- \x94\x6a\x91\xb9 ----";

const char* BackgroundName(std::int32_t mode) { return mode == 1 ? "data_base_load" : "data_base_save"; }

bool IsRow(std::int32_t selection) { return selection >= 0 && selection < kSaveRowsPerPage; }
bool IsTab(std::int32_t selection) {
  return selection >= kFirstTabSelection && selection < kFirstTabSelection + kSavePages;
}

}  // namespace

void CSaveLoadScreen::Enter(int mode) {
  CGameEngine& engine = game_.Engine();
  state.returnState = engine.sceneState;
  state.returnSubState = engine.subState;
  engine.sceneState = SCENE_SAVE_LOAD;
  state.windowWasShown = static_cast<std::uint32_t>(HideWindowForScreen(engine, game_.frames));
  state.mode = mode == 1 ? 1 : 0;
  state.selection = kNoSaveSelection;
  // Only the fifty slots of this screen give a page; a newer save elsewhere
  // counts as none.
  const std::int32_t last = game_.saves.lastSavedSlot;
  const std::int32_t page = last >= 0 && last < kSaveRowsPerPage * kSavePages ? last / kSaveRowsPerPage : 0;
  LoadBackground();
  engine.pictureSlots.LoadPictureSlot(kPartsSlot, "data_parts", 1, nullptr, nullptr);
  DrawPage(page);
  game_.SetSaveEntryEnabled(0);
}

void CSaveLoadScreen::LoadBackground() {
  CGameEngine& engine = game_.Engine();
  engine.pictureSlots.FreePictureSlot(kScreenBaseSlot);
  engine.pictureSlots.LoadPictureSlot(kScreenBaseSlot, BackgroundName(state.mode), 0, nullptr, nullptr);
  CreateImageSprite(engine, kBackgroundPart, kScreenBaseSlot, 0, 0, 800, 600, 0, 0, 0, 0, 7);
}

void CSaveLoadScreen::DrawPage(std::int32_t page) {
  CGameEngine& engine = game_.Engine();
  state.page = page;
  state.selection = kNoSaveSelection;
  FreePartRange(engine, kFirstThumbnailPart, kFirstThumbnailPart + kSaveRowsPerPage - 1);
  FreePartRange(engine, kTextPart, kHighlightPart);
  FreePictureRange(engine, kFirstThumbnailSlot, kFirstThumbnailSlot + kSaveRowsPerPage - 1);
  engine.pictureSlots.FreePictureSlot(kTextSlot);
  engine.pictureSlots.CreateBlankPictureSlot(kTextSlot, 800, 600);
  CreateImageSprite(engine, kTextPart, kTextSlot, 0, 0, 800, 600, 0, 0, 0, 0, 6);
  CreateImageSprite(engine, kTabPart, kPartsSlot, kTabWidth * page, 183, kTabWidth, kTabHeight,
                    kTabLeft + kTabWidth * page, kTabY, 0, 0, 6);
  for (std::int32_t row = 0; row < kSaveRowsPerPage; ++row) DrawRow(row);
  const std::int32_t last = game_.saves.lastSavedSlot;
  if (last >= 0 && last / kSaveRowsPerPage == page && page < kSavePages) {
    CreateImageSprite(engine, kMarkerPart, kPartsSlot, 0, 394, 88, 23, 468, 69 + kRowPitch * (last % kSaveRowsPerPage),
                      0, 0, 6);
  }
}

void FormatSaveRowDate(std::uint32_t key, char (&text)[kSaveRowDateSize]) {
  FormatText(text, "%z4\x94\x4e%z2\x8c\x8e%z2\x93\xfa %z2:%z2", (key >> 25) + 2000, (key >> 21) & 15u,
             (key >> 16) & 31u, (key >> 11) & 31u, (key >> 5) & 63u);
}

void CSaveLoadScreen::DrawRow(std::int32_t row) {
  CGameEngine& engine = game_.Engine();
  const int slot = kSaveRowsPerPage * state.page + row;
  SaveFile save;
  // Without a save folder there are no saves (never the working folder's).
  const SlotFile file =
      engine.saveFolder.empty() ? SlotFile::Missing : ReadSaveSlot(engine.saveFolder.c_str(), slot, save);
  state.rowPresent[row] = file == SlotFile::Whole ? 1u : 0u;
  if (file == SlotFile::Missing) return;
  if (file == SlotFile::Damaged) {
    DrawRowLines(row, kDamagedSlotText);
    return;
  }
  const int picture = kFirstThumbnailSlot + row;
  if (engine.pictureSlots.LoadThumbnailSlot(picture, slot, nullptr, nullptr, nullptr) &&
      FitThumbnail(*engine.pictureSlots.Get(picture),
                   static_cast<std::uint32_t>(kThumbnailWidth * GetScreenWidth() / GetDesignWidth()),
                   static_cast<std::uint32_t>(kThumbnailHeight * GetScreenHeight() / GetDesignHeight()))) {
    CreateImageSprite(engine, kFirstThumbnailPart + row, picture, 0, 0, kThumbnailWidth, kThumbnailHeight, 130,
                      72 + kRowPitch * row, 0, 0, 6);
  }
  DrawRowLines(row, save.header.messageText);
  char date[kSaveRowDateSize] = {};
  FormatSaveRowDate(PackSaveTimeStamp(save.header.timeStamp), date);
  DrawLabel(date, 282, 74 + kRowPitch * row);
}

void CSaveLoadScreen::DrawRowLines(std::int32_t row, const char* text) {
  const char* start = text;
  for (std::int32_t line = 0; line < kTextLines && *start != '\0'; ++line) {
    const char* end = std::strchr(start, '/');
    const std::size_t length = end != nullptr ? static_cast<std::size_t>(end - start) : std::strlen(start);
    char one[kSaveMessageSize] = {};
    std::memcpy(one, start, std::min(length, kSaveMessageSize - 1));
    DrawLabel(one, 262, 98 + kRowPitch * row + 18 * line);
    if (end == nullptr) break;
    start = end + 1;
  }
}

void CSaveLoadScreen::DrawLabel(const char* text, std::int32_t x, std::int32_t y) {
  CGameEngine& engine = game_.Engine();
  CImage* layer = engine.pictureSlots.Get(kTextSlot);
  if (layer == nullptr) return;
  // The label font is the window object's; at the title there is none yet.
  CMessageWindow spare;
  CMessageWindow& labels = engine.messageWindow ? *engine.messageWindow : spare;
  labels.RenderLabelToImage(*layer, text, kTextSize, 0, kWhite, x, y,
                            static_cast<std::int32_t>(TextAntiAliasLevel(engine.options)),
                            static_cast<std::int32_t>(engine.options[MESSAGE_SADOW]), kLabelWeight);
}

std::int32_t CSaveLoadScreen::TargetUnderStylus() const {
  const CGameEngine& engine = game_.Engine();
  for (std::int32_t row = 0; row < kSaveRowsPerPage; ++row) {
    if (state.mode == 1 && !state.rowPresent[row]) continue;
    if (IsStylusInDesignRect(engine, kRowX, kRowTop + kRowPitch * row, kRowWidth, kRowHeight)) return row;
  }
  for (std::int32_t tab = 0; tab < kSavePages; ++tab) {
    if (tab == state.page) continue;
    if (IsStylusInDesignRect(engine, kTabLeft + kTabWidth * tab, kTabY, kTabWidth, kTabHeight)) {
      return kFirstTabSelection + tab;
    }
  }
  if (state.mode == 0 && IsStylusInDesignRect(engine, kToLoadX, kButtonY, kButtonWidth, kButtonHeight)) {
    return kToLoadSelection;
  }
  if (state.mode == 1 && IsStylusInDesignRect(engine, kToSaveX, kButtonY, kButtonWidth, kButtonHeight)) {
    return kToSaveSelection;
  }
  if (IsStylusInDesignRect(engine, kBackX, kButtonY, kButtonWidth, kButtonHeight)) return kBackSelection;
  return kNoSaveSelection;
}

std::int32_t CSaveLoadScreen::StepRow(int step) const {
  std::int32_t row = state.selection;
  if (!IsRow(row)) row = step > 0 ? -1 : kSaveRowsPerPage;
  for (std::int32_t tries = 0; tries < kSaveRowsPerPage; ++tries) {
    row = (row + step + kSaveRowsPerPage) % kSaveRowsPerPage;
    if (state.mode == 0 || state.rowPresent[row]) return row;
  }
  return state.selection;
}

void CSaveLoadScreen::ShowHighlight(std::int32_t selection) {
  CGameEngine& engine = game_.Engine();
  FreePartSlot(engine, kHighlightPart, 1);
  state.selection = selection;
  if (IsRow(selection)) {
    CreateImageSprite(engine, kHighlightPart, kPartsSlot, 0, 0, kRowWidth, kRowHeight, kRowX,
                      kRowTop + kRowPitch * selection, 0, 0, 5);
  } else if (IsTab(selection)) {
    const std::int32_t tab = selection - kFirstTabSelection;
    CreateImageSprite(engine, kHighlightPart, kPartsSlot, kTabWidth * tab, 233, kTabWidth, kTabHeight,
                      kTabLeft + kTabWidth * tab, kTabY, 0, 0, 5);
  } else if (selection >= kToLoadSelection && selection <= kBackSelection) {
    static constexpr std::int32_t kSourceX[] = {104, 0, 208};
    static constexpr std::int32_t kX[] = {kToLoadX, kToSaveX, kBackX};
    const std::int32_t i = selection - kToLoadSelection;
    CreateImageSprite(engine, kHighlightPart, kPartsSlot, kSourceX[i], 282, kButtonWidth, kButtonHeight, kX[i],
                      kButtonY, 0, 0, 5);
  }
}

void CSaveLoadScreen::RunFrame() {
  std::uint32_t* words = game_.Engine().input.words.data();
  if (words[ACTION_CANCEL] != 0) {
    words[ACTION_CANCEL] = 0;
    words[ACTION_CLICK] = 0;
    Leave();
    return;
  }
  const std::int32_t before = state.selection;
  std::int32_t next = before;
  if (words[ACTION_UP] != 0) {
    words[ACTION_UP] = 0;
    next = StepRow(-1);
  }
  if (words[ACTION_DOWN] != 0) {
    words[ACTION_DOWN] = 0;
    next = StepRow(1);
  }
  if (words[ACTION_TAP] != 0) next = TargetUnderStylus();
  if (next != before) ShowHighlight(next);
  if (TakeSecondTap(words, before, state.selection, kNoSaveSelection)) Confirm(state.selection);
}

void CSaveLoadScreen::Confirm(std::int32_t selection) {
  if (IsRow(selection)) {
    const int slot = kSaveRowsPerPage * state.page + selection;
    if (state.mode == 1) {
      if (game_.LoadGame(slot)) {
        // The loaded game takes over, its window and scene as saved.
        ClearScreen();
        return;
      }
    } else {
      game_.SaveGame(slot);
    }
    // Saved, or refused (each refusal says why on standard error): the page
    // shows what the files hold now.
    DrawPage(state.page);
    return;
  }
  if (IsTab(selection)) {
    DrawPage(selection - kFirstTabSelection);
  } else if (selection == kToLoadSelection || selection == kToSaveSelection) {
    state.mode = selection == kToLoadSelection ? 1 : 0;
    LoadBackground();
    DrawPage(state.page);
  } else if (selection == kBackSelection) {
    Leave();
  }
}

void CSaveLoadScreen::ClearScreen() {
  CGameEngine& engine = game_.Engine();
  FreePartRange(engine, kBackgroundPart, kLastScreenPart);
  FreePictureRange(engine, kScreenBaseSlot, kFirstThumbnailSlot + kSaveRowsPerPage - 1);
  game_.ReleaseSaveThumbnail();
  game_.SetSaveEntryEnabled(1);
}

void CSaveLoadScreen::Leave() {
  CGameEngine& engine = game_.Engine();
  ClearScreen();
  RestoreWindowAfterScreen(engine, game_.frames, static_cast<int>(state.windowWasShown));
  engine.sceneState = state.returnState;
  engine.subState = state.returnSubState;
}
