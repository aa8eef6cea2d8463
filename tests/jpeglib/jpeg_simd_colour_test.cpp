// Colour conversion and down-sampling kernels of the SIMD classes: each
// table entry equals the plain converter, each vector kernel its portable
// form, over random MCUs at both stride signs and several alignments; spot
// values and the quadrant layout of the 2x2 kernels.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "jpeglib/jpeg_mcu_convert.h"
#include "jpeglib/simd/simd_kernels.h"

namespace {

using Kernel = void (*)(const std::uint8_t*, std::ptrdiff_t, std::int16_t*);

struct KernelPair {
  const char* name;
  Kernel reference;
  Kernel tested;
  int width;  // MCU size in pixels
  int height;
  int bytesPerPixel;
  int blocks;
};

// Portable forms behind the same MCU layout as the table entries.
void PortableRgb(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  simd_portable::convertRgbBlock444Mmx(p, s, b, b + 64, b + 128);
}
void PortableBgr(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  simd_portable::convertBgrBlock444Mmx(p, s, b, b + 64, b + 128);
}
void PortableRgb422(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  simd_portable::convertRgbBlock422Mmx(p, s, b, b + 128, b + 192);
}
void PortableBgr422(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  simd_portable::convertBgrBlock422Mmx(p, s, b, b + 128, b + 192);
}
void PortableRgbQuadrant(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  simd_portable::convertRgbQuadrant411Mmx(p, s, b, b + 64);
}
void PortableBgrQuadrant(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  simd_portable::convertBgrQuadrant411Mmx(p, s, b, b + 64);
}
void VectorRgbQuadrant(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  convertRgbQuadrant411Mmx(p, s, b, b + 64);
}
void VectorBgrQuadrant(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  convertBgrQuadrant411Mmx(p, s, b, b + 64);
}
void PortableRgba(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  simd_portable::convertRgbaBlock444Mmx(p, s, b, b + 64, b + 128);
}
void PortableRgba422(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  simd_portable::convertRgbaBlock422Mmx(p, s, b, b + 128, b + 192, b + 256);
}
void PortableRgbaHalf(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  simd_portable::convertRgbaHalf411Mmx(p, s, b, b + 128, b + 192, b + 256);
}
void VectorRgbaHalf(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  convertRgbaHalf411Mmx(p, s, b, b + 128, b + 192, b + 256);
}
void PortablePacked(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  simd_portable::splitPackedYcc422Mmx(p, s, b, b + 128, b + 192);
}

const KernelPair kEntriesAgainstPlain[] = {
    {"rgb 1x1", convertRgbBlock, convertRgbBlockSimd, 8, 8, 3, 3},
    {"bgr 1x1", convertBgrBlock, convertBgrBlockSimd, 8, 8, 3, 3},
    {"rgb 2x1", convertRgbBlock422, convertRgbBlock422Simd, 16, 8, 3, 4},
    {"bgr 2x1", convertBgrBlock422, convertBgrBlock422Simd, 16, 8, 3, 4},
    {"rgb 2x2", convertRgbBlock411, convertRgbBlock411Simd, 16, 16, 3, 6},
    {"bgr 2x2", convertBgrBlock411, convertBgrBlock411Simd, 16, 16, 3, 6},
    {"rgba 1x1", convertRgbaBlock, convertRgbaBlockSimd, 8, 8, 4, 4},
    {"rgba 2x1", convertRgbaBlock422, convertRgbaBlock422Simd, 16, 8, 4, 6},
    {"rgba 2x2", convertRgbaBlock411, convertRgbaBlock411Simd, 16, 16, 4, 10},
    {"packed mmx", unpackBlock422, unpackBlock422Mmx, 16, 8, 2, 4},
    {"packed sse", unpackBlock422, unpackBlock422Sse, 16, 8, 2, 4},
    {"grey", copyBlockGrey, levelShiftGreyBlockMmx, 8, 8, 1, 1},
};

const KernelPair kVectorAgainstPortable[] = {
    {"convertRgbBlock444Mmx", PortableRgb, convertRgbBlockSimd, 8, 8, 3, 3},
    {"convertBgrBlock444Mmx", PortableBgr, convertBgrBlockSimd, 8, 8, 3, 3},
    {"convertRgbBlock422Mmx", PortableRgb422, convertRgbBlock422Simd, 16, 8, 3, 4},
    {"convertBgrBlock422Mmx", PortableBgr422, convertBgrBlock422Simd, 16, 8, 3, 4},
    {"convertRgbQuadrant411Mmx", PortableRgbQuadrant, VectorRgbQuadrant, 8, 8, 3, 3},
    {"convertBgrQuadrant411Mmx", PortableBgrQuadrant, VectorBgrQuadrant, 8, 8, 3, 3},
    {"convertRgbaBlock444Mmx", PortableRgba, convertRgbaBlockSimd, 8, 8, 4, 4},
    {"convertRgbaBlock422Mmx", PortableRgba422, convertRgbaBlock422Simd, 16, 8, 4, 6},
    {"convertRgbaHalf411Mmx", PortableRgbaHalf, VectorRgbaHalf, 16, 8, 4, 6},
    {"splitPackedYcc422Mmx", PortablePacked, unpackBlock422Mmx, 16, 8, 2, 4},
    {"splitPackedYcc422Sse", PortablePacked, unpackBlock422Sse, 16, 8, 2, 4},
    {"levelShiftGreyBlockMmx", simd_portable::levelShiftGreyBlockMmx, levelShiftGreyBlockMmx, 8, 8, 1, 1},
};

// Random pixels, often at the extremes 0 and 255; each row padded by 5.
std::vector<std::uint8_t> RandomRows(std::mt19937& random, const KernelPair& pair, int offset, std::ptrdiff_t& rowBytes) {
  rowBytes = pair.width * pair.bytesPerPixel + 5;
  std::vector<std::uint8_t> pixels(offset + rowBytes * pair.height + 32);
  std::uniform_int_distribution<int> byte(0, 255), kind(0, 3);
  for (std::uint8_t& value : pixels) {
    const int k = kind(random);
    value = static_cast<std::uint8_t>(k == 0 ? 0 : k == 1 ? 255 : byte(random));
  }
  return pixels;
}

void ExpectSameSamples(const KernelPair& pair, unsigned seed) {
  std::mt19937 random(seed);
  for (int trial = 0; trial < 400; ++trial) {
    for (int offset : {0, 2, 8}) {
      std::ptrdiff_t rowBytes;
      // 16-byte aligned storage so the offsets are offsets from a boundary.
      const std::vector<std::uint8_t> random_rows = RandomRows(random, pair, offset, rowBytes);
      alignas(16) static std::uint8_t storage[16 * 80 + 64];
      std::memcpy(storage, random_rows.data(), std::min(random_rows.size(), sizeof storage));
      for (bool bottomUp : {false, true}) {
        const std::uint8_t* first = storage + offset + (bottomUp ? rowBytes * (pair.height - 1) : 0);
        const std::ptrdiff_t stride = bottomUp ? -rowBytes : rowBytes;
        std::vector<std::int16_t> expected(pair.blocks * 64, 0x5A5A), actual(pair.blocks * 64, 0x5A5A);
        pair.reference(first, stride, expected.data());
        pair.tested(first, stride, actual.data());
        ASSERT_EQ(actual, expected) << pair.name << " trial " << trial << " offset " << offset
                                    << (bottomUp ? " bottom-up" : "");
      }
    }
  }
}

TEST(SimdColour, TableEntriesEqualThePlainConverters) {
  for (const KernelPair& pair : kEntriesAgainstPlain) ExpectSameSamples(pair, 31);
}

TEST(SimdColour, VectorKernelsMatchTheirPortableForms) {
  for (const KernelPair& pair : kVectorAgainstPortable) ExpectSameSamples(pair, 32);
}

// A whole MCU of one pixel value.
std::vector<std::uint8_t> Uniform(int width, int height, std::initializer_list<std::uint8_t> pixel) {
  std::vector<std::uint8_t> pixels;
  for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), pixel);
  return pixels;
}

