#include "game/frames/window_frames.h"

#include <cstring>
#include <memory>

#include "engine/pictures/picture_part_slots.h"
#include "engine/shell/engine_base.h"
#include "engine/text/message_window.h"
#include "game/sprites/sprite_making.h"

namespace {

constexpr int kPartsPicture = 1;
constexpr std::int32_t kFramePriority = 6;
constexpr std::int32_t kPartPriority = 5;
constexpr std::int32_t kScreenWidth = 800;
constexpr std::int32_t kScreenHeight = 600;
constexpr std::int32_t kStripTop = 429;
constexpr std::int32_t kStripHeight = 171;
constexpr const char* kWindowFrames[] = {"M_frame_A", "M_frame_B", "M_frame_C"};

// The text layout of both layouts.
constexpr std::int32_t kFontSize = 24;
constexpr std::int32_t kTextOriginX = 0;
constexpr std::int32_t kTextOriginY = 66;
constexpr std::int32_t kCharSpacing = 0;
constexpr std::int32_t kLineSpacing = 8;
constexpr std::uint32_t kWaitFactor = 24;
constexpr std::int32_t kCharsPerLine = 48;
constexpr std::int32_t kLines = 3;

// The speaker's name: where it sits from the window's origin and the
// picture it is rendered into, wide enough for the longest name read.
constexpr std::int32_t kNameOffsetX = 76;
constexpr std::int32_t kNameOffsetY = 3;
constexpr std::int32_t kNameFontSize = 24;
constexpr std::uint32_t kNameColour = 0x00FFFFFF;
constexpr std::int32_t kNamePictureWidth = 16 * kNameFontSize;
constexpr std::int32_t kNamePictureHeight = 32;

}  // namespace

void CWindowFrames::BuildWindowFrame(int novelLayout) {
  FreePartSlot(engine_, kFrameSprite, 1);
  engine_.pictureSlots.FreePictureSlot(kFrameSlot);
  novel = novelLayout != 0;
  const std::int32_t top = novel ? 0 : kStripTop;
  const std::int32_t height = novel ? kScreenHeight : kStripHeight;
  const char* picture = nullptr;
  if (novel) {
    picture = "M_frame_NVL";
  } else if (frameType >= 0 && frameType < 3) {
    picture = kWindowFrames[frameType];
  }
  if (picture != nullptr) {
    engine_.pictureSlots.LoadPictureSlot(kFrameSlot, picture, kPartsPicture, nullptr, nullptr);
    CreateImageSprite(engine_, kFrameSprite, kFrameSlot, 0, 0, kScreenWidth, height, 0, top, 0, 0, kFramePriority);
  }

  engine_.messageWindow = std::make_unique<CMessageWindow>();
  CMessageWindow& window = *engine_.messageWindow;
  window.Setup(0, top, kScreenWidth, height);
  window.SetFontSize(kFontSize);
  window.SetTextOrigin(kTextOriginX, kTextOriginY);
  window.SetSpacing(kCharSpacing, kLineSpacing);
  window.SetWaitFactor(kWaitFactor);
  window.SetLineLimits(kCharsPerLine, kLines);

  window.SetVisible(shown != 0);
  if (CSpritePart* frame = engine_.sprites[kFrameSprite].get()) frame->SetVisible(shown != 0);
  pageOpen = 0;
}

void CWindowFrames::ResetWindowParts() {
  novel = 0;
  engine_.pictureSlots.LoadPictureSlot(kWindowPartsSlot, "WIN_PARTS", kPartsPicture, nullptr, nullptr);
  engine_.pictureSlots.LoadPictureSlot(kNamePlateSlot, "M_frame_name", kPartsPicture, nullptr, nullptr);
  redrawRequest = 1;
  selectedButton = -1;
  shown = 0;
  iconShown = 0;
  pageOpen = 0;
  BuildWindowFrame(0);
}

void CWindowFrames::SetWindowSpritesVisible(int on) {
  for (int index :
       {kFrameSprite, kNamePlateSprite, kSpeakerNameSprite, kPageEndIconSprite, kExtraWindowSprite, kButtonSprite}) {
    if (CSpritePart* part = engine_.sprites[static_cast<std::size_t>(index)].get()) part->SetVisible(on);
  }
}

