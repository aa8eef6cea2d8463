// Supersampled glyphs: one character drawn by the platform into the text
// bitmap at s times its size, then counted back down to one level per
// output pixel. The font and colours are whatever the bitmap's context holds.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/text/one_bit_bitmap.h"

// Anti-alias level 3 samples 4 x 4; no caller asks for more.
inline constexpr int kMaxSupersampling = 4;

// requested, within 1..kMaxSupersampling, lowered until side x factor fits
// the bitmap.
int FitSupersampling(int side, int requested, int bitmapSide);

// Draws code (first byte + second byte x 256) at the bitmap's top-left and
// fills counts with side x side numbers, row by row: the set bits among the
// s x s samples of each output pixel. false when the character cannot be
// converted (counts then stay zero).
bool SampleGlyph(OneBitBitmap& bitmap, std::uint16_t code, int side, int s, std::vector<std::uint8_t>& counts);
