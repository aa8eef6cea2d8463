// Variable-length code tables of MPEG-1 video, decoded by one lookup: the
// count of leading zeros of a peek picks a sub-table, the bits after the
// first 1 index it.
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

#include "converter/mpeg/mpeg_bit_reader.h"

namespace reelpack {

struct MpegVlcCode {
  const char* bits;  // "0011 1": spaces are ignored
  int value;
};

class MpegVlcTable {
 public:
  static constexpr int kNoEntry = -1000000;

  MpegVlcTable(const MpegVlcCode* codes, int count);
  // The value of the next code, consumed; kNoEntry (nothing consumed) when
  // the bits start no code of the table.
  int decode(MPEG_BIT_STREAM& stream) const {
    int length;
    const int value = lookup(bitsPeek(stream, maxLength_), &length);
    if (value != kNoEntry) bitsSkip(stream, length);
    return value;
  }
  // The same on a peek of maxLength() bits, for tests and callers that peek
  // themselves; *length gets the code's length.
  int lookup(std::uint32_t peek, int* length) const {
    if (flat_) {
      const Entry& e = byZeros_[0].entries[peek];
      *length = e.length;
      return e.value;
    }
    const int zeros = maxLength_ - std::bit_width(peek);
    *length = 0;
    if (zeros >= maxLength_) return kNoEntry;
    const SubTable& sub = byZeros_[zeros];
    const int rest = maxLength_ - zeros - 1;
    const std::uint32_t index = (peek & ((1u << rest) - 1)) >> (rest - sub.bits);
    const Entry& e = sub.entries[index];
    *length = e.length;
    return e.value;
  }
  int maxLength() const { return maxLength_; }

 private:
  struct Entry {
    int value = kNoEntry;
    int length = 0;
  };
  struct SubTable {
    int bits = 0;
    std::vector<Entry> entries;
  };
  static constexpr int kFlatLength = 11;
  int maxLength_ = 0;
  bool flat_ = false;
  std::vector<SubTable> byZeros_;
};

// Values of the macroblock_type tables: flag bits.
enum MpegMacroblockFlags {
  kMacroblockQuant = 1,
  kMacroblockForward = 2,
  kMacroblockBackward = 4,
  kMacroblockPattern = 8,
  kMacroblockIntra = 16,
};

// Address increment: 1..33, or these two.
inline constexpr int kAddressStuffing = 34;
inline constexpr int kAddressEscape = 35;

// dct_coeff values: run in bits 8.., level (1..40) in the low byte; the
// sign bit follows the code. End of block and escape lie outside that range
// (run 0, level 1 is 1).
inline constexpr int kCoefficientEndOfBlock = 0;
inline constexpr int kCoefficientEscape = -1;
constexpr int CoefficientValue(int run, int level) { return (run << 8) | level; }

const MpegVlcTable& addressIncrementTable();
const MpegVlcTable& macroblockTypeTable(int pictureType);  // I, P or B
const MpegVlcTable& codedBlockPatternTable();
const MpegVlcTable& motionCodeTable();  // magnitude 0..16; the sign bit follows
const MpegVlcTable& dcSizeLumaTable();
const MpegVlcTable& dcSizeChromaTable();
// first: the first coefficient of a non-intra block, where "1s" is run 0
// level 1 and end of block cannot occur.
const MpegVlcTable& coefficientTable(bool first);

}  // namespace reelpack
