// Frames to "JBP1" records: record layout, the coefficients the engine reads
// back against libjpeg-turbo's reading of the same JPEG, picture quality
// against libjpeg-turbo's decode, and the failure results.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/byte_order.h"
#include "common/jbp1_format.h"
#include "common/zigzag.h"
#include "converter/jbp1/frame_coder.h"
#include "converter/jbp1/frame_rate_control.h"
#include "converter/jbp1/frame_scaler.h"
#include "converter/jbp1/frame_turn.h"
#include "engine/pictures/picture_decoder.h"
#include "frame_test_support.h"

namespace {

using reelpack::CFrameCoder;
using reelpack::EncodeDibToJpeg;
using reelpack::FrameCodeStatus;

// A frame as the video pass stores it: scaled, then turned.
BmpImage StoredFrame(const BmpImage& source, int outWidth, int outHeight) {
  auto scaled = reelpack::ScaleFrame(source, outWidth, outHeight);
  auto turned = reelpack::RotateBmpImage(std::move(*scaled));
  return *turned;
}

std::vector<std::uint8_t> Record(const BmpImage& image, int quality) {
  CFrameCoder coder;
  std::vector<std::uint8_t> record;
  EXPECT_EQ(coder.BuildPictureRecord(image, quality, record), FrameCodeStatus::kCoded);
  return record;
}

std::vector<std::int16_t> EngineCoefficients(const std::vector<std::uint8_t>& record) {
  CPictureDecoder decoder;
  decoder.InitForMovie();
  decoder.SetInput(record.data(), record.size());
  std::vector<std::int16_t> blocks;
  if (decoder.ParseHeader() != 1) return {};
  decoder.Reset();
  if (decoder.DecodeCoefficients(blocks) != 1) return {};
  return blocks;
}

TEST(FrameCoder, RecordLayoutForEachSize) {
  struct Case {
    int width, height, macroblocks;
  };
  const Case cases[] = {{240, 320, 300}, {320, 240, 300}, {320, 224, 280}, {100, 100, 49},
                        {16, 16, 1},     {1, 1, 1},       {17, 33, 6}};
  for (const Case& c : cases) {
    const BmpImage image = MakeNoiseImage(c.width, c.height, 5);
    const std::vector<std::uint8_t> record = Record(image, 75);
    ASSERT_GE(record.size(), 0xECu) << c.width << "x" << c.height;
    EXPECT_EQ(std::string(record.begin(), record.begin() + 4), "JBP1");
    EXPECT_EQ(ReadLe32(record.data() + 0x04), 44u);
    EXPECT_EQ(ReadLe32(record.data() + 0x08), 0x08000001u);
    EXPECT_EQ(ReadLe32(record.data() + 0x0C), 75u);
    EXPECT_EQ(ReadLe16(record.data() + 0x10), c.width);
    EXPECT_EQ(ReadLe16(record.data() + 0x12), c.height);
    EXPECT_EQ(ReadLe32(record.data() + 0x14), 24u);
    EXPECT_EQ(ReadLe32(record.data() + 0x28), 0u);
    // The size is the record's: header, counts, tables and both streams.
    std::uint32_t counts[256];
    const std::size_t packed = UnpackAcCounts(record.data() + 0x6C, record.size() - 0x6C, counts);
    ASSERT_NE(packed, 0u);
    EXPECT_EQ(record.size(), 0xEC + RoundUpToWord(packed) + ReadLe32(record.data() + 0x1C) +
                                 ReadLe32(record.data() + 0x20));
    EXPECT_EQ(EngineCoefficients(record).size(), 64u * 6 * c.macroblocks) << c.width << "x" << c.height;
  }
}

TEST(FrameCoder, EngineReadsTheJpegsQuantisedCoefficients) {
  const FrameSize outputs[] = {{320, 240}, {320, 218}, {640, 480}};
  for (const char* source : kFrameSources) {
    for (const FrameSize& out : outputs) {
      const BmpImage image = StoredFrame(SourceFrame(source, 352, 288), out.width, out.height);
      for (const int quality : {95, 75, 30, 10}) {
        const std::string what = std::string(source) + " " + std::to_string(out.width) + " q" + std::to_string(quality);
        const std::vector<std::uint8_t> jpeg = LibraryJpeg(image, quality);
        const ReferenceBlocks reference = LibjpegCoefficients(jpeg);
        ASSERT_TRUE(reference.ok) << what;
        const std::vector<std::uint8_t> record = Record(image, quality);
        const std::vector<std::int16_t> blocks = EngineCoefficients(record);
        ASSERT_EQ(blocks.size(), reference.coefficients.size()) << what;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
          const int table = (i / 64) % 6 < 4 ? 0 : 1;
          ASSERT_EQ(blocks[i], reference.coefficients[i] / reference.quantTables[table][i % 64]) << what << " " << i;
        }
        // The record carries the JPEG's tables in natural order.
        const std::size_t tables = record.size() - ReadLe32(record.data() + 0x1C) - ReadLe32(record.data() + 0x20) - 128;
        for (int i = 0; i < 64; ++i) {
          ASSERT_EQ(record[tables + i], reference.quantTables[0][i]) << what;
          ASSERT_EQ(record[tables + 64 + i], reference.quantTables[1][i]) << what;
        }
      }
    }
  }
}

