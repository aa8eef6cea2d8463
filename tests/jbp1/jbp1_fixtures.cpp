#include "jbp1_fixtures.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "common/jbp1_format.h"

using reelpack::JbpPictureSource;
using reelpack::WriteJbpRecord;

namespace {

constexpr std::uint8_t kStandardLuma[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,  14, 13, 16, 24, 40,  57,
    69, 56, 14, 17, 22,  29,  51,  87,  80, 62, 18, 22, 37,  56,  68,  109, 103, 77, 24, 35, 55,  64,
    81, 104, 113, 92, 49, 64, 78,  87,  103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
constexpr std::uint8_t kStandardChroma[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

int Aligned(int size) { return (size + 15) & ~15; }

double Basis(int position, int frequency) {
  const double scale = frequency == 0 ? std::sqrt(0.5) : 1.0;
  return scale * std::cos((2 * position + 1) * frequency * std::numbers::pi / 16);
}

// plane is 8 x 8 samples, level-shifted; out is natural order.
void ForwardDct(const double plane[64], double out[64]) {
  for (int v = 0; v < 8; ++v) {
    for (int u = 0; u < 8; ++u) {
      double sum = 0;
      for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) sum += plane[8 * y + x] * Basis(x, u) * Basis(y, v);
      }
      out[8 * v + u] = sum / 4;
    }
  }
}

void InverseDct(const double coefficients[64], double out[64]) {
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      double sum = 0;
      for (int v = 0; v < 8; ++v) {
        for (int u = 0; u < 8; ++u) sum += coefficients[8 * v + u] * Basis(x, u) * Basis(y, v);
      }
      out[8 * y + x] = sum / 4;
    }
  }
}

double Unit(std::mt19937& random) { return random() / 4294967296.0; }

int Below(std::mt19937& random, int limit) { return static_cast<int>(random() % static_cast<std::uint32_t>(limit)); }

// Block b of macroblock (column, row): luma quadrant or chroma plane.
struct BlockPlace {
  int x0, y0, step;
  int plane;  // 0 luma, 1 Cb, 2 Cr
};

BlockPlace PlaceOf(int block, int column, int row) {
  if (block < 4) return {16 * column + 8 * (block & 1), 16 * row + 8 * (block >> 1), 1, 0};
  return {16 * column, 16 * row, 2, block - 3};
}

}  // namespace

JbpPictureSource QuantisedPicture::Source(int quality) const {
  return {width, height, quality, blocks.data(), luma, chroma};
}

TestPicture MakeFlatPicture(int width, int height, Rgb colour) {
  return {width, height, std::vector<Rgb>(static_cast<std::size_t>(width) * height, colour)};
}

TestPicture MakeScenePicture(int width, int height, std::uint32_t seed) {
  std::mt19937 random(seed);
  TestPicture picture{width, height, std::vector<Rgb>(static_cast<std::size_t>(width) * height)};
  const double cx = width * (0.3 + 0.4 * Unit(random));
  const double cy = height * (0.3 + 0.4 * Unit(random));
  const double radius = std::min(width, height) * 0.3;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Rgb& p = picture.pixels[static_cast<std::size_t>(y) * width + x];
      p = {255.0 * x / width, 255.0 * y / height, 128 + 100 * std::sin(x * 0.05 + y * 0.03)};
      if (std::hypot(x - cx, y - cy) < radius) p = {230, 40, 30};
      if (x > width / 2 && y < height / 3) p = {20, 200, 60};
      if ((x / 3 + y / 5) % 4 == 0 && y > 2 * height / 3) p = {240, 240, 240};
      const double grain = 24 * (Unit(random) - 0.5);
      p = {std::clamp(p.r + grain, 0.0, 255.0), std::clamp(p.g + grain, 0.0, 255.0),
           std::clamp(p.b + grain, 0.0, 255.0)};
    }
  }
  return picture;
}

void MakeQuantisers(int quality, std::uint8_t luma[64], std::uint8_t chroma[64]) {
  const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
  for (int i = 0; i < 64; ++i) {
    luma[i] = static_cast<std::uint8_t>(std::clamp((kStandardLuma[i] * scale + 50) / 100, 1, 255));
    chroma[i] = static_cast<std::uint8_t>(std::clamp((kStandardChroma[i] * scale + 50) / 100, 1, 255));
  }
}

