// The two inverse DCTs of the picture decoder, both the
// Loeffler-Ligtenberg-Moschytz factorisation: columns first, then rows, each
// row result divided by 8 (arithmetic shift). Output samples are level-shifted
// (a mid-grey sample is 0) and unclamped. Each has a portable form, the
// definition, and an SSE2 form with bit-identical results.
#pragma once

#include <cstdint>

// Still pictures: exact constants scaled by 65,536; the quantised block is
// dequantised with the natural-order quantiser on the way through the columns.
void InverseDctStillPortable(std::int16_t block[64], const std::uint16_t quantiser[64]);
void InverseDctStillSse2(std::int16_t block[64], const std::uint16_t quantiser[64]);
// The fastest of the above this build has.
void InverseDctStill(std::int16_t block[64], const std::uint16_t quantiser[64]);

// Movie frames: the block is dequantised already and every product is a sum
// of shifts, so no multiplication is left.
void InverseDctMoviePortable(std::int16_t block[64]);
void InverseDctMovieSse2(std::int16_t block[64]);
void InverseDctMovie(std::int16_t block[64]);
