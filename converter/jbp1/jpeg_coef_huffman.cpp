#include "converter/jbp1/jpeg_coef_huffman.h"

#include <algorithm>
#include <iterator>

namespace reelpack {

bool CJpegHuffmanTable::Load(CJpegBitReader& reader, int& bytesRead) {
  codeCount_ = 0;
  bytesRead = 0;
  std::fill(std::begin(lookahead_), std::end(lookahead_), 0);
  int counts[kMaxLength + 1] = {};
  int total = 0;
  for (int length = 1; length <= kMaxLength; ++length) {
    counts[length] = reader.ReadByte();
    if (counts[length] < 0) return false;
    total += counts[length];
  }
  if (total > kMaxSymbols) return false;
  for (int i = 0; i < total; ++i) {
    const int symbol = reader.ReadByte();
    if (symbol < 0) return false;
    symbols_[i] = static_cast<std::uint8_t>(symbol);
  }
  std::int32_t code = 0;
  int symbol = 0;
  for (int length = 1; length <= kMaxLength; ++length) {
    firstCode_[length] = code;
    firstSymbol_[length] = symbol;
    code += counts[length];
    symbol += counts[length];
    lastCode_[length] = code - 1;
    if (code > (1 << length)) return false;
    code <<= 1;
  }
  for (int length = 1; length <= kLookaheadBits; ++length) {
    for (std::int32_t c = firstCode_[length]; c <= lastCode_[length]; ++c) {
      const int shift = kLookaheadBits - length;
      const auto entry = static_cast<std::uint16_t>(length << 8 | symbols_[firstSymbol_[length] + c - firstCode_[length]]);
      std::fill(lookahead_ + (c << shift), lookahead_ + ((c + 1) << shift), entry);
    }
  }
  codeCount_ = total;
  bytesRead = kMaxLength + total;
  return true;
}

bool CJpegHuffmanTable::DecodeLongSymbol(CJpegBitReader& reader, int& symbol) const {
  const std::uint32_t bits = reader.PeekBits(kMaxLength);
  for (int length = kLookaheadBits + 1; length <= kMaxLength; ++length) {
    const std::int32_t code = static_cast<std::int32_t>(bits >> (kMaxLength - length));
    if (code <= lastCode_[length] && code >= firstCode_[length]) {
      reader.SkipBits(length);
      symbol = symbols_[firstSymbol_[length] + code - firstCode_[length]];
      return true;
    }
  }
  reader.SkipBits(kMaxLength);
  symbol = 0;
  return false;
}

}  // namespace reelpack
