// One Huffman table of the coefficient-level JPEG reader, as a DHT segment
// defines it: code counts per length 1 to 16 and the symbols in code order,
// with canonical codes (counting up within a length, doubling when the
// length grows).
#pragma once

#include <cstdint>

#include "converter/jbp1/jpeg_coef_bit_reader.h"

namespace reelpack {

class CJpegHuffmanTable {
 public:
  static constexpr int kMaxLength = 16;
  static constexpr int kMaxSymbols = 256;

  // Reads the 16 counts and the symbols that follow them, replacing the
  // table wholly. False when the source ends, more than 256 codes are
  // counted or the codes do not fit their lengths; the table is then empty.
  // bytesRead receives the bytes the counts and symbols took.
  bool Load(CJpegBitReader& reader, int& bytesRead);

  bool Empty() const { return codeCount_ == 0; }

  // Reads one code; false (symbol 0) when the bits match no code.
  bool DecodeSymbol(CJpegBitReader& reader, int& symbol) const {
    const std::uint16_t entry = lookahead_[reader.PeekBits(kLookaheadBits)];
    if (entry != 0) {
      reader.SkipBits(entry >> 8);
      symbol = entry & 0xFF;
      return true;
    }
    return DecodeLongSymbol(reader, symbol);
  }

 private:
  static constexpr int kLookaheadBits = 9;

  bool DecodeLongSymbol(CJpegBitReader& reader, int& symbol) const;

  int codeCount_ = 0;
  std::uint8_t symbols_[kMaxSymbols] = {};
  // Per length: the first and last code (last < first when none) and where
  // its symbols start.
  std::int32_t firstCode_[kMaxLength + 1] = {};
  std::int32_t lastCode_[kMaxLength + 1] = {};
  int firstSymbol_[kMaxLength + 1] = {};
  // For the next kLookaheadBits bits: the length (high byte) and symbol of
  // the code they start with, 0 when that code is longer.
  std::uint16_t lookahead_[1 << kLookaheadBits] = {};
};

}  // namespace reelpack
