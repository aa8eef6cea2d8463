// The message window's frame, name plate, page-end icon and button
// highlight as part sprites over the window pictures, and the window object
// for the two layouts: NOVEL (full screen) and WINDOW (a strip at the
// bottom, frame type 0, 1 or 2). They are shown and hidden together. The
// speaker's name is rendered once into its own picture and shown as a part
// just above the plate, so the page's glyph cells never hold it.
#pragma once

#include <cstdint>

class CEngineBase;

// Picture slots and part sprites the window owns.
inline constexpr int kFrameSlot = 240;
inline constexpr int kWindowPartsSlot = 241;
inline constexpr int kNamePlateSlot = 242;
inline constexpr int kSpeakerNameSlot = 243;
inline constexpr int kFrameSprite = 480;
inline constexpr int kExtraWindowSprite = 481;
inline constexpr int kButtonSprite = 482;
inline constexpr int kSpeakerNameSprite = 497;
inline constexpr int kNamePlateSprite = 498;
inline constexpr int kPageEndIconSprite = 499;

// The page-end icon's frames and the layer flag it carries.
inline constexpr int kPageEndIconFrames = 7;
inline constexpr std::uint16_t kPageEndIconFrameMs = 100;
inline constexpr std::uint32_t kPageEndIconLayerFlag = 2;
inline constexpr int kWindowButtons = 6;

class CWindowFrames {
 public:
  explicit CWindowFrames(CEngineBase& engine) : engine_(engine) {}

  // Frame sprite and window object for the layout (the frame type stays).
  void BuildWindowFrame(int novel);
  // A new game's window: the parts pictures, no button, hidden, WINDOW.
  void ResetWindowParts();
  // Always 1. Clears the window's hidden-by-user mark in every case.
  int ShowMessageWindow(int show);
  void DestroyMessageWindow();
  // The plate sprite with the name on it, white at the window's origin
  // + (76, 3), visible as the plate is; both go on the next call or remove.
  void ShowNamePlate(const char* name);
  void RemoveNamePlate();
  void PageEndIcon(int show);
  // Button n 0..5 highlighted; any other n removes the highlight.
  void SelectWindowButton(int n);

  // The tags: "NOVEL" or "WINDOW" (anything else is WINDOW); a frame type
  // that only rebuilds the frame in WINDOW mode.
  void SetWindowType(const char* mode);
  void SetFrameType(std::int32_t type);

  std::uint32_t novel = 0;
  std::int32_t frameType = 0;
  std::uint32_t shown = 0;
  std::uint32_t iconShown = 0;
  std::uint32_t pageOpen = 0;
  std::int32_t selectedButton = -1;
  std::uint32_t redrawRequest = 0;

 private:
  void SetWindowSpritesVisible(int on);
  void RemoveSpeakerName();

  CEngineBase& engine_;
};
