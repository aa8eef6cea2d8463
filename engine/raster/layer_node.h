// The drawable record at the head of every part sprite and every effect
// tile. Draw lists chain them through next; the compositor draws each one
// by its kind, draw mode, opacity, scale, angle and rule mode. The draw-list
// heads themselves are empty nodes (kind 0) that draw nothing.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t kLayerNodeSize = 76;

enum LayerKind : std::uint32_t {
  kLayerEmpty = 0,
  kLayerPicture = 1,
  kLayerFill = 6,
  // Kinds that also draw as pictures; nothing creates them today.
  kLayerPictureAlt = 7,
  kLayerPictureAlt2 = 30,
};

enum LayerDrawMode : std::int16_t {
  kDrawNormal = 0,
  kDrawAdditive = 1,
};

inline constexpr std::int16_t kOpacityOpaque = 256;
inline constexpr std::int16_t kScaleUnit = 1000;  // 100 %
// The plain draw of a picture node: -1 by default; -100 draws the node
// through the rule transition; values of 0 and above are not drawn.
inline constexpr std::int16_t kRuleModeNone = -1;
inline constexpr std::int16_t kRuleModeTransition = -100;

struct LayerNode {
  LayerNode* next = nullptr;
  std::uint32_t size = 0;
  std::uint32_t kind = kLayerEmpty;
  std::uint32_t reserved = 0;
  std::uint32_t color = 0;  // 0xRRGGBB of a colour fill
  std::int16_t drawMode = kDrawNormal;
  std::int16_t brightness = 256;
  std::int16_t opacity = kOpacityOpaque;  // 0..256
  std::int16_t angle = 0;                 // degrees
  std::int16_t anchorX = 0;               // centre of scaling and rotation, from drawX/drawY
  std::int16_t anchorY = 0;
  std::int16_t imageSlot = -1;  // negative: nothing to draw
  // The source rectangle inside the picture (for fills, the fill's size).
  std::int16_t srcLeft = 0;
  std::int16_t srcTop = 0;
  std::int16_t srcRight = 0;
  std::int16_t srcBottom = 0;
  // Screen position of the source rectangle's top-left.
  std::int16_t drawX = 0;
  std::int16_t drawY = 0;
  std::int16_t scaleX = kScaleUnit;
  std::int16_t scaleY = kScaleUnit;
  std::int16_t ruleMode = kRuleModeNone;
  std::int16_t effectLevel = 0;
};
