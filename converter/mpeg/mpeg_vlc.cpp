#include "converter/mpeg/mpeg_vlc.h"

#include <string>

namespace reelpack {

MpegVlcTable::MpegVlcTable(const MpegVlcCode* codes, int count) {
  std::vector<std::string> patterns;
  for (int i = 0; i < count; ++i) {
    std::string p;
    for (const char* c = codes[i].bits; *c; ++c)
      if (*c != ' ') p += *c;
    maxLength_ = std::max<int>(maxLength_, static_cast<int>(p.size()));
    patterns.push_back(p);
  }
  // Short tables (some have all-zero codes) are one flat table: a single
  // sub-table holding the whole peek.
  flat_ = maxLength_ <= kFlatLength;
  byZeros_.resize(flat_ ? 1 : maxLength_);
  if (flat_) byZeros_[0].bits = maxLength_;
  for (const std::string& p : patterns) {
    if (flat_) break;
    const int zeros = static_cast<int>(p.find('1'));
    byZeros_[zeros].bits = std::max<int>(byZeros_[zeros].bits, static_cast<int>(p.size()) - zeros - 1);
  }
  for (SubTable& sub : byZeros_) sub.entries.resize(std::size_t{1} << sub.bits);
  for (int i = 0; i < count; ++i) {
    const std::string& p = patterns[i];
    const int zeros = flat_ ? -1 : static_cast<int>(p.find('1'));
    SubTable& sub = byZeros_[flat_ ? 0 : zeros];
    const int tailLength = static_cast<int>(p.size()) - zeros - 1;
    const unsigned tail = tailLength ? std::stoul(p.substr(zeros + 1), nullptr, 2) : 0;
    const unsigned first = tail << (sub.bits - tailLength);
    for (unsigned k = 0; k < (1u << (sub.bits - tailLength)); ++k)
      sub.entries[first + k] = Entry{codes[i].value, static_cast<int>(p.size())};
  }
}

namespace {

constexpr MpegVlcCode kAddressIncrement[] = {
    {"1", 1},             {"011", 2},           {"010", 3},           {"0011", 4},          {"0010", 5},
    {"0001 1", 6},        {"0001 0", 7},        {"0000 111", 8},      {"0000 110", 9},      {"0000 1011", 10},
    {"0000 1010", 11},    {"0000 1001", 12},    {"0000 1000", 13},    {"0000 0111", 14},    {"0000 0110", 15},
    {"0000 0101 11", 16}, {"0000 0101 10", 17}, {"0000 0101 01", 18}, {"0000 0101 00", 19}, {"0000 0100 11", 20},
    {"0000 0100 10", 21}, {"0000 0100 011", 22}, {"0000 0100 010", 23}, {"0000 0100 001", 24},
    {"0000 0100 000", 25}, {"0000 0011 111", 26}, {"0000 0011 110", 27}, {"0000 0011 101", 28},
    {"0000 0011 100", 29}, {"0000 0011 011", 30}, {"0000 0011 010", 31}, {"0000 0011 001", 32},
    {"0000 0011 000", 33}, {"0000 0001 111", kAddressStuffing}, {"0000 0001 000", kAddressEscape},
};

constexpr int Q = kMacroblockQuant, F = kMacroblockForward, B = kMacroblockBackward, P = kMacroblockPattern,
              I = kMacroblockIntra;

constexpr MpegVlcCode kTypeI[] = {{"1", I}, {"01", Q | I}};
constexpr MpegVlcCode kTypeP[] = {{"1", F | P},   {"01", P},         {"001", F},       {"0001 1", I},
                                  {"0001 0", Q | F | P}, {"0000 1", Q | P}, {"0000 01", Q | I}};
constexpr MpegVlcCode kTypeB[] = {{"10", F | B},        {"11", F | B | P},      {"010", B},
                                  {"011", B | P},       {"0010", F},            {"0011", F | P},
                                  {"0001 1", I},        {"0001 0", Q | F | B | P}, {"0000 11", Q | F | P},
                                  {"0000 10", Q | B | P}, {"0000 01", Q | I}};

constexpr MpegVlcCode kCodedBlockPattern[] = {
    {"111", 60},        {"1101", 4},        {"1100", 8},        {"1011", 16},       {"1010", 32},
    {"1001 1", 12},     {"1001 0", 48},     {"1000 1", 20},     {"1000 0", 40},     {"0111 1", 28},
    {"0111 0", 44},     {"0110 1", 52},     {"0110 0", 56},     {"0101 1", 1},      {"0101 0", 61},
    {"0100 1", 2},      {"0100 0", 62},     {"0011 11", 24},    {"0011 10", 36},    {"0011 01", 3},
    {"0011 00", 63},    {"0010 111", 5},    {"0010 110", 9},    {"0010 101", 17},   {"0010 100", 33},
    {"0010 011", 6},    {"0010 010", 10},   {"0010 001", 18},   {"0010 000", 34},   {"0001 1111", 7},
    {"0001 1110", 11},  {"0001 1101", 19},  {"0001 1100", 35},  {"0001 1011", 13},  {"0001 1010", 49},
    {"0001 1001", 21},  {"0001 1000", 41},  {"0001 0111", 14},  {"0001 0110", 50},  {"0001 0101", 22},
    {"0001 0100", 42},  {"0001 0011", 15},  {"0001 0010", 51},  {"0001 0001", 23},  {"0001 0000", 43},
    {"0000 1111", 25},  {"0000 1110", 37},  {"0000 1101", 26},  {"0000 1100", 38},  {"0000 1011", 29},
    {"0000 1010", 45},  {"0000 1001", 53},  {"0000 1000", 57},  {"0000 0111", 30},  {"0000 0110", 46},
    {"0000 0101", 54},  {"0000 0100", 58},  {"0000 0011 1", 31}, {"0000 0011 0", 47}, {"0000 0010 1", 55},
    {"0000 0010 0", 59}, {"0000 0001 1", 27}, {"0000 0001 0", 39},
};

constexpr MpegVlcCode kMotionCode[] = {
    {"1", 0},            {"01", 1},           {"001", 2},          {"0001", 3},         {"0000 11", 4},
    {"0000 101", 5},     {"0000 100", 6},     {"0000 011", 7},     {"0000 0101 1", 8},  {"0000 0101 0", 9},
    {"0000 0100 1", 10}, {"0000 0100 01", 11}, {"0000 0100 00", 12}, {"0000 0011 11", 13}, {"0000 0011 10", 14},
    {"0000 0011 01", 15}, {"0000 0011 00", 16},
};

constexpr MpegVlcCode kDcSizeLuma[] = {{"100", 0},   {"00", 1},     {"01", 2},      {"101", 3},      {"110", 4},
                                       {"1110", 5},  {"1111 0", 6}, {"1111 10", 7}, {"1111 110", 8}};
constexpr MpegVlcCode kDcSizeChroma[] = {{"00", 0},     {"01", 1},      {"10", 2},       {"110", 3},
                                         {"1110", 4},   {"1111 0", 5},  {"1111 10", 6},  {"1111 110", 7},
                                         {"1111 1110", 8}};

constexpr int V(int run, int level) { return CoefficientValue(run, level); }

// Without the leading "1s"/"11s" (run 0, level 1) and end of block, which
// differ between the first and the following coefficients.
#define REELPACK_COEFFICIENT_CODES                                                                             \
  {"011", V(1, 1)}, {"0100", V(0, 2)}, {"0101", V(2, 1)}, {"0010 1", V(0, 3)}, {"0011 1", V(3, 1)},            \
      {"0011 0", V(4, 1)}, {"0001 10", V(1, 2)}, {"0001 11", V(5, 1)}, {"0001 01", V(6, 1)},                   \
      {"0001 00", V(7, 1)}, {"0000 110", V(0, 4)}, {"0000 100", V(2, 2)}, {"0000 111", V(8, 1)},               \
      {"0000 101", V(9, 1)}, {"0000 01", kCoefficientEscape}, {"0010 0110", V(0, 5)}, {"0010 0001", V(0, 6)},  \
      {"0010 0101", V(1, 3)}, {"0010 0100", V(3, 2)}, {"0010 0111", V(10, 1)}, {"0010 0011", V(11, 1)},        \
      {"0010 0010", V(12, 1)}, {"0010 0000", V(13, 1)}, {"0000 0010 10", V(0, 7)}, {"0000 0011 00", V(1, 4)},  \
      {"0000 0010 11", V(2, 3)}, {"0000 0011 11", V(4, 2)}, {"0000 0010 01", V(5, 2)},                         \
      {"0000 0011 10", V(14, 1)}, {"0000 0011 01", V(15, 1)}, {"0000 0010 00", V(16, 1)},                      \
      {"0000 0001 1101", V(0, 8)}, {"0000 0001 1000", V(0, 9)}, {"0000 0001 0011", V(0, 10)},                  \
      {"0000 0001 0000", V(0, 11)}, {"0000 0001 1011", V(1, 5)}, {"0000 0001 0100", V(2, 4)},                  \
      {"0000 0001 1100", V(3, 3)}, {"0000 0001 0010", V(4, 3)}, {"0000 0001 1110", V(6, 2)},                   \
      {"0000 0001 0101", V(7, 2)}, {"0000 0001 0001", V(8, 2)}, {"0000 0001 1111", V(17, 1)},                  \
      {"0000 0001 1010", V(18, 1)}, {"0000 0001 1001", V(19, 1)}, {"0000 0001 0111", V(20, 1)},                \
      {"0000 0001 0110", V(21, 1)}, {"0000 0000 1101 0", V(0, 12)}, {"0000 0000 1100 1", V(0, 13)},            \
      {"0000 0000 1100 0", V(0, 14)}, {"0000 0000 1011 1", V(0, 15)}, {"0000 0000 1011 0", V(1, 6)},           \
      {"0000 0000 1010 1", V(1, 7)}, {"0000 0000 1010 0", V(2, 5)}, {"0000 0000 1001 1", V(3, 4)},             \
      {"0000 0000 1001 0", V(5, 3)}, {"0000 0000 1000 1", V(9, 2)}, {"0000 0000 1000 0", V(10, 2)},            \
      {"0000 0000 1111 1", V(22, 1)}, {"0000 0000 1111 0", V(23, 1)}, {"0000 0000 1110 1", V(24, 1)},          \
      {"0000 0000 1110 0", V(25, 1)}, {"0000 0000 1101 1", V(26, 1)}, {"0000 0000 0111 11", V(0, 16)},         \
      {"0000 0000 0111 10", V(0, 17)}, {"0000 0000 0111 01", V(0, 18)}, {"0000 0000 0111 00", V(0, 19)},       \
      {"0000 0000 0110 11", V(0, 20)}, {"0000 0000 0110 10", V(0, 21)}, {"0000 0000 0110 01", V(0, 22)},       \
      {"0000 0000 0110 00", V(0, 23)}, {"0000 0000 0101 11", V(0, 24)}, {"0000 0000 0101 10", V(0, 25)},       \
      {"0000 0000 0101 01", V(0, 26)}, {"0000 0000 0101 00", V(0, 27)}, {"0000 0000 0100 11", V(0, 28)},       \
      {"0000 0000 0100 10", V(0, 29)}, {"0000 0000 0100 01", V(0, 30)}, {"0000 0000 0100 00", V(0, 31)},       \
      {"0000 0000 0011 000", V(0, 32)}, {"0000 0000 0010 111", V(0, 33)}, {"0000 0000 0010 110", V(0, 34)},    \
      {"0000 0000 0010 101", V(0, 35)}, {"0000 0000 0010 100", V(0, 36)}, {"0000 0000 0010 011", V(0, 37)},    \
      {"0000 0000 0010 010", V(0, 38)}, {"0000 0000 0010 001", V(0, 39)}, {"0000 0000 0010 000", V(0, 40)},    \
      {"0000 0000 0011 111", V(1, 8)}, {"0000 0000 0011 110", V(1, 9)}, {"0000 0000 0011 101", V(1, 10)},      \
      {"0000 0000 0011 100", V(1, 11)}, {"0000 0000 0011 011", V(1, 12)}, {"0000 0000 0011 010", V(1, 13)},    \
      {"0000 0000 0011 001", V(1, 14)}, {"0000 0000 0001 0011", V(1, 15)}, {"0000 0000 0001 0010", V(1, 16)},  \
      {"0000 0000 0001 0001", V(1, 17)}, {"0000 0000 0001 0000", V(1, 18)}, {"0000 0000 0001 0100", V(6, 3)},  \
      {"0000 0000 0001 1010", V(11, 2)}, {"0000 0000 0001 1001", V(12, 2)}, {"0000 0000 0001 1000", V(13, 2)}, \
      {"0000 0000 0001 0111", V(14, 2)}, {"0000 0000 0001 0110", V(15, 2)}, {"0000 0000 0001 0101", V(16, 2)}, \
      {"0000 0000 0001 1111", V(27, 1)}, {"0000 0000 0001 1110", V(28, 1)}, {"0000 0000 0001 1101", V(29, 1)}, \
      {"0000 0000 0001 1100", V(30, 1)}, {"0000 0000 0001 1011", V(31, 1)}

constexpr MpegVlcCode kCoefficientsNext[] = {{"10", kCoefficientEndOfBlock}, {"11", V(0, 1)},
                                             REELPACK_COEFFICIENT_CODES};
constexpr MpegVlcCode kCoefficientsFirst[] = {{"1", V(0, 1)}, REELPACK_COEFFICIENT_CODES};
#undef REELPACK_COEFFICIENT_CODES

template <std::size_t N>
MpegVlcTable Make(const MpegVlcCode (&codes)[N]) {
  return MpegVlcTable(codes, static_cast<int>(N));
}

}  // namespace

const MpegVlcTable& addressIncrementTable() {
  static const MpegVlcTable table = Make(kAddressIncrement);
  return table;
}

const MpegVlcTable& macroblockTypeTable(int pictureType) {
  static const MpegVlcTable i = Make(kTypeI), p = Make(kTypeP), b = Make(kTypeB);
  return pictureType == 1 ? i : pictureType == 2 ? p : b;
}

const MpegVlcTable& codedBlockPatternTable() {
  static const MpegVlcTable table = Make(kCodedBlockPattern);
  return table;
}

const MpegVlcTable& motionCodeTable() {
  static const MpegVlcTable table = Make(kMotionCode);
  return table;
}

const MpegVlcTable& dcSizeLumaTable() {
  static const MpegVlcTable table = Make(kDcSizeLuma);
  return table;
}

const MpegVlcTable& dcSizeChromaTable() {
  static const MpegVlcTable table = Make(kDcSizeChroma);
  return table;
}

const MpegVlcTable& coefficientTable(bool first) {
  static const MpegVlcTable next = Make(kCoefficientsNext), firstTable = Make(kCoefficientsFirst);
  return first ? firstTable : next;
}

}  // namespace reelpack
