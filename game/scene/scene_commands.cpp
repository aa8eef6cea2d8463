#include "game/scene/scene_commands.h"

#include <algorithm>
#include <string>

#include "common/sjis_string.h"
#include "engine/pictures/picture_part_slots.h"
#include "engine/shell/game_engine.h"
#include "game/scene/event_pictures.h"
#include "game/sprites/sprite_making.h"
#include "game/stores/seen_stores.h"
#include "host/base/diagnostics.h"

namespace {

// Tint of a listed event picture per DISP_FREE_MODE (1 dimmed, 2 black).
constexpr std::uint32_t kMannerBrightness[] = {256, 64, 0};

std::string WithRbp(const char* name) { return std::string(name) + ".rbp"; }

// A scene position less the background's scroll, wrapping in 32 bits as the
// device's arithmetic does: saves and scripts may hold any values.
std::int32_t OnScreen(std::int32_t position, std::int32_t scroll) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(position) - static_cast<std::uint32_t>(scroll));
}

}  // namespace

bool CSceneCommands::IsCharacterSlot(int slot, const char* tag) {
  if (slot >= 0 && slot < kSceneCharacterCount) return true;
  DiagnosticLine("scene: %s slot %d is not 0 to 4; ignored", tag, slot);
  return false;
}

void CSceneCommands::ClearRecords() {
  model = SceneModel();
  engine_.shakeX = 0;
  engine_.shakeY = 0;
  kind_ = TRANSITION_NORMAL;
}

void CSceneCommands::RemoveBackground() {
  if (CSpritePart* part = engine_.sprites[kBackgroundSlot].get()) part->SetVisible(0);
  FreePartSlot(engine_, kBackgroundSlot, 1);
  engine_.pictureSlots.FreePictureSlot(kBackgroundSlot);
  model.background[0] = '\0';
}

void CSceneCommands::SetBackground(const char* name) {
  if (StrEqualNoCase(name, model.background)) return;
  RemoveBackground();
  StrCopy(model.background, name);
  seen_.AddSeenName(kSeenPictures, model.background);
  engine_.pictureSlots.LoadPictureSlot(kBackgroundSlot, WithRbp(model.background).c_str(), 0, nullptr, nullptr);
  ApplyMannerTint();
  CreateImageSprite(engine_, kBackgroundSlot, kBackgroundSlot, 0, 0, -1, -1, OnScreen(0, model.backgroundX),
                    OnScreen(0, model.backgroundY), 0, 0, kBackgroundPriority);
  if (model.reversal == 1) engine_.ApplyPictureEffect(kBackgroundSlot, kPictureEffectInvert);
}

void CSceneCommands::SetBackgroundOffset(std::int32_t x, std::int32_t y) {
  model.backgroundX = x;
  model.backgroundY = y;
  if (CSpritePart* part = engine_.sprites[kBackgroundSlot].get()) part->SetPosition(OnScreen(0, x), OnScreen(0, y));
}

void CSceneCommands::SetBackgroundColor(std::uint32_t rgb) {
  engine_.backgroundColor = rgb;
  RemoveBackground();
}

void CSceneCommands::SetReversal(std::uint32_t flag) {
  InvalidateScreen();
  model.reversal = flag;
  if (model.background[0] != '\0') engine_.ApplyPictureEffect(kBackgroundSlot, kPictureEffectInvert);
  for (int k = 0; k < kSceneCharacterCount; ++k) {
    if (model.characters[k].inUse) engine_.ApplyPictureEffect(kCharacterSlotBase + k, kPictureEffectInvert);
  }
}

