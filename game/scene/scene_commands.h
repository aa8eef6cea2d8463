// The scene of the game screen: one background, five characters, colour
// state, and the timed steps that change what is shown (cross-fades, zoom,
// scroll, character moves, the screen shake). The model maps onto fixed
// picture slots and part sprites; the script's scene tags land here.
#pragma once

#include <cstdint>

#include "game/script/script_command.h"

class CGameEngine;
class CSeenStores;

inline constexpr int kSceneCharacterCount = 5;
inline constexpr int kSnapshotSlot = 0;     // picture and part: the old screen
inline constexpr int kZoomFrameSlot = 1;    // picture and part: the zoom frame
inline constexpr int kCharacterSlotBase = 16;  // picture and part of character k: 16 + k
inline constexpr int kBackgroundSlot = 24;  // picture and part
inline constexpr std::int32_t kBackgroundPriority = 48;
inline constexpr std::int32_t kCharacterPriorityBase = 30;
inline constexpr std::int32_t kZoomFramePriority = 16;

enum SceneTransition : std::uint32_t {
  TRANSITION_NORMAL = 0,
  TRANSITION_CROSS = 1,
  TRANSITION_IMAGE_CROSS = 2,
  TRANSITION_ZOOM = 3,
  TRANSITION_SCROLL = 4,
};
inline constexpr std::uint32_t kEffectShake = 1;

struct SceneCharacter {
  std::uint32_t inUse = 0;
  char name[32] = {};
  std::int32_t x = 0;  // design px
  std::int32_t y = 0;
  std::uint32_t color = 0;  // 0x00RRGGBB darkening, 0 for none
};

struct SceneModel {
  char background[40] = {};
  std::int32_t backgroundX = 0;
  std::int32_t backgroundY = 0;
  std::uint32_t reversal = 0;
  std::uint32_t mannerTinted = 0;
  SceneCharacter characters[kSceneCharacterCount];
  std::int32_t priorities[kSceneCharacterCount] = {0, 1, 2, 3, 4};
};

class CSceneCommands {
 public:
  CSceneCommands(CGameEngine& engine, CSeenStores& seen) : engine_(engine), seen_(seen) {}

  // Back to an empty scene with the default priorities (no sprites touched).
  void ClearRecords();

  void SetBackground(const char* name);
  void SetBackgroundOffset(std::int32_t x, std::int32_t y);
  // 0x00RRGGBB; removes the background picture.
  void SetBackgroundColor(std::uint32_t rgb);
  // Inverts what is shown on every call; pictures loaded later are inverted
  // while the flag is 1.
  void SetReversal(std::uint32_t flag);
  // Slots outside 0..4 are refused (reported).
  void SetCharacter(int slot, const char* name);
  void SetCharacterPosition(int slot, std::int32_t x, std::int32_t y);
  // Darkening for the slot's next SetCharacter.
  void SetCharacterColor(int slot, std::uint32_t color);
  // Any slot number modulo 5; -1 deletes all five.
  void DeleteCharacter(int slot);
  // A negative priority hides the character without freeing it.
  void ApplyCharacterPriorities();
  void ShowSceneSprites(int show);
  void ApplyMannerTint();

  // The timed tags; 1 when done. stepFrames is 0 on a tag's first frame.
  int MoveCharacterStep(const ParsedCommand& command, std::uint32_t stepFrames);
  int UpdateStep(const ParsedCommand& command, std::uint32_t stepFrames);
  int EffectStep(const ParsedCommand& command, std::uint32_t stepFrames);

  std::uint32_t TransitionKind() const { return kind_; }
  SceneModel model;

 private:
  // Effects off, skipping, the skip key held or an advance input down: a
  // timed step jumps to its end state.
  bool StepsCutShort() const;
  // Slots outside 0..4 would reach past the five records: refused, reported.
  static bool IsCharacterSlot(int slot, const char* tag);
  void RemoveBackground();
  void PlaceCharacter(int slot, std::int32_t x, std::int32_t y);
  void BuildZoomFrame();
  int StartCross(const ParsedCommand& command, bool rule);
  int CrossStep();
  void FinishCross();
  int ZoomStep();
  int ScrollStep();
  void InvalidateScreen();

  CGameEngine& engine_;
  CSeenStores& seen_;
  std::uint32_t kind_ = TRANSITION_NORMAL;
  std::uint32_t duration_ = 0;
  std::uint32_t start_ = 0;
  std::int32_t zoomFrom_ = 0;
  std::int32_t zoomTo_ = 0;
  std::int32_t scrollFrom_[2] = {};
  std::int32_t scrollTo_[2] = {};
  std::uint32_t effectKind_ = 0;
  std::uint32_t shakeAxis_ = 0;
  std::uint32_t shakeSteps_ = 0;
  std::uint32_t shakePhase_ = 0;
  std::uint32_t shakeLast_ = 0;
  struct Move {
    int slot = 0;
    std::uint32_t duration = 0;
    std::uint32_t start = 0;
    std::int32_t from[2] = {};
    std::int32_t to[2] = {};
    bool eases[2] = {};
  } move_;
};