int CWindowFrames::ShowMessageWindow(int show) {
  engine_.InvalidateDesignRect(0, 414, kScreenWidth, 186);
  const std::uint32_t wanted = show != 0;
  if (shown != wanted) {
    if (engine_.messageWindow) engine_.messageWindow->SetVisible(static_cast<int>(wanted));
    SetWindowSpritesVisible(static_cast<int>(wanted));
    shown = wanted;
  }
  if (engine_.messageWindow) engine_.messageWindow->textHidden = 0;
  return 1;
}

void CWindowFrames::DestroyMessageWindow() {
  engine_.messageWindow.reset();
  shown = 0;
  iconShown = 0;
  pageOpen = 0;
}

void CWindowFrames::ShowNamePlate(const char* name) {
  RemoveSpeakerName();
  CSpritePart* plate =
      CreateImageSprite(engine_, kNamePlateSprite, kNamePlateSlot, 0, 0, 368, 49, 0, 420, 0, 0, kFramePriority);
  if (plate == nullptr || name == nullptr || !engine_.messageWindow) return;
  engine_.pictureSlots.CreateBlankPictureSlot(kSpeakerNameSlot, kNamePictureWidth, kNamePictureHeight);
  CImage* picture = engine_.pictureSlots.Get(kSpeakerNameSlot);
  if (picture == nullptr) return;
  engine_.messageWindow->RenderTextToImage(*picture, name, kNameFontSize, 0, kNameColour, 0, 0,
                                           static_cast<std::int32_t>(TextAntiAliasLevel(engine_.options)) + 1,
                                           static_cast<std::int32_t>(engine_.options[MESSAGE_SADOW]));
  const std::int32_t top = novel ? 0 : kStripTop;
  if (CSpritePart* shown = CreateImageSprite(engine_, kSpeakerNameSprite, kSpeakerNameSlot, 0, 0, -1, -1, kNameOffsetX,
                                             top + kNameOffsetY, 0, 0, kPartPriority)) {
    shown->SetVisible(static_cast<int>(plate->visible));
  }
}

void CWindowFrames::RemoveNamePlate() {
  if (CSpritePart* plate = engine_.sprites[kNamePlateSprite].get()) plate->SetVisible(0);
  FreePartSlot(engine_, kNamePlateSprite, 1);
  RemoveSpeakerName();
}

void CWindowFrames::RemoveSpeakerName() {
  FreePartSlot(engine_, kSpeakerNameSprite, 1);
  engine_.pictureSlots.FreePictureSlot(kSpeakerNameSlot);
}

void CWindowFrames::PageEndIcon(int show) {
  if (show && !iconShown) {
    if (CSpritePart* icon = CreateImageSprite(engine_, kPageEndIconSprite, kWindowPartsSlot, 0, 52, 48, 42, 694, 526,
                                              0, 0, kPartPriority)) {
      icon->node.reserved |= kPageEndIconLayerFlag;
      for (int k = 0; k < kPageEndIconFrames; ++k) {
        icon->SetAnimationFrame(k, static_cast<std::uint16_t>((k + 1) % kPageEndIconFrames), kPageEndIconFrameMs,
                                kWindowPartsSlot, 48 * k, 52, 48, 42, 0, 0, k == 0 ? 0 : -1);
      }
      icon->StartAnimation(0);
    }
    iconShown = 1;
  } else if (!show && iconShown) {
    if (CSpritePart* icon = engine_.sprites[kPageEndIconSprite].get()) {
      icon->StopAnimation();
      icon->SetVisible(0);
    }
    FreePartSlot(engine_, kPageEndIconSprite, 1);
    iconShown = 0;
  }
}

void CWindowFrames::SelectWindowButton(int n) {
  if (n == selectedButton && !redrawRequest) return;
  FreePartSlot(engine_, kButtonSprite, 1);
  if (n >= 0 && n < kWindowButtons) {
    CreateImageSprite(engine_, kButtonSprite, kWindowPartsSlot, 96 * n, 0, 96, 26, 112 + 96 * n, 576, 0, 0,
                      kPartPriority);
  }
  selectedButton = n;
  redrawRequest = 0;
}

void CWindowFrames::SetWindowType(const char* mode) {
  BuildWindowFrame(std::strcmp(mode, "NOVEL") == 0);
}

void CWindowFrames::SetFrameType(std::int32_t type) {
  frameType = type;
  if (!novel) BuildWindowFrame(0);
}
