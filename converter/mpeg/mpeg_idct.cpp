#include "converter/mpeg/mpeg_idct.h"

#include <algorithm>
#include <array>

#include "converter/mpeg/mpeg_idct_tables.h"

namespace reelpack {
namespace {

// Distinct values of each row table: the even value (DC and the 4th
// basis), then the cos(2pi/16), cos(6pi/16), cos(pi/16), cos(3pi/16),
// cos(5pi/16) and cos(7pi/16) terms, scaled by the row's factor so that the
// column pass can work on tangents alone.
constexpr std::int32_t kRowValues[4][7] = {
    {16384, 21407, 8867, 22725, 19266, 12873, 4520},
    {22725, 29692, 12299, 31521, 26722, 17855, 6270},
    {21407, 27969, 11585, 29692, 25172, 16819, 5906},
    {19266, 25172, 10426, 26722, 22654, 15137, 5315},
};

constexpr IdctRowTable MakeRowTable(const std::int32_t* values) {
  // cos(n pi / 16) reduced to one of the listed values with its sign.
  constexpr int kValueOf[9] = {0, 3, 1, 4, 0, 5, 2, 6, -1};
  IdctRowTable table{};
  for (int u = 0; u < 8; ++u) {
    for (int x = 0; x < 8; ++x) {
      int n = ((2 * x + 1) * u) % 32;
      if (n > 16) n = 32 - n;
      int sign = 1;
      if (n > 8) {
        sign = -1;
        n = 16 - n;
      }
      table[u][x] = n == 8 ? 0 : sign * values[kValueOf[n]];
    }
  }
  return table;
}

constexpr std::array<IdctRowTable, 4> kRowTables = {MakeRowTable(kRowValues[0]), MakeRowTable(kRowValues[1]),
                                                    MakeRowTable(kRowValues[2]), MakeRowTable(kRowValues[3])};

inline std::int16_t Saturate16(std::int32_t v) {
  return static_cast<std::int16_t>(std::clamp<std::int32_t>(v, -32768, 32767));
}
inline std::int16_t Add(std::int16_t a, std::int16_t b) { return Saturate16(a + b); }
inline std::int16_t Sub(std::int16_t a, std::int16_t b) { return Saturate16(a - b); }
// Signed 16 x 16 multiply keeping the high half.
inline std::int16_t MulHigh(std::int16_t a, std::int16_t c) {
  return static_cast<std::int16_t>((static_cast<std::int32_t>(a) * c) >> 16);
}

void RowPass(std::int16_t* row, const IdctRowTable& table) {
  std::int32_t out[8];
  for (int x = 0; x < 8; ++x) {
    std::int32_t sum = 1024;
    for (int u = 0; u < 8; ++u) sum += row[u] * table[u][x];
    out[x] = sum >> 11;
  }
  for (int x = 0; x < 8; ++x) row[x] = Saturate16(out[x]);
}

// One column, elements 8 apart. The rounding constants sit in the even
// part: 32 on the sums that give outputs 0..3, 31 on the differences that
// give outputs 4..7, which keeps the rounding symmetric about zero.
void ColumnPass(std::int16_t* c) {
  const std::int16_t x0 = c[0], x1 = c[8], x2 = c[16], x3 = c[24];
  const std::int16_t x4 = c[32], x5 = c[40], x6 = c[48], x7 = c[56];

  const std::int16_t tp17 = Add(x1, MulHigh(x7, kIdctTan1));
  const std::int16_t tm17 = Sub(MulHigh(x1, kIdctTan1), x7);
  const std::int16_t tp35 = Add(x3, Add(x5, MulHigh(x5, kIdctTan3m1)));
  const std::int16_t tm35 = Sub(Add(x3, MulHigh(x3, kIdctTan3m1)), x5);
  const std::int16_t b0 = Add(tp17, tp35);
  const std::int16_t b3 = Sub(tm17, tm35);
  const std::int16_t t = Sub(tp17, tp35);
  const std::int16_t u = Add(tm17, tm35);
  const std::int16_t sum = Add(t, u);
  const std::int16_t diff = Sub(t, u);
  const std::int16_t b1 = Add(sum, MulHigh(sum, kIdctCos4m1));
  const std::int16_t b2 = Add(diff, MulHigh(diff, kIdctCos4m1));

  const std::int16_t tp26 = Add(x2, MulHigh(x6, kIdctTan2));
  const std::int16_t tm26 = Sub(MulHigh(x2, kIdctTan2), x6);
  const std::int16_t tp04 = Add(x0, x4);
  const std::int16_t tm04 = Sub(x0, x4);
  const std::int16_t a0 = Add(tp04, tp26);
  const std::int16_t a3 = Sub(tp04, tp26);
  const std::int16_t a1 = Add(tm04, tm26);
  const std::int16_t a2 = Sub(tm04, tm26);

  const std::int16_t up[4] = {Add(a0, 32), Add(a1, 32), Add(a2, 32), Add(a3, 32)};
  const std::int16_t down[4] = {Add(a0, 31), Add(a1, 31), Add(a2, 31), Add(a3, 31)};
  const std::int16_t odd[4] = {b0, b1, b2, b3};
  for (int i = 0; i < 4; ++i) {
    c[8 * i] = static_cast<std::int16_t>(Add(up[i], odd[i]) >> 6);
    c[8 * (7 - i)] = static_cast<std::int16_t>(Sub(down[i], odd[i]) >> 6);
  }
}

}  // namespace

const IdctRowTable& idctRowTable(int table) { return kRowTables[table]; }

void inverseDct(std::int16_t* block) {
  for (int r = 0; r < 8; ++r) RowPass(block + 8 * r, kRowTables[kIdctRowTableOf[r]]);
  for (int col = 0; col < 8; ++col) ColumnPass(block + col);
}

}  // namespace reelpack