// The record decoded by the engine's movie path, as blue, green, red rows.
std::vector<std::uint8_t> EngineDecodeBgr(const std::vector<std::uint8_t>& record, int width, int height) {
  CPictureDecoder decoder;
  decoder.InitForMovie();
  decoder.SetInput(record.data(), record.size());
  EXPECT_EQ(decoder.ParseHeader(), 1);
  decoder.Reset();
  std::vector<std::uint16_t> raster(std::size_t{decoder.AlignedWidth()} * decoder.AlignedHeight());
  decoder.SetOutput(raster.data(), raster.size() * 2);
  EXPECT_EQ(decoder.DecodeMovieFrame(), 1);
  std::vector<std::uint8_t> bgr;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint16_t pixel = raster[static_cast<std::size_t>(y) * decoder.AlignedWidth() + x];
      const int red = pixel >> 11, green = (pixel >> 5) & 63, blue = pixel & 31;
      bgr.push_back(static_cast<std::uint8_t>(blue << 3 | blue >> 2));
      bgr.push_back(static_cast<std::uint8_t>(green << 2 | green >> 4));
      bgr.push_back(static_cast<std::uint8_t>(red << 3 | red >> 2));
    }
  }
  return bgr;
}

TEST(FrameCoder, RecordPictureMatchesTheJpegsQuality) {
  // Both pictures go through RGB565 before they are compared with the frame.
  constexpr double kMarginDb = 0.3;
  for (const char* source : kFrameSources) {
    const BmpImage image = StoredFrame(SourceFrame(source, 640, 480), 320, 240);
    const std::vector<std::uint8_t> frame = PackedBgr(image);
    for (const int quality : {95, 75, 40}) {
      const std::vector<std::uint8_t> record = Record(image, quality);
      const double ours = Psnr(frame, EngineDecodeBgr(record, 240, 320));
      const std::vector<std::uint8_t> jpeg = LibraryJpeg(image, quality);
      const double reference = Psnr(frame, ThroughRgb565(LibjpegDecodeBgr(jpeg, false)));
      const double fancy = Psnr(frame, ThroughRgb565(LibjpegDecodeBgr(jpeg, true)));
      std::printf("%-10s q%-3d record %.2f dB, libjpeg-turbo %.2f dB (smooth chroma %.2f dB)\n", source, quality,
                  ours, reference, fancy);
      EXPECT_GE(ours, reference - kMarginDb) << source << " q" << quality;
    }
  }
}

TEST(FrameCoder, RecordIsFarSmallerThanItsBuffer) {
  const BmpImage image = StoredFrame(SourceFrame("testsrc2", 640, 480), 320, 240);
  const std::vector<std::uint8_t> record = Record(image, 75);
  const std::vector<std::uint8_t> jpeg = LibraryJpeg(image, 75);
  EXPECT_LT(record.size(), 4u * 320 * 240 + 44);
  EXPECT_NE(record.size(), jpeg.size());
}

TEST(FrameCoder, RefusesUnsoundImagesAndQualities) {
  BmpImage grey = MakeNoiseImage(16, 16, 1);
  WriteLe16(grey.data() + 28, 8);
  BmpImage upsideDown = MakeNoiseImage(16, 16, 1);
  WriteLe32(upsideDown.data() + 22, static_cast<std::uint32_t>(-16));
  const BmpImage good = MakeNoiseImage(16, 16, 1);
  const struct {
    const char* name;
    BmpImage image;
    int quality;
  } cases[] = {
      {"8 bits", grey, 75}, {"negative height", upsideDown, 75}, {"no image", {}, 75},
      {"quality 0", good, 0}, {"quality 101", good, 101},
  };
  for (const auto& c : cases) {
    std::vector<std::uint8_t> jpeg = {1};
    EXPECT_FALSE(EncodeDibToJpeg(c.image, c.quality, jpeg)) << c.name;
    EXPECT_TRUE(jpeg.empty()) << c.name;
    CFrameCoder coder;
    std::vector<std::uint8_t> record = {1, 2, 3};
    EXPECT_EQ(coder.BuildPictureRecord(c.image, c.quality, record), FrameCodeStatus::kFailed) << c.name;
    EXPECT_TRUE(record.empty()) << c.name;
  }
}

