// Making part sprites: the one way the scenes, the window frames and the
// screens put a rectangle of a picture slot, or a colour fill, on screen.
#pragma once

#include <cstdint>

class CEngineBase;
class CSpritePart;

// Replaces the part at index with one showing the source rectangle of the
// picture slot (negative x or y count as 0; a negative width or height means
// the picture's design size) with its anchor at (x, y). Null, and the slot
// left empty, when the picture slot holds no picture or index is bad.
CSpritePart* CreateImageSprite(CEngineBase& engine, int index, int pictureSlot, std::int32_t sourceX,
                               std::int32_t sourceY, std::int32_t sourceWidth, std::int32_t sourceHeight, std::int32_t x,
                               std::int32_t y, std::int32_t anchorX, std::int32_t anchorY, std::int32_t priority);
// The same with a solid colour 0xRRGGBB over (x, y, width, height).
CSpritePart* CreateColorSprite(CEngineBase& engine, int index, std::int32_t x, std::int32_t y, std::int32_t width,
                               std::int32_t height, std::uint32_t color, std::int32_t priority);