void CSceneCommands::SetCharacter(int slot, const char* name) {
  if (!IsCharacterSlot(slot, "ChrSet")) return;
  DeleteCharacter(slot);
  SceneCharacter& character = model.characters[slot];
  StrCopy(character.name, name);
  character.inUse = 1;
  const int pictureSlot = kCharacterSlotBase + slot;
  engine_.pictureSlots.LoadPictureSlotSecondFirst(pictureSlot, WithRbp(character.name).c_str(), 1, nullptr, nullptr);
  seen_.AddSeenName(kSeenPictures, character.name);
  const std::int32_t priority = model.priorities[slot];
  CSpritePart* part =
      CreateImageSprite(engine_, pictureSlot, pictureSlot, 0, 0, -1, -1, OnScreen(character.x, model.backgroundX),
                        OnScreen(character.y, model.backgroundY), 0, 0, std::max(priority, 0) + kCharacterPriorityBase);
  if (part != nullptr && priority < 0) part->SetVisible(0);
  CImage* picture = engine_.pictureSlots.Get(pictureSlot);
  if (picture == nullptr) return;
  if (character.color != 0) picture->DarkenByColor(character.color);
  if (model.reversal == 1) engine_.ApplyPictureEffect(pictureSlot, kPictureEffectInvert);
}

void CSceneCommands::PlaceCharacter(int slot, std::int32_t x, std::int32_t y) {
  if (CSpritePart* part = engine_.sprites[static_cast<std::size_t>(kCharacterSlotBase + slot)].get()) {
    part->SetPosition(OnScreen(x, model.backgroundX), OnScreen(y, model.backgroundY));
  }
}

void CSceneCommands::SetCharacterPosition(int slot, std::int32_t x, std::int32_t y) {
  if (!IsCharacterSlot(slot, "ChrSetXY")) return;
  model.characters[slot].x = x;
  model.characters[slot].y = y;
  PlaceCharacter(slot, x, y);
}

void CSceneCommands::SetCharacterColor(int slot, std::uint32_t color) {
  if (!IsCharacterSlot(slot, "ChrSetARGB")) return;
  model.characters[slot].color = color;
}

void CSceneCommands::DeleteCharacter(int slot) {
  const int first = slot == -1 ? 0 : ((slot % kSceneCharacterCount) + kSceneCharacterCount) % kSceneCharacterCount;
  const int end = slot == -1 ? kSceneCharacterCount : first + 1;
  for (int k = first; k < end; ++k) {
    model.characters[k].inUse = 0;
    const int index = kCharacterSlotBase + k;
    if (CSpritePart* part = engine_.sprites[static_cast<std::size_t>(index)].get()) part->SetVisible(0);
    FreePartSlot(engine_, index, 1);
    engine_.pictureSlots.FreePictureSlot(index);
  }
}

void CSceneCommands::ApplyCharacterPriorities() {
  for (int k = 0; k < kSceneCharacterCount; ++k) {
    CSpritePart* part = engine_.sprites[static_cast<std::size_t>(kCharacterSlotBase + k)].get();
    if (part == nullptr) continue;
    if (model.priorities[k] < 0) {
      part->SetVisible(0);
    } else {
      part->SetPriority(model.priorities[k] + kCharacterPriorityBase);
      part->SetVisible(1);
    }
  }
}

void CSceneCommands::ShowSceneSprites(int show) {
  if (CSpritePart* part = engine_.sprites[kBackgroundSlot].get()) part->SetVisible(show ? 1 : 0);
  if (show) {
    ApplyCharacterPriorities();
    return;
  }
  for (int k = 0; k < kSceneCharacterCount; ++k) {
    if (CSpritePart* part = engine_.sprites[static_cast<std::size_t>(kCharacterSlotBase + k)].get()) {
      part->SetVisible(0);
    }
  }
}

void CSceneCommands::ApplyMannerTint() {
  model.mannerTinted = 0;
  const std::uint32_t mode = engine_.options[DISP_FREE_MODE];
  if (mode != 1 && mode != 2) return;
  if (engine_.sceneState != SCENE_GAME || model.background[0] == '\0') return;
  CImage* picture = engine_.pictureSlots.Get(kBackgroundSlot);
  if (picture == nullptr || !IsEventPicture(model.background)) return;
  picture->ScaleBrightness(kMannerBrightness[mode]);
  model.mannerTinted = 1;
}

void CSceneCommands::InvalidateScreen() { engine_.InvalidateDesignRect(0, 0, 800, 600); }
