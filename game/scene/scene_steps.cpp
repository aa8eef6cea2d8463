// The timed scene tags: character moves, screen updates and the shake.
#include <cstring>
#include <string>

#include "common/sjis_string.h"
#include "engine/pictures/picture_part_slots.h"
#include "engine/runtime/engine_clock.h"
#include "engine/runtime/polar.h"
#include "engine/shell/game_engine.h"
#include "game/input_actions.h"
#include "game/scene/scene_commands.h"
#include "game/script/script_conditions.h"
#include "game/sprites/sprite_making.h"

namespace {

// The part effect that fades the old screen out over a Cross.
constexpr int kCrossFadeEffect = 129;
constexpr std::int32_t kShakeOffset = 24;
constexpr std::uint32_t kShakeStepMs = 50;
constexpr std::uint32_t kShakeSteps = 4;
constexpr std::int32_t kZoomCentreX = 400;
constexpr std::int32_t kZoomCentreY = 300;

struct TransitionName {
  const char* name;
  std::uint32_t kind;
};
constexpr TransitionName kTransitionNames[] = {
    {"Normal", TRANSITION_NORMAL}, {"Cross", TRANSITION_CROSS}, {"ImageCross", TRANSITION_IMAGE_CROSS},
    {"Zoom", TRANSITION_ZOOM},     {"Scroll", TRANSITION_SCROLL}, {"ZoomR", TRANSITION_ZOOM},
};

std::uint32_t TransitionKindOf(const char* name) {
  for (const TransitionName& entry : kTransitionNames) {
    if (StrEqualNoCase(name, entry.name)) return entry.kind;
  }
  return TRANSITION_NORMAL;
}

// The rule picture's name with ".rbp" in place of its extension.
std::string RuleFileName(const char* name) {
  std::string file(name);
  const std::size_t dot = file.rfind('.');
  if (dot != std::string::npos) file.resize(dot);
  return file + ".rbp";
}

// Shake offsets of the XY axis by phase.
constexpr std::int32_t kDiagonalShake[4][2] = {{-24, -24}, {24, 24}, {24, -24}, {-24, 24}};

// A zoom factor of the script (1024 = full size) in thousandths, wrapping in
// 32 bits as the device's arithmetic does: scripts may hold any value.
std::int32_t ZoomThousandths(const char* text) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(ParseArgValue(text)) * 1000u) / 1024;
}

}  // namespace

bool CSceneCommands::StepsCutShort() const {
  return engine_.options[EFFECT_USE] == 0 || engine_.options[SKIP_RUNNING] != 0 ||
         engine_.input.words[ACTION_SKIP_KEY] != 0 || engine_.IsAdvanceInputDown();
}

int CSceneCommands::MoveCharacterStep(const ParsedCommand& command, std::uint32_t stepFrames) {
  const std::uint32_t now = GetClockMs();
  if (stepFrames == 0) {
    int slot = 0;
    ParseInt(command.args[0], &slot);
    if (!IsCharacterSlot(slot, "ChrMove")) return 1;
    move_.slot = slot;
    move_.duration = static_cast<std::uint32_t>(ParseArgValue(command.args[1])) * 1000u / 25u;
    for (int axis = 0; axis < 2; ++axis) {
      move_.from[axis] = ParseArgValue(command.args[2 + axis]);
      move_.to[axis] = ParseArgValue(command.args[4 + axis]);
      move_.eases[axis] = command.args[6 + axis][0] == '-';
    }
    PlaceCharacter(slot, move_.from[0], move_.from[1]);
    model.characters[slot].x = move_.to[0];
    model.characters[slot].y = move_.to[1];
    move_.start = now;
    return 0;
  }
  const std::uint32_t t = now - move_.start;
  if (t < move_.duration && !StepsCutShort()) {
    std::int32_t at[2];
    for (int axis = 0; axis < 2; ++axis) {
      const std::int64_t span = std::int64_t{move_.to[axis]} - move_.from[axis];
      std::int32_t offset = static_cast<std::int32_t>(span * t / move_.duration);
      if (move_.eases[axis]) {
        std::int32_t unused = 0;
        const std::int32_t angle = 90 - static_cast<std::int32_t>(90u * t / move_.duration);
        PolarToXY(angle, static_cast<std::int32_t>(span), &offset, &unused);
      }
      at[axis] = move_.from[axis] + offset;
    }
    PlaceCharacter(move_.slot, at[0], at[1]);
    return 0;
  }
  PlaceCharacter(move_.slot, move_.to[0], move_.to[1]);
  return 1;
}