QuantisedPicture QuantisePicture(const TestPicture& picture, int quality) {
  QuantisedPicture out;
  out.width = picture.width;
  out.height = picture.height;
  MakeQuantisers(quality, out.luma, out.chroma);
  const int width = Aligned(picture.width);
  const int height = Aligned(picture.height);
  // Level-shifted planes over the aligned size, edges repeated.
  std::vector<double> planes[3];
  for (auto& plane : planes) plane.resize(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Rgb& p = picture.pixels[static_cast<std::size_t>(std::min(y, picture.height - 1)) * picture.width +
                                    std::min(x, picture.width - 1)];
      const std::size_t i = static_cast<std::size_t>(y) * width + x;
      planes[0][i] = 0.299 * p.r + 0.587 * p.g + 0.114 * p.b - 128;
      planes[1][i] = -0.168736 * p.r - 0.331264 * p.g + 0.5 * p.b;
      planes[2][i] = 0.5 * p.r - 0.418688 * p.g - 0.081312 * p.b;
    }
  }
  for (int row = 0; row < height / 16; ++row) {
    for (int column = 0; column < width / 16; ++column) {
      for (int b = 0; b < kJbpBlocksPerMacroblock; ++b) {
        const BlockPlace place = PlaceOf(b, column, row);
        double samples[64];
        for (int y = 0; y < 8; ++y) {
          for (int x = 0; x < 8; ++x) {
            double sum = 0;
            for (int dy = 0; dy < place.step; ++dy) {
              for (int dx = 0; dx < place.step; ++dx) {
                sum += planes[place.plane][static_cast<std::size_t>(place.y0 + place.step * y + dy) * width +
                                           place.x0 + place.step * x + dx];
              }
            }
            samples[8 * y + x] = sum / (place.step * place.step);
          }
        }
        double coefficients[64];
        ForwardDct(samples, coefficients);
        const std::uint8_t* table = b < 4 ? out.luma : out.chroma;
        for (int i = 0; i < 64; ++i) {
          out.blocks.push_back(static_cast<std::int16_t>(std::lround(coefficients[i] / table[i])));
        }
      }
    }
  }
  return out;
}

QuantisedPicture MakeRandomBlocks(int width, int height, std::uint32_t seed) {
  std::mt19937 random(seed);
  QuantisedPicture out;
  out.width = width;
  out.height = height;
  MakeQuantisers(75, out.luma, out.chroma);
  const std::size_t blockCount =
      static_cast<std::size_t>(Aligned(width) / 16) * (Aligned(height) / 16) * kJbpBlocksPerMacroblock;
  out.blocks.assign(blockCount * 64, 0);
  int dc[3] = {};
  for (std::size_t b = 0; b < blockCount; ++b) {
    std::int16_t* block = out.blocks.data() + 64 * b;
    const int plane = b % 6 < 4 ? 0 : static_cast<int>(b % 6) - 3;
    dc[plane] = std::clamp(dc[plane] + Below(random, 41) - 20, -1000, 1000);
    block[0] = static_cast<std::int16_t>(dc[plane]);
    for (int k = 1; k < 64; ++k) {
      if (Unit(random) >= 0.85 * std::exp(-k / 7.0) + 0.01) continue;
      int magnitude = 1;
      const double spread = 40 * std::exp(-k / 9.0);
      while (magnitude < 2047 && Unit(random) < spread / (spread + 1)) magnitude += 1 + Below(random, 3);
      block[kZigzagToNatural[k]] = static_cast<std::int16_t>(random() & 1 ? magnitude : -magnitude);
    }
    switch (Below(random, 40)) {
      case 0:  // the last coefficient alone after a long run
        std::fill(block + 1, block + 64, 0);
        block[63] = static_cast<std::int16_t>(1 + Below(random, 5));
        break;
      case 1:  // the largest magnitudes the value coding carries
        block[kZigzagToNatural[1 + Below(random, 63)]] =
            static_cast<std::int16_t>((random() & 1 ? 1 : -1) * (16384 + Below(random, 16384)));
        break;
      case 2:  // noise over every coefficient
        for (int k = 1; k < 64; ++k) block[k] = static_cast<std::int16_t>(Below(random, 61) - 30);
        break;
      default:
        break;
    }
  }
  return out;
}

std::vector<Rgb> ReferenceDecode(const QuantisedPicture& picture) {
  const int width = Aligned(picture.width);
  const int height = Aligned(picture.height);
  std::vector<double> planes[3];
  for (auto& plane : planes) plane.resize(static_cast<std::size_t>(width) * height);
  std::size_t b = 0;
  for (int row = 0; row < height / 16; ++row) {
    for (int column = 0; column < width / 16; ++column) {
      for (int i = 0; i < kJbpBlocksPerMacroblock; ++i, ++b) {
        const BlockPlace place = PlaceOf(i, column, row);
        const std::uint8_t* table = i < 4 ? picture.luma : picture.chroma;
        double coefficients[64];
        for (int k = 0; k < 64; ++k) coefficients[k] = picture.blocks[64 * b + k] * static_cast<double>(table[k]);
        double samples[64];
        InverseDct(coefficients, samples);
        for (int y = 0; y < 8 * place.step; ++y) {
          for (int x = 0; x < 8 * place.step; ++x) {
            planes[place.plane][static_cast<std::size_t>(place.y0 + y) * width + place.x0 + x] =
                samples[8 * (y / place.step) + x / place.step];
          }
        }
      }
    }
  }
  std::vector<Rgb> pixels(planes[0].size());
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const double y = planes[0][i] + 128;
    const double cb = planes[1][i];
    const double cr = planes[2][i];
    pixels[i] = {std::clamp(y + 1.402 * cr, 0.0, 255.0), std::clamp(y - 0.344136 * cb - 0.714136 * cr, 0.0, 255.0),
                 std::clamp(y + 1.772 * cb, 0.0, 255.0)};
  }
  return pixels;
}

std::vector<std::uint8_t> WriteRecord(const QuantisedPicture& picture) {
  std::vector<std::uint8_t> record;
  WriteJbpRecord(picture.Source(), record);
  return record;
}

Rgb Expand565(std::uint16_t pixel) {
  const int r = pixel >> 11;
  const int g = (pixel >> 5) & 63;
  const int b = pixel & 31;
  return {double(r << 3 | r >> 2), double(g << 2 | g >> 4), double(b << 3 | b >> 2)};
}
