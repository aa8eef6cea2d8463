#include "engine/pictures/picture_decoder_idct.h"

#include <algorithm>

#include "engine/pictures/picture_idct_transform.h"

namespace {

struct ScalarArithmetic {
  using Value = std::int32_t;
  static Value Scale(Value x, std::int32_t constant) {
    return static_cast<Value>((static_cast<std::int64_t>(x) * constant) >> 16);
  }
};

// One pass over c[0..7]: sample i, shifted right by shift, goes to
// out[i x stride].
template <typename Products>
void TransformAndStore(const std::int32_t c[8], std::int16_t* out, int stride, int shift) {
  std::int32_t samples[8];
  Transform8<Products>(c, samples);
  for (int i = 0; i < 8; ++i) out[i * stride] = static_cast<std::int16_t>(samples[i] >> shift);
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
    TransformAndStore<Products>(in, cell, 8, 0);
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
    TransformAndStore<Products>(in, line, 1, 3);
  }
}

}  // namespace

void InverseDctStillPortable(std::int16_t block[64], const std::uint16_t quantiser[64]) {
  InverseDct<ExactProducts<ScalarArithmetic>>(block, quantiser);
}

void InverseDctMoviePortable(std::int16_t block[64]) { InverseDct<ShiftProducts<std::int32_t>>(block, nullptr); }

void InverseDctStill(std::int16_t block[64], const std::uint16_t quantiser[64]) {
#if defined(__SSE2__)
  InverseDctStillSse2(block, quantiser);
#else
  InverseDctStillPortable(block, quantiser);
#endif
}

void InverseDctMovie(std::int16_t block[64]) {
#if defined(__SSE2__)
  InverseDctMovieSse2(block);
#else
  InverseDctMoviePortable(block);
#endif
}
