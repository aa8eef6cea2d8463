#include "engine/pictures/picture_decoder_idct.h"

#include <algorithm>

namespace {

// Products with the factorisation's constants, x 65,536 and truncated.
struct ExactProducts {
  static std::int32_t Scale(std::int32_t x, std::int32_t constant) {
    return static_cast<std::int32_t>((static_cast<std::int64_t>(x) * constant) >> 16);
  }
  static std::int32_t M0541(std::int32_t x) { return Scale(x, 35467); }
  static std::int32_t MMinus1847(std::int32_t x) { return Scale(x, -121094); }
  static std::int32_t M0765(std::int32_t x) { return Scale(x, 50159); }
  static std::int32_t M1175(std::int32_t x) { return Scale(x, 77062); }
  static std::int32_t MMinus0899(std::int32_t x) { return Scale(x, -58980); }
  static std::int32_t MMinus2562(std::int32_t x) { return Scale(x, -167963); }
  static std::int32_t MMinus1961(std::int32_t x) { return Scale(x, -128553); }
  static std::int32_t MMinus0390(std::int32_t x) { return Scale(x, -25570); }
  static std::int32_t M0298(std::int32_t x) { return Scale(x, 19571); }
  static std::int32_t M2053(std::int32_t x) { return Scale(x, 134553); }
  static std::int32_t M3072(std::int32_t x) { return Scale(x, 201373); }
  static std::int32_t M1501(std::int32_t x) { return Scale(x, 98390); }
};

// The same products as sums of arithmetic shifts, each truncating on its own.
struct ShiftProducts {
  static std::int32_t M0541(std::int32_t x) { return (x >> 1) + (x >> 5) + (x >> 7); }
  static std::int32_t MMinus1847(std::int32_t x) { return -(x + (x >> 1) + (x >> 2) + (x >> 4)); }
  static std::int32_t M0765(std::int32_t x) { return (x >> 1) + (x >> 2) + (x >> 7); }
  static std::int32_t M1175(std::int32_t x) { return x + (x >> 3) + (x >> 5); }
  static std::int32_t MMinus0899(std::int32_t x) { return -((x >> 1) + (x >> 2) + (x >> 3) + (x >> 6)); }
  static std::int32_t MMinus2562(std::int32_t x) { return -(2 * x + (x >> 1) + (x >> 5)); }
  static std::int32_t MMinus1961(std::int32_t x) { return -(2 * x - (x >> 5) - (x >> 7)); }
  static std::int32_t MMinus0390(std::int32_t x) { return -((x >> 2) + (x >> 3) + (x >> 7)); }
  static std::int32_t M0298(std::int32_t x) { return (x >> 2) + (x >> 5) + (x >> 6); }
  static std::int32_t M2053(std::int32_t x) { return 2 * x + (x >> 5) + (x >> 6); }
  static std::int32_t M3072(std::int32_t x) { return 3 * x + (x >> 4); }
  static std::int32_t M1501(std::int32_t x) { return x + (x >> 1); }
};

// One 8-point pass over c[0..7] (c[i] is frequency i): sample i, shifted
// right by shift, goes to out[i x stride].
template <typename Products>
[[gnu::always_inline]] inline void Transform8(const std::int32_t c[8], std::int16_t* out, int stride, int shift) {
  const std::int32_t z1 = Products::M0541(c[2] + c[6]);
  const std::int32_t t2 = z1 + Products::MMinus1847(c[6]);
  const std::int32_t t3 = z1 + Products::M0765(c[2]);
  const std::int32_t t10 = c[0] + c[4] + t3;
  const std::int32_t t13 = c[0] + c[4] - t3;
  const std::int32_t t11 = c[0] - c[4] + t2;
  const std::int32_t t12 = c[0] - c[4] - t2;

  const std::int32_t p0 = c[7];
  const std::int32_t p1 = c[5];
  const std::int32_t p2 = c[3];
  const std::int32_t p3 = c[1];
  const std::int32_t z5 = Products::M1175(p0 + p1 + p2 + p3);
  const std::int32_t o1 = Products::MMinus0899(p0 + p3);
  const std::int32_t o2 = Products::MMinus2562(p1 + p2);
  const std::int32_t o3 = Products::MMinus1961(p0 + p2) + z5;
  const std::int32_t o4 = Products::MMinus0390(p1 + p3) + z5;
  const std::int32_t q0 = Products::M0298(p0) + o1 + o3;
  const std::int32_t q1 = Products::M2053(p1) + o2 + o4;
  const std::int32_t q2 = Products::M3072(p2) + o2 + o3;
  const std::int32_t q3 = Products::M1501(p3) + o1 + o4;

  const auto store = [&](int i, std::int32_t sample) { out[i * stride] = static_cast<std::int16_t>(sample >> shift); };
  store(0, t10 + q3);
  store(7, t10 - q3);
  store(1, t11 + q2);
  store(6, t11 - q2);
  store(2, t12 + q1);
  store(5, t12 - q1);
  store(3, t13 + q0);
  store(4, t13 - q0);
}

// quantiser null: the block is dequantised already.
template <typename Products>
void InverseDct(std::int16_t block[64], const std::uint16_t* quantiser) {
  std::int32_t in[8];
  for (int column = 0; column < 8; ++column) {
    std::int16_t* cell = block + column;
    for (int row = 0; row < 8; ++row) {
      in[row] = cell[8 * row];
      if (quantiser != nullptr) in[row] *= quantiser[8 * row + column];
    }
    bool dcOnly = true;
    for (int row = 1; row < 8 && dcOnly; ++row) dcOnly = cell[8 * row] == 0;
    if (dcOnly) {
      for (int row = 0; row < 8; ++row) cell[8 * row] = static_cast<std::int16_t>(in[0]);
      continue;
    }
    Transform8<Products>(in, cell, 8, 0);
  }
  for (int row = 0; row < 8; ++row) {
    std::int16_t* line = block + 8 * row;
    bool dcOnly = true;
    for (int column = 1; column < 8 && dcOnly; ++column) dcOnly = line[column] == 0;
    // Every product of a zero is zero, so a row with only its first value set
    // comes out flat; skipping the transform there changes no result.
    if (dcOnly) {
      std::fill_n(line, 8, static_cast<std::int16_t>(line[0] >> 3));
      continue;
    }
    for (int column = 0; column < 8; ++column) in[column] = line[column];
    Transform8<Products>(in, line, 1, 3);
  }
}

}  // namespace

void InverseDctStill(std::int16_t block[64], const std::uint16_t quantiser[64]) {
  InverseDct<ExactProducts>(block, quantiser);
}

void InverseDctMovie(std::int16_t block[64]) { InverseDct<ShiftProducts>(block, nullptr); }