int CSceneCommands::UpdateStep(const ParsedCommand& command, std::uint32_t stepFrames) {
  InvalidateScreen();
  if (stepFrames == 0) {
    kind_ = TransitionKindOf(command.args[0]);
    switch (kind_) {
      case TRANSITION_CROSS:
        return StartCross(command, false);
      case TRANSITION_IMAGE_CROSS:
        return StartCross(command, true);
      case TRANSITION_ZOOM:
        zoomFrom_ = ZoomThousandths(command.args[1]);
        zoomTo_ = ZoomThousandths(command.args[2]);
        duration_ = static_cast<std::uint32_t>(ParseArgValue(command.args[3]));
        BuildZoomFrame();
        ShowSceneSprites(0);
        if (CSpritePart* part = engine_.sprites[kZoomFrameSlot].get()) {
          part->SetAnchor(kZoomCentreX, kZoomCentreY);
          part->SetPosition(kZoomCentreX, kZoomCentreY);
          part->SetScale(zoomFrom_, zoomFrom_);
        }
        start_ = GetClockMs();
        return 0;
      case TRANSITION_SCROLL:
        for (int axis = 0; axis < 2; ++axis) {
          scrollFrom_[axis] = ParseArgValue(command.args[1 + axis]);
          scrollTo_[axis] = ParseArgValue(command.args[3 + axis]);
        }
        duration_ = static_cast<std::uint32_t>(ParseArgValue(command.args[5]));
        if (CSpritePart* part = engine_.sprites[kBackgroundSlot].get()) {
          part->SetPosition(-scrollFrom_[0], -scrollFrom_[1]);
        }
        start_ = GetClockMs();
        return 0;
      default:
        return 1;
    }
  }
  switch (kind_) {
    case TRANSITION_CROSS:
    case TRANSITION_IMAGE_CROSS:
      return CrossStep();
    case TRANSITION_ZOOM:
      return ZoomStep();
    case TRANSITION_SCROLL:
      return ScrollStep();
    default:
      return 1;
  }
}

int CSceneCommands::StartCross(const ParsedCommand& command, bool rule) {
  duration_ = static_cast<std::uint32_t>(ParseArgValue(command.args[1]));
  engine_.pictureSlots.FreePictureSlot(kSnapshotSlot);
  engine_.pictureSlots.CreateBlankPictureSlot(kSnapshotSlot, 800, 600);
  if (CImage* snapshot = engine_.pictureSlots.Get(kSnapshotSlot)) snapshot->CopyFromBackBuffer(*engine_.backBuffer);
  CSpritePart* part = CreateImageSprite(engine_, kSnapshotSlot, kSnapshotSlot, 0, 0, 800, 600, 0, 0, 0, 0, 0);
  if (part == nullptr) return 1;
  if (!rule) {
    part->StartEffect(kCrossFadeEffect, static_cast<std::int32_t>(duration_), 0, 0, 0);
    return 0;
  }
  const std::string ruleName = RuleFileName(command.args[2]);
  std::string archive;
  part->node.ruleMode = kRuleModeTransition;
  engine_.ruleTransition =
      std::make_unique<CRuleTransition>(engine_.backBuffer->GetWidth(), engine_.backBuffer->GetHeight());
  const int index = engine_.pictureSlots.FindPictureArchive(ruleName.c_str(), &archive);
  if (index < 0 ||
      !engine_.ruleTransition->LoadRule(ruleName.c_str(), archive.c_str(), &engine_.pictureSlots.ArchiveReader(index),
                                        duration_, 1) ||
      !engine_.ruleTransition->Start()) {
    engine_.ruleTransition.reset();
  }
  return 0;
}

int CSceneCommands::CrossStep() {
  const CSpritePart* part = engine_.sprites[kSnapshotSlot].get();
  const bool running = kind_ == TRANSITION_CROSS ? part != nullptr && part->IsEffectRunning()
                                                 : engine_.ruleTransition != nullptr;
  if (running && !StepsCutShort()) return 0;
  if (running) {
    ClearAdvanceInputs(engine_.input.words.data());
    engine_.ruleTransition.reset();
  }
  FinishCross();
  return 1;
}

void CSceneCommands::FinishCross() {
  FreePartSlot(engine_, kSnapshotSlot, 1);
  engine_.pictureSlots.FreePictureSlot(kSnapshotSlot);
}

int CSceneCommands::ZoomStep() {
  const std::uint32_t t = GetClockMs() - start_;
  if (t < duration_ && !StepsCutShort()) {
    const double scale = zoomFrom_ + (static_cast<double>(zoomTo_) - zoomFrom_) * t / duration_;
    if (CSpritePart* part = engine_.sprites[kZoomFrameSlot].get()) {
      part->SetScale(static_cast<std::int32_t>(scale), static_cast<std::int32_t>(scale));
    }
    return 0;
  }
  if (t < duration_) ClearAdvanceInputs(engine_.input.words.data());
  FreePartSlot(engine_, kZoomFrameSlot, 1);
  engine_.pictureSlots.FreePictureSlot(kZoomFrameSlot);
  ShowSceneSprites(1);
  return 1;
}