TEST(SimdColour, SpotValues) {
  struct Case {
    const char* name;
    Kernel kernel;
    int width, height, bytesPerPixel;
    std::initializer_list<std::uint8_t> pixel;
    int block;
    int expected;  // every sample of that block
  };
  const Case cases[] = {
      {"white Y", convertBgrBlockSimd, 8, 8, 3, {255, 255, 255}, 0, 127},
      {"white Cb", convertBgrBlockSimd, 8, 8, 3, {255, 255, 255}, 1, 0},
      {"white Cr", convertBgrBlockSimd, 8, 8, 3, {255, 255, 255}, 2, 0},
      {"black Y", convertRgbBlockSimd, 8, 8, 3, {0, 0, 0}, 0, -128},
      {"black Cb", convertRgbBlockSimd, 8, 8, 3, {0, 0, 0}, 1, 0},
      {"black Cr 2x1", convertRgbBlock422Simd, 16, 8, 3, {0, 0, 0}, 3, 0},
      {"blue 2x2 Cb", convertBgrBlock411Simd, 16, 16, 3, {255, 0, 0}, 4, 128},
      {"blue 2x2 Cr", convertBgrBlock411Simd, 16, 16, 3, {255, 0, 0}, 5, -21},
      {"alpha 255", convertRgbaBlockSimd, 8, 8, 4, {10, 200, 30, 255}, 3, 127},
      {"alpha 255 2x2", convertRgbaBlock411Simd, 16, 16, 4, {0, 0, 0, 255}, 9, 127},
      {"complemented white is black", convertRgbaBlockSimd, 8, 8, 4, {255, 255, 255, 0}, 0, -128},
      {"packed 0x80 Y", unpackBlock422Sse, 16, 8, 2, {0x80, 0x80}, 1, 0},
      {"packed 0x80 Cr", unpackBlock422Mmx, 16, 8, 2, {0x80, 0x80}, 3, 0},
      {"grey 0x80", levelShiftGreyBlockMmx, 8, 8, 1, {0x80}, 0, 0},
  };
  for (const Case& c : cases) {
    const std::vector<std::uint8_t> pixels = Uniform(c.width, c.height, c.pixel);
    std::vector<std::int16_t> blocks(10 * 64, 0x5A5A);
    c.kernel(pixels.data(), c.width * c.bytesPerPixel, blocks.data());
    for (int i = 0; i < 64; ++i) ASSERT_EQ(blocks[c.block * 64 + i], c.expected) << c.name << " sample " << i;
  }
}

TEST(SimdColour, QuadrantsFillTheirChromaCorners) {
  // A 16 x 16 BGR MCU with one colour per quadrant.
  const std::uint8_t colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {40, 90, 200}};
  std::vector<std::uint8_t> pixels(16 * 16 * 3);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) std::memcpy(&pixels[(y * 16 + x) * 3], colours[(y / 8) * 2 + x / 8], 3);
  }
  std::vector<std::int16_t> blocks(6 * 64, 0x5A5A);
  convertBgrBlock411Simd(pixels.data(), 48, blocks.data());
  const int corners[4] = {0, 4, 32, 36};
  for (int q = 0; q < 4; ++q) {
    const int b = colours[q][0], g = colours[q][1], r = colours[q][2];
    for (int i = 0; i < 64; ++i) ASSERT_EQ(blocks[q * 64 + i], jpegLuma(r, g, b)) << "luma block " << q;
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 4; ++x) {
        const int at = 4 * 64 + corners[q] + y * 8 + x;
        EXPECT_EQ(blocks[at], jpegCb(r, g, b)) << "quadrant " << q;
        EXPECT_EQ(blocks[at + 64], jpegCr(r, g, b)) << "quadrant " << q;
      }
    }
  }
}

}  // namespace
