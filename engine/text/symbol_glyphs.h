// The two characters the message text draws from tables of its own at glyph
// size 19: "＠" as a heart and "＄" as a drop. Each table holds 19 x 19
// coverage bytes, row by row; a byte's level of 64 is byte >> 2.
#pragma once

#include <cstdint>

inline constexpr int kSpecialGlyphSide = 19;

// The table for a cell's code (first byte + second byte x 256) at that glyph
// size, or null when the character is drawn from the font.
const std::uint8_t* FindSpecialGlyph(std::uint16_t code, std::int32_t cellSize);
