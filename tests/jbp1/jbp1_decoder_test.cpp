// The engine's decoder against the converter's writer and a floating-point
// reference: coefficients, inverse DCTs, colours and raster geometry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>
#include <cstring>
#include <vector>

#include "common/jbp1_format.h"
#include "engine/pictures/picture_decoder.h"
#include "engine/pictures/picture_decoder_idct.h"
#include "host/memory/memory_api.h"
#include "jbp1_fixtures.h"

namespace {

enum class Path { Still, Movie };

// Decodes a record into a raster of exactly the aligned size.
bool Decode(const std::vector<std::uint8_t>& record, Path path, std::vector<std::uint16_t>& raster,
            CPictureDecoder& decoder) {
  if (path == Path::Still) {
    decoder.InitForImage();
  } else {
    decoder.InitForMovie();
  }
  decoder.SetInput(record.data(), record.size());
  if (decoder.ParseHeader() != 1) return false;
  decoder.Reset();
  raster.assign(std::size_t{decoder.AlignedWidth()} * decoder.AlignedHeight(), 0);
  decoder.SetOutput(raster.data(), raster.size() * 2);
  return (path == Path::Still ? decoder.DecodeImage() : decoder.DecodeMovieFrame()) == 1;
}

struct ErrorStats {
  double mean = 0;  // mean absolute error of the 5/6/5-bit channel levels
  int worst = 0;
};

// Compares each channel level of the raster with the reference truncated the
// same way (8-bit value, top 5 or 6 bits).
ErrorStats CompareWithReference(const std::vector<std::uint16_t>& raster, const std::vector<Rgb>& reference) {
  ErrorStats stats;
  double total = 0;
  for (std::size_t i = 0; i < raster.size(); ++i) {
    const int levels[3][2] = {{raster[i] >> 11, static_cast<int>(reference[i].r) >> 3},
                              {(raster[i] >> 5) & 63, static_cast<int>(reference[i].g) >> 2},
                              {raster[i] & 31, static_cast<int>(reference[i].b) >> 3}};
    for (const auto& level : levels) {
      const int error = std::abs(level[0] - level[1]);
      total += error;
      stats.worst = std::max(stats.worst, error);
    }
  }
  stats.mean = total / (3.0 * raster.size());
  return stats;
}

TEST(Jbp1RoundTrip, CoefficientsComeBackUnchanged) {
  struct Case {
    int width, height;
    std::uint32_t seed;
  };
  for (const Case c : {Case{16, 16, 1}, Case{100, 60, 2}, Case{640, 480, 3}, Case{8, 200, 4}, Case{4096, 16, 5}}) {
    const QuantisedPicture picture = MakeRandomBlocks(c.width, c.height, c.seed);
    const std::vector<std::uint8_t> record = WriteRecord(picture);
    ASSERT_FALSE(record.empty());
    CPictureDecoder decoder;
    decoder.InitForImage();
    decoder.SetInput(record.data(), record.size());
    ASSERT_EQ(decoder.ParseHeader(), 1);
    std::vector<std::int16_t> blocks;
    ASSERT_EQ(decoder.DecodeCoefficients(blocks), 1) << c.width << "x" << c.height;
    EXPECT_EQ(blocks, picture.blocks) << c.width << "x" << c.height;
  }
}

TEST(Jbp1RoundTrip, RecordLayoutIsAsWritten) {
  const QuantisedPicture picture = QuantisePicture(MakeScenePicture(100, 60, 7), 75);
  const std::vector<std::uint8_t> record = WriteRecord(picture);
  ASSERT_GE(record.size(), 0xECu);
  EXPECT_EQ(std::memcmp(record.data(), "JBP1", 4), 0);
  EXPECT_EQ(ReadLe32(&record[0x04]), 44u);
  EXPECT_EQ(ReadLe32(&record[0x08]), 0x08000001u);
  EXPECT_EQ(ReadLe32(&record[0x0C]), 75u);
  EXPECT_EQ(ReadLe32(&record[0x10]), 100u | 60u << 16);
  EXPECT_EQ(ReadLe32(&record[0x14]), 24u);
  EXPECT_EQ(ReadLe32(&record[0x18]), 0u);
  EXPECT_EQ(ReadLe32(&record[0x24]), 0u);
  EXPECT_EQ(ReadLe32(&record[0x28]), 0u);
  const std::uint32_t dcBytes = ReadLe32(&record[0x1C]);
  const std::uint32_t acBytes = ReadLe32(&record[0x20]);
  EXPECT_EQ(dcBytes % 4, 0u);
  EXPECT_EQ(acBytes % 4, 0u);
  std::uint32_t dcTotal = 0;
  for (int c = 0; c < 16; ++c) dcTotal += ReadLe32(&record[0x2C + 4 * c]);
  EXPECT_EQ(dcTotal, 7u * 4 * 6) << "one DC difference per block";
  std::uint32_t acCounts[256];
  const std::size_t packed = UnpackAcCounts(&record[0x6C], record.size() - 0x6C, acCounts);
  ASSERT_GT(packed, 0u);
  const std::size_t quantisers = 0x6C + RoundUpToWord(packed);
  EXPECT_EQ(std::memcmp(&record[quantisers], picture.luma, 64), 0);
  EXPECT_EQ(std::memcmp(&record[quantisers + 64], picture.chroma, 64), 0);
  EXPECT_EQ(record.size(), quantisers + 128 + dcBytes + acBytes);
  for (std::size_t i = 0x6C + packed; i < quantisers; ++i) EXPECT_EQ(record[i], 0) << "padding is zero";
}

TEST(Jbp1InverseDct, DcOnlyBlockGivesEqualSamplesOnBothPaths) {
  std::uint16_t quantiser[64];
  for (int i = 0; i < 64; ++i) quantiser[i] = static_cast<std::uint16_t>(3 + i);
  for (const int dc : {-1024, -77, 0, 5, 1016}) {
    std::int16_t still[64] = {static_cast<std::int16_t>(dc)};
    InverseDctStill(still, quantiser);
    std::int16_t movie[64] = {static_cast<std::int16_t>(dc * 3)};
    InverseDctMovie(movie);
    for (int i = 0; i < 64; ++i) {
      EXPECT_EQ(still[i], still[0]) << dc;
      EXPECT_EQ(movie[i], movie[0]) << dc;
    }
    EXPECT_EQ(still[0], (dc * 3) >> 3) << dc;
    EXPECT_EQ(movie[0], (dc * 3) >> 3) << dc;
  }
}

// Both transforms against the floating-point one over the luma blocks of a
// coded scene (the movie path's shift-add constants are up to 2 % off).
TEST(Jbp1InverseDct, BlocksMatchTheFloatingPointTransform) {
  const QuantisedPicture picture = QuantisePicture(MakeScenePicture(128, 96, 31), 90);
  double stillWorst = 0;
  double movieWorst = 0;
  double stillTotal = 0;
  double movieTotal = 0;
  int samples = 0;
  for (std::size_t b = 0; b < picture.blocks.size() / 64; b += 6) {
    QuantisedPicture one;
    one.width = one.height = 16;
    one.blocks.assign(6 * 64, 0);
    std::memcpy(one.blocks.data(), &picture.blocks[64 * b], 64 * sizeof(std::int16_t));
    std::uint16_t quantiser[64];
    std::int16_t still[64];
    std::int16_t movie[64];
    for (int i = 0; i < 64; ++i) {
      one.luma[i] = one.chroma[i] = picture.luma[i];
      quantiser[i] = picture.luma[i];
      still[i] = one.blocks[i];
      movie[i] = static_cast<std::int16_t>(one.blocks[i] * quantiser[i]);
    }
    const std::vector<Rgb> reference = ReferenceDecode(one);  // neutral chroma: red is the luma sample
    InverseDctStill(still, quantiser);
    InverseDctMovie(movie);
    for (int i = 0; i < 64; ++i) {
      const double expected = reference[16 * (i / 8) + i % 8].r - 128;
      if (std::abs(expected) >= 127) continue;  // clamped in the reference
      stillWorst = std::max(stillWorst, std::abs(still[i] - expected));
      movieWorst = std::max(movieWorst, std::abs(movie[i] - expected));
      stillTotal += std::abs(still[i] - expected);
      movieTotal += std::abs(movie[i] - expected);
      ++samples;
    }
  }
  ASSERT_GT(samples, 1000);
  EXPECT_LE(stillWorst, 5.0);
  EXPECT_LE(stillTotal / samples, 1.0);
  EXPECT_LE(movieWorst, 7.0);
  EXPECT_LE(movieTotal / samples, 1.25);
}

// Channel levels (5, 6 and 5 bits) against the reference truncated alike:
// within 2 levels (3 on the movie path) and a quarter level on average.
TEST(Jbp1Picture, DecodesCloseToTheFloatingPointReference) {
  struct Case {
    int width, height;
  };
  for (const Case c : {Case{16, 16}, Case{100, 60}, Case{640, 480}}) {
    const QuantisedPicture picture = QuantisePicture(MakeScenePicture(c.width, c.height, 21), 75);
    const std::vector<std::uint8_t> record = WriteRecord(picture);
    const std::vector<Rgb> reference = ReferenceDecode(picture);
    for (const Path path : {Path::Still, Path::Movie}) {
      CPictureDecoder decoder;
      std::vector<std::uint16_t> raster;
      ASSERT_TRUE(Decode(record, path, raster, decoder));
      const ErrorStats stats = CompareWithReference(raster, reference);
      const char* name = path == Path::Still ? "still" : "movie";
      EXPECT_LE(stats.worst, path == Path::Still ? 2 : 3) << c.width << "x" << c.height << " " << name;
      EXPECT_LE(stats.mean, path == Path::Still ? 0.25 : 0.3) << c.width << "x" << c.height << " " << name;
    }
  }
}

TEST(Jbp1Picture, FlatColoursComeBackRight) {
  struct Case {
    const char* name;
    Rgb colour;
  };
  const Case cases[] = {{"red", {255, 0, 0}},     {"green", {0, 255, 0}},   {"blue", {0, 0, 255}},
                        {"grey", {128, 128, 128}}, {"skin", {234, 192, 160}}, {"black", {0, 0, 0}},
                        {"white", {255, 255, 255}}};
  for (const Case& c : cases) {
    const std::vector<std::uint8_t> record = WriteRecord(QuantisePicture(MakeFlatPicture(48, 32, c.colour), 85));
    for (const Path path : {Path::Still, Path::Movie}) {
      CPictureDecoder decoder;
      std::vector<std::uint16_t> raster;
      ASSERT_TRUE(Decode(record, path, raster, decoder)) << c.name;
      for (const std::uint16_t pixel : raster) {
        const Rgb decoded = Expand565(pixel);
        ASSERT_NEAR(decoded.r, c.colour.r, 8) << c.name;
        ASSERT_NEAR(decoded.g, c.colour.g, 4) << c.name;
        ASSERT_NEAR(decoded.b, c.colour.b, 8) << c.name;
      }
    }
  }
}

TEST(Jbp1Picture, NeutralChromaGivesGrey) {
  QuantisedPicture picture = MakeRandomBlocks(32, 32, 41);
  for (std::size_t b = 0; b < picture.blocks.size() / 64; ++b) {
    if (b % 6 >= 4) std::fill_n(&picture.blocks[64 * b], 64, 0);
    for (int i = 1; i < 64; ++i) picture.blocks[64 * b + i] /= 16;
  }
  for (const Path path : {Path::Still, Path::Movie}) {
    CPictureDecoder decoder;
    std::vector<std::uint16_t> raster;
    ASSERT_TRUE(Decode(WriteRecord(picture), path, raster, decoder));
    for (const std::uint16_t pixel : raster) {
      const Rgb decoded = Expand565(pixel);
      ASSERT_NEAR(decoded.r, decoded.g, 4);
      ASSERT_NEAR(decoded.b, decoded.g, 4);
    }
  }
}

TEST(Jbp1Picture, UnalignedPictureDecodesAtTheAlignedSize) {
  const std::vector<std::uint8_t> record = WriteRecord(QuantisePicture(MakeScenePicture(100, 60, 51), 75));
  CPictureDecoder decoder;
  decoder.InitForImage();
  decoder.SetInput(record.data(), record.size());
  ASSERT_EQ(decoder.ParseHeader(), 1);
  EXPECT_EQ(decoder.Width(), 100u);
  EXPECT_EQ(decoder.Height(), 60u);
  EXPECT_EQ(decoder.AlignedWidth(), 112u);
  EXPECT_EQ(decoder.AlignedHeight(), 64u);
  EXPECT_FALSE(decoder.IsAligned());
  EXPECT_EQ(decoder.OutputStride(), 112u * 3) << "24 bits per pixel until decoded";
  EXPECT_EQ(decoder.Quality(), 75u);
  decoder.Reset();
  EXPECT_TRUE(decoder.IsReady());

  // No output given: the decoder allocates one, which the caller frees.
  ASSERT_EQ(decoder.DecodeImage(), 1);
  ASSERT_NE(decoder.Output(), nullptr);
  EXPECT_EQ(decoder.OutputStride(), 224u);
  EXPECT_EQ(decoder.OutputSize(), 112u * 64 * 2);
  EXPECT_EQ(decoder.BitsPerPixel(), 16u);
  LocalFree(decoder.Output());
}

TEST(Jbp1Picture, OutputTooSmallIsRefusedUntouched) {
  const std::vector<std::uint8_t> record = WriteRecord(QuantisePicture(MakeScenePicture(100, 60, 61), 75));
  for (const Path path : {Path::Still, Path::Movie}) {
    CPictureDecoder decoder;
    if (path == Path::Still) {
      decoder.InitForImage();
    } else {
      decoder.InitForMovie();
    }
    decoder.SetInput(record.data(), record.size());
    ASSERT_EQ(decoder.ParseHeader(), 1);
    std::vector<std::uint16_t> raster(112 * 64 + 8, 0x1234);
    decoder.SetOutput(raster.data(), 112 * 64 * 2 - 2);
    EXPECT_EQ(path == Path::Still ? decoder.DecodeImage() : decoder.DecodeMovieFrame(), 0);
    for (const std::uint16_t pixel : raster) ASSERT_EQ(pixel, 0x1234);
  }
}

TEST(Jbp1Picture, MovieFramesAreLimitedTo1200Macroblocks) {
  for (const auto& [width, height, fits] : {std::tuple{640, 480, true}, std::tuple{480, 640, true},
                                            std::tuple{656, 480, false}, std::tuple{320, 976, false}}) {
    const std::vector<std::uint8_t> record = WriteRecord(MakeRandomBlocks(width, height, 71));
    CPictureDecoder movie;
    std::vector<std::uint16_t> raster;
    EXPECT_EQ(Decode(record, Path::Movie, raster, movie), fits) << width << "x" << height;
    CPictureDecoder still;
    EXPECT_TRUE(Decode(record, Path::Still, raster, still)) << width << "x" << height;
  }
}

// A movie frame without quantisation tables reuses the previous frame's; a
// decoder that never saw tables refuses it.
TEST(Jbp1Picture, MovieFrameWithoutTablesKeepsThePreviousOnes) {
  const std::vector<std::uint8_t> record = WriteRecord(QuantisePicture(MakeScenePicture(64, 48, 81), 60));
  std::uint32_t counts[256];
  const std::size_t quantisers = 0x6C + RoundUpToWord(UnpackAcCounts(&record[0x6C], record.size() - 0x6C, counts));
  std::vector<std::uint8_t> bare = record;
  bare.erase(bare.begin() + static_cast<std::ptrdiff_t>(quantisers),
             bare.begin() + static_cast<std::ptrdiff_t>(quantisers + 128));
  WriteLe32(&bare[0x08], 1);

  CPictureDecoder decoder;
  std::vector<std::uint16_t> first;
  ASSERT_TRUE(Decode(record, Path::Movie, first, decoder));
  std::vector<std::uint16_t> second(first.size(), 0);
  decoder.SetInput(bare.data(), bare.size());
  ASSERT_EQ(decoder.ParseHeader(), 1);
  decoder.SetOutput(second.data(), second.size() * 2);
  ASSERT_EQ(decoder.DecodeMovieFrame(), 1);
  EXPECT_EQ(second, first);

  CPictureDecoder fresh;
  EXPECT_FALSE(Decode(bare, Path::Movie, second, fresh));
  EXPECT_FALSE(Decode(bare, Path::Still, second, fresh));
}

std::uint64_t Fnv1a(const void* data, std::size_t bytes) {
  std::uint64_t hash = 0xCBF29CE484222325ull;
  for (std::size_t i = 0; i < bytes; ++i) hash = (hash ^ static_cast<const std::uint8_t*>(data)[i]) * 0x100000001B3ull;
  return hash;
}

// Regression guard: the record and both rasters of one fixed picture.
TEST(Jbp1Picture, GoldenChecksums) {
  const std::vector<std::uint8_t> record = WriteRecord(QuantisePicture(MakeScenePicture(100, 60, 91), 75));
  CPictureDecoder still;
  CPictureDecoder movie;
  std::vector<std::uint16_t> stillRaster;
  std::vector<std::uint16_t> movieRaster;
  ASSERT_TRUE(Decode(record, Path::Still, stillRaster, still));
  ASSERT_TRUE(Decode(record, Path::Movie, movieRaster, movie));
  EXPECT_EQ(record.size(), 2280u);
  EXPECT_EQ(Fnv1a(record.data(), record.size()), 0xfec7268b09bd0eafull);
  EXPECT_EQ(Fnv1a(stillRaster.data(), stillRaster.size() * 2), 0xc356d213acabed0aull);
  EXPECT_EQ(Fnv1a(movieRaster.data(), movieRaster.size() * 2), 0x291ef32d2e9909c6ull);
}

}  // namespace