TEST(FrameCoder, JpegOverItsBufferIsReportedNotRead) {
  // A one-pixel strip of noise: every 16 x 16 block of the JPEG repeats the
  // pixel, so the JPEG passes three bytes a pixel; the library refuses it
  // and the coder says so instead of reading a missing JPEG.
  const BmpImage strip = MakeNoiseImage(1, 4000, 3, true);
  std::vector<std::uint8_t> jpeg = {1};
  EXPECT_FALSE(EncodeDibToJpeg(strip, 75, jpeg));
  EXPECT_TRUE(jpeg.empty());
  CFrameCoder coder;
  std::vector<std::uint8_t> record = {1};
  EXPECT_EQ(coder.BuildPictureRecord(strip, 75, record), FrameCodeStatus::kNoJpeg);
  EXPECT_TRUE(record.empty());
  // The rate control takes that as a frame over its limit.
  const auto fitted = reelpack::FitFrameToBitrate(coder, strip, {75, 70, 1.0});
  ASSERT_TRUE(fitted);
  EXPECT_LT(fitted->quality, 50);
}

TEST(FrameCoder, OneCoderCodesFramesOfChangingSizes) {
  CFrameCoder coder;
  std::vector<std::uint8_t> record;
  for (const FrameSize& size : kFrameSizes) {
    const BmpImage& frame = SourceFrame("mandelbrot", size.width, size.height);
    ASSERT_EQ(coder.BuildPictureRecord(frame, 60, record), FrameCodeStatus::kCoded);
    CFrameCoder fresh;
    std::vector<std::uint8_t> again;
    ASSERT_EQ(fresh.BuildPictureRecord(frame, 60, again), FrameCodeStatus::kCoded);
    EXPECT_EQ(record, again) << size.width << "x" << size.height;
  }
}

TEST(FrameCoder, TakenPictureGivesTheRecordsOfItsJpegReadBack) {
  // A picture taken once and coded at falling qualities, as the rate control
  // codes a frame, gives at each quality the result and bytes of the JPEG
  // the library writes, read back: natural frames, noise, odd sizes, and
  // strips whose JPEG may or may not fit its buffer.
  std::vector<std::pair<std::string, BmpImage>> pictures;
  for (const char* source : kFrameSources) {
    pictures.emplace_back(source, StoredFrame(SourceFrame(source, 640, 480), 320, 240));
  }
  pictures.emplace_back("testsrc2 480x640", StoredFrame(SourceFrame("testsrc2", 640, 480), 640, 480));
  pictures.emplace_back("smptebars 224x320", StoredFrame(SourceFrame("smptebars", 640, 448), 320, 224));
  pictures.emplace_back("extreme noise", MakeNoiseImage(64, 48, 8, true));
  pictures.emplace_back("odd", MakeNoiseImage(17, 33, 2));
  pictures.emplace_back("pixel", MakeNoiseImage(1, 1, 6));
  pictures.emplace_back("strip", MakeNoiseImage(1, 4000, 3, true));
  pictures.emplace_back("wide strip", MakeNoiseImage(2, 900, 4, true));
  pictures.emplace_back("noise strip", MakeNoiseImage(3, 500, 5));
  const int qualities[] = {100, 99, 95, 90, 76, 75, 51, 50, 49, 25, 10, 9, 5, 2, 1};
  CFrameCoder taken;
  CFrameCoder throughJpeg;
  std::vector<std::uint8_t> record;
  std::vector<std::uint8_t> expected;
  int kinds[3] = {};
  for (const auto& [name, picture] : pictures) {
    ASSERT_EQ(taken.TakePicture(picture), FrameCodeStatus::kCoded) << name;
    for (const int quality : qualities) {
      const FrameCodeStatus status = taken.CodeTakenPicture(quality, record);
      EXPECT_EQ(status, throughJpeg.BuildPictureRecordFromJpeg(picture, quality, expected))
          << name << " quality " << quality;
      EXPECT_EQ(record, expected) << name << " quality " << quality;
      ++kinds[static_cast<int>(status)];
    }
  }
  // Both outcomes are met.
  EXPECT_GT(kinds[static_cast<int>(FrameCodeStatus::kCoded)], 0);
  EXPECT_GT(kinds[static_cast<int>(FrameCodeStatus::kNoJpeg)], 0);
}

TEST(FrameCoder, NothingTakenCodesNothing) {
  CFrameCoder coder;
  std::vector<std::uint8_t> record = {1};
  EXPECT_EQ(coder.CodeTakenPicture(75, record), FrameCodeStatus::kFailed);
  EXPECT_TRUE(record.empty());
  const BmpImage broken = MakeNoiseImage(8, 8, 1);
  EXPECT_EQ(coder.TakePicture(std::span(broken).first(20)), FrameCodeStatus::kFailed);
  EXPECT_EQ(coder.CodeTakenPicture(75, record), FrameCodeStatus::kFailed);
  ASSERT_EQ(coder.TakePicture(broken), FrameCodeStatus::kCoded);
  EXPECT_EQ(coder.CodeTakenPicture(0, record), FrameCodeStatus::kFailed);
  EXPECT_EQ(coder.CodeTakenPicture(101, record), FrameCodeStatus::kFailed);
  EXPECT_EQ(coder.CodeTakenPicture(75, record), FrameCodeStatus::kCoded);
}

}  // namespace
