#include "game/choices/choice_screen.h"

#include "common/sjis_string.h"
#include "engine/pictures/picture_part_slots.h"
#include "engine/shell/game_engine.h"
#include "engine/text/message_window.h"
#include "game/input_actions.h"
#include "game/messages/message_hooks.h"
#include "game/script/script_command.h"
#include "game/script/script_conditions.h"
#include "game/sprites/sprite_making.h"

namespace {

constexpr std::int32_t kSpacing = 34;
constexpr std::int32_t kRowHeight = 24;
constexpr std::int32_t kTextRowPitch = 28;
constexpr std::int32_t kScreenWidth = 800;
constexpr std::uint32_t kWhite = 0x00FFFFFF;
constexpr std::int32_t kTextSize = 24;
constexpr std::int32_t kTextPriority = 20;
constexpr std::int32_t kHighlightPriority = 21;
constexpr std::int32_t kBasePriority = 22;

// The top row by entry count (one entry sits in the middle of two).
std::int32_t LayoutTop(std::int32_t count) {
  switch (count) {
    case 1:
      return 271;
    case 2:
      return 254;
    case 3:
      return 236;
    case 4:
      return 220;
    case 5:
      return 196;
    default:
      return -1;
  }
}

bool Present(const InputState& input, InputAction action) { return input.words[action] == 1; }

}  // namespace

void CChoiceScreen::DeleteEntries() {
  hooks_.CaptureSaveState();
  for (int i = 0; i < kChoiceSlots; ++i) {
    state.texts[i][0] = '\0';
    state.labels[i][0] = '\0';
  }
  state.count = 0;
}

void CChoiceScreen::AddEntry(const ParsedCommand& command) {
  const std::int32_t n = ParseArgValue(command.args[0]);
  if (n < 0 || n >= kChoiceEntriesAdded) return;
  if (command.count >= 3) {
    StrCopy(state.texts[n], command.args[2]);
    StrCopy(state.labels[n], command.args[1]);
  } else {
    StrCopy(state.texts[n], command.args[1]);
    state.labels[n][0] = '\0';
  }
}

void CChoiceScreen::ClearRecords() { state = ChoiceState{}; }

int CChoiceScreen::Choosable(std::int32_t entry) const {
  return entry >= 0 && entry < state.count && state.texts[entry][0] != '\0' && state.labels[entry][0] != '\0';
}

int CChoiceScreen::AnyChoosable() const {
  for (std::int32_t i = 0; i < state.count; ++i) {
    if (Choosable(i)) return 1;
  }
  return 0;
}

int CChoiceScreen::RunChoice(std::uint32_t stepFrames, std::string& chosenLabel) {
  if (stepFrames == 0) {
    state.count = 0;
    for (std::int32_t i = 0; i < kChoiceEntriesAdded; ++i) {
      if (state.texts[i][0] != '\0') state.count = i + 1;
    }
    state.highlight = kNoHighlight;
    // Nothing to choose: the script goes on after the tag.
    if (!AnyChoosable()) {
      chosenLabel.clear();
      return 1;
    }
    BuildScreen();
    return 0;
  }
  InputState& input = engine_.input;
  const std::int32_t before = state.highlight;
  std::int32_t highlight = before;
  if (Present(input, ACTION_UP)) highlight = StepHighlight(-1);
  if (Present(input, ACTION_DOWN)) highlight = StepHighlight(1);
  if (Present(input, ACTION_TAP)) highlight = EntryUnderStylus();
  if (highlight != before) ShowHighlight(highlight);

  const bool confirm = Present(input, ACTION_TAP) || Present(input, ACTION_ADVANCE_KEY) || Present(input, ACTION_CLICK);
  if (!confirm) return 0;
  input.words[ACTION_TAP] = 0;
  input.words[ACTION_ADVANCE_KEY] = 0;
  input.words[ACTION_CLICK] = 0;
  if (highlight == kNoHighlight || highlight != before) return 0;
  CloseScreen();
  state.chosen = highlight;
  // A snapshot that could not be written is not offered: the file left
  // there belongs to an earlier choice.
  if (hooks_.SaveGame(kPreviousChoiceSlot)) {
    hooks_.SetMenuItemEnabled(kPreviousChoiceCommand, 1);
    state.snapshotSaved = 1;
  } else {
    DropSnapshot();
  }
  chosenLabel = state.labels[highlight];
  return 1;
}

