#include "converter/jbp1/jpeg_coef_huffman.h"

namespace reelpack {

bool CJpegHuffmanTable::Load(CJpegBitReader& reader, int& bytesRead) {
  codeCount_ = 0;
  bytesRead = 0;
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
  codeCount_ = total;
  bytesRead = kMaxLength + total;
  return true;
}

bool CJpegHuffmanTable::DecodeSymbol(CJpegBitReader& reader, int& symbol) const {
  std::int32_t code = 0;
  for (int length = 1; length <= kMaxLength; ++length) {
    code = code << 1 | reader.ReadBit();
    if (code <= lastCode_[length] && code >= firstCode_[length]) {
      symbol = symbols_[firstSymbol_[length] + code - firstCode_[length]];
      return true;
    }
  }
  symbol = 0;
  return false;
}

}  // namespace reelpack
