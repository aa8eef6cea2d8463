// Huffman tables fitted to symbol counts (T.81 K.2, with the K.3 limit to
// 16-bit codes).
#pragma once

#include <cstdint>

// Builds a table for symbols 0..255 from their counts, together with one
// reserved symbol of count 1 whose code is then left out, so that no real
// code is all one bits. Fills the 16 code-length counts and the values (by
// code length, then by symbol); returns the number of values.
int jpegOptimizeHuffman(const std::uint64_t counts[256], std::uint8_t bits[16], std::uint8_t values[256]);