void CChoiceScreen::BuildScreen() {
  if (const std::int32_t top = LayoutTop(state.count); top >= 0) {
    state.top = top;
    state.spacing = kSpacing;
  }
  engine_.pictureSlots.LoadPictureSlot(kChoiceBaseSlot, "SELECT_BASE", 1, nullptr, nullptr);
  engine_.pictureSlots.CreateBlankPictureSlot(kChoiceTextSlot, kScreenWidth, 256);
  CreateImageSprite(engine_, kChoiceBaseSprite, kChoiceBaseSlot, 0, 0, kScreenWidth, 205, 0, 174, 0, 0,
                    kBasePriority);
  CImage* textPicture = engine_.pictureSlots.Get(kChoiceTextSlot);
  for (std::int32_t i = 0; i < state.count; ++i) {
    if (state.texts[i][0] == '\0') continue;
    if (textPicture != nullptr && engine_.messageWindow) {
      engine_.messageWindow->RenderTextToImage(*textPicture, state.texts[i], kTextSize, 0, kWhite, 0,
                                               kTextRowPitch * i,
                                               static_cast<std::int32_t>(TextAntiAliasLevel(engine_.options)) + 1,
                                               static_cast<std::int32_t>(engine_.options[MESSAGE_SADOW]));
    }
    const auto width = static_cast<std::int32_t>(StrLength(state.texts[i]) / 2) * kTextSize;
    CreateImageSprite(engine_, kChoiceFirstTextSprite + i, kChoiceTextSlot, 0, kTextRowPitch * i, width, kRowHeight,
                      kScreenWidth / 2 - width / 2, state.top + state.spacing * i, 0, 0, kTextPriority);
  }
}

// The next choosable entry before (step -1) or after (+1) the highlight,
// wrapping; from none, up starts at the last entry and down at the first.
std::int32_t CChoiceScreen::StepHighlight(std::int32_t step) const {
  std::int32_t entry = state.highlight;
  if (entry == kNoHighlight) entry = step > 0 ? -1 : state.count;
  for (std::int32_t tries = 0; tries < state.count; ++tries) {
    entry += step;
    if (entry < 0) entry = state.count - 1;
    if (entry >= state.count) entry = 0;
    if (Choosable(entry)) return entry;
  }
  return kNoHighlight;
}

std::int32_t CChoiceScreen::EntryUnderStylus() const {
  for (std::int32_t i = 0; i < state.count; ++i) {
    if (Choosable(i) && IsStylusInDesignRect(engine_, 0, state.top + state.spacing * i, kScreenWidth, kRowHeight)) {
      return i;
    }
  }
  return kNoHighlight;
}

void CChoiceScreen::ShowHighlight(std::int32_t entry) {
  FreePartSlot(engine_, kChoiceHighlightSprite, 1);
  state.highlight = entry;
  if (entry == kNoHighlight) return;
  CreateImageSprite(engine_, kChoiceHighlightSprite, kChoiceBaseSlot, 0, 238, 540, 33, 130,
                    state.top + state.spacing * entry - 4, 0, 0, kHighlightPriority);
}

void CChoiceScreen::CloseScreen() {
  for (std::int32_t i = 0; i < state.count; ++i) FreePartSlot(engine_, kChoiceFirstTextSprite + i, 1);
  FreePartSlot(engine_, kChoiceBaseSprite, 1);
  FreePartSlot(engine_, kChoiceHighlightSprite, 1);
  engine_.pictureSlots.FreePictureSlot(kChoiceBaseSlot);
  engine_.pictureSlots.FreePictureSlot(kChoiceTextSlot);
}

void CChoiceScreen::ReturnToPreviousChoice() {
  if (!state.snapshotSaved) return;
  hooks_.LoadGame(kPreviousChoiceSlot);
  hooks_.SetMenuItemEnabled(kPreviousChoiceCommand, 0);
  state.snapshotSaved = 0;
}

void CChoiceScreen::DropSnapshot() {
  state.snapshotSaved = 0;
  hooks_.SetMenuItemEnabled(kPreviousChoiceCommand, 0);
}