int CSceneCommands::ScrollStep() {
  const std::uint32_t t = GetClockMs() - start_;
  CSpritePart* part = engine_.sprites[kBackgroundSlot].get();
  if (t < duration_ && !StepsCutShort()) {
    std::int32_t at[2];
    for (int axis = 0; axis < 2; ++axis) {
      const std::int64_t span = std::int64_t{scrollTo_[axis]} - scrollFrom_[axis];
      at[axis] = -(scrollFrom_[axis] + static_cast<std::int32_t>(span * t / duration_));
    }
    if (part != nullptr) part->SetPosition(at[0], at[1]);
    return 0;
  }
  if (part != nullptr) part->SetPosition(-scrollTo_[0], -scrollTo_[1]);
  return 1;
}

void CSceneCommands::BuildZoomFrame() {
  if (engine_.pictureSlots.IsPictureSlotUsed(kZoomFrameSlot)) return;
  engine_.pictureSlots.CreateBlankPictureSlot(kZoomFrameSlot, 800, 600);
  CImage* frame = engine_.pictureSlots.Get(kZoomFrameSlot);
  if (frame == nullptr) return;
  frame->CreateBlank(engine_.backBuffer->GetWidth(), engine_.backBuffer->GetHeight(), 0, 2);
  // Each layer goes where its sprite is on screen, so the zoom starts from
  // exactly the picture the player saw.
  const auto drawAtSprite = [&](int slot) {
    const CImage* picture = engine_.pictureSlots.Get(slot);
    const CSpritePart* part = engine_.sprites[static_cast<std::size_t>(slot)].get();
    if (picture == nullptr || part == nullptr) return;
    frame->DrawImage(*picture, part->posX1000 / 1000, part->posY1000 / 1000, static_cast<int>(picture->width),
                     static_cast<int>(picture->height));
  };
  if (model.background[0] != '\0') drawAtSprite(kBackgroundSlot);
  for (std::int32_t priority = kSceneCharacterCount - 1; priority >= 0; --priority) {
    for (int k = 0; k < kSceneCharacterCount; ++k) {
      if (model.characters[k].inUse && model.priorities[k] == priority) drawAtSprite(kCharacterSlotBase + k);
    }
  }
  CreateImageSprite(engine_, kZoomFrameSlot, kZoomFrameSlot, 0, 0, 800, 600, 0, 0, 0, 0, kZoomFramePriority);
}

int CSceneCommands::EffectStep(const ParsedCommand& command, std::uint32_t stepFrames) {
  const std::uint32_t now = GetClockMs();
  if (stepFrames == 0) {
    effectKind_ = StrEqualNoCase(command.args[0], "Shake") ? kEffectShake : 0;
    kind_ = effectKind_;
    if (effectKind_ == 0) return 1;
    shakeAxis_ = StrEqualNoCase(command.args[1], "Y") ? 1 : StrEqualNoCase(command.args[1], "XY") ? 2 : 0;
    if (engine_.options[EFFECT_USE] == 0 || engine_.input.words[ACTION_SKIP_KEY] != 0 ||
        engine_.options[SKIP_RUNNING] != 0) {
      return 1;
    }
    engine_.shakeX = shakeAxis_ == 1 ? 0 : shakeAxis_ == 0 ? kShakeOffset : -kShakeOffset;
    engine_.shakeY = shakeAxis_ == 0 ? 0 : shakeAxis_ == 1 ? kShakeOffset : -kShakeOffset;
    shakePhase_ = 0;
    shakeSteps_ = kShakeSteps;
    shakeLast_ = now;
    return 0;
  }
  if (now - shakeLast_ <= kShakeStepMs) return 0;
  if (--shakeSteps_ == 0) {
    engine_.shakeX = 0;
    engine_.shakeY = 0;
    InvalidateScreen();
    return 1;
  }
  if (shakeAxis_ == 0) {
    engine_.shakeX = -engine_.shakeX;
  } else if (shakeAxis_ == 1) {
    engine_.shakeY = -engine_.shakeY;
  } else {
    shakePhase_ = (shakePhase_ + 1) % 4;
    engine_.shakeX = kDiagonalShake[shakePhase_][0];
    engine_.shakeY = kDiagonalShake[shakePhase_][1];
  }
  shakeLast_ = now;
  return 0;
}
