#include "picture_fixtures.h"

#include <algorithm>
#include <cstring>
#include <random>

#include "converter/jbp1/jbp1_record_writer.h"
#include "engine/pictures/picture_decoder.h"
#include "engine/pictures/picture_thumbnail.h"
#include "engine/runtime/runtime_globals.h"
#include "host/memory/memory_api.h"

using reelpack::JbpPictureSource;
using reelpack::WriteJbpRecord;

void PictureTest::SetUp() {
  SetDesignWidth(800);
  SetDesignHeight(600);
  SetScreenSize(640, 480);
}

void SetScreenSize(std::int32_t width, std::int32_t height) {
  SetScreenWidth(width);
  SetScreenHeight(height);
}

SourcePicture MakeGradientPicture(std::uint32_t width, std::uint32_t height) {
  SourcePicture picture;
  picture.width = width;
  picture.height = height;
  picture.rgba.resize(std::size_t{width} * height * 4);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      std::uint8_t* p = &picture.rgba[(std::size_t{y} * width + x) * 4];
      p[0] = static_cast<std::uint8_t>(x * 8 + y);
      p[1] = static_cast<std::uint8_t>(x * 4 + y * 16);
      p[2] = static_cast<std::uint8_t>(255 - x * 8);
      p[3] = static_cast<std::uint8_t>((x + y * width) * 7);
    }
  }
  return picture;
}

std::vector<std::uint8_t> MakeJbpRecord(int width, int height, std::uint32_t seed) {
  const int macroblocks = ((width + 15) / 16) * ((height + 15) / 16);
  std::vector<std::int16_t> blocks(static_cast<std::size_t>(macroblocks) * 6 * 64, 0);
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> dc(-60, 60), ac(-6, 6), position(1, 20);
  for (std::size_t b = 0; b < blocks.size() / 64; ++b) {
    blocks[64 * b] = static_cast<std::int16_t>(dc(random));
    for (int k = 0; k < 3; ++k) blocks[64 * b + position(random)] = static_cast<std::int16_t>(ac(random));
  }
  std::uint8_t luma[64], chroma[64];
  for (int i = 0; i < 64; ++i) {
    luma[i] = static_cast<std::uint8_t>(8 + i / 4);
    chroma[i] = static_cast<std::uint8_t>(10 + i / 4);
  }
  const JbpPictureSource source{width, height, 80, blocks.data(), luma, chroma};
  std::vector<std::uint8_t> record;
  EXPECT_TRUE(WriteJbpRecord(source, record));
  return record;
}

std::vector<std::uint16_t> DecodeAligned(const std::vector<std::uint8_t>& record, std::uint32_t& alignedWidth) {
  auto decoder = std::make_unique<CPictureDecoder>();
  decoder->InitForImage();
  decoder->SetInput(record.data(), record.size());
  EXPECT_EQ(decoder->ParseHeader(), 1);
  decoder->Reset();
  alignedWidth = decoder->AlignedWidth();
  std::vector<std::uint16_t> raster(std::size_t{alignedWidth} * decoder->AlignedHeight());
  decoder->SetOutput(raster.data(), raster.size() * 2);
  EXPECT_EQ(decoder->DecodeImage(), 1);
  return raster;
}

std::vector<std::uint8_t> ThumbnailBytes(const std::vector<std::uint16_t>& source, std::uint32_t srcW,
                                         std::uint32_t srcH, std::uint32_t dstW, std::uint32_t dstH) {
  std::uint32_t size = 0;
  std::uint8_t* bitmap = BuildThumbnailBitmap(source.data(), srcW, srcH, dstW, dstH, &size);
  if (bitmap == nullptr) return {};
  std::vector<std::uint8_t> bytes(bitmap, bitmap + size);
  LocalFree(bitmap);
  return bytes;
}

std::vector<std::uint8_t> MakeSaveFile(const std::string& text, const std::vector<std::uint8_t>& bitmap) {
  std::vector<std::uint8_t> file(kSaveHeaderBytes + bitmap.size(), 0);
  std::memcpy(file.data(), "STA1", 4);
  file[4] = kSaveHeaderBytes & 0xFF;
  file[5] = kSaveHeaderBytes >> 8;
  std::memcpy(file.data() + 8, "2024-05-06 07:08:09", 19);
  std::memcpy(file.data() + 104, text.data(), std::min<std::size_t>(text.size(), 256));
  std::copy(bitmap.begin(), bitmap.end(), file.begin() + kSaveHeaderBytes);
  return file;
}
