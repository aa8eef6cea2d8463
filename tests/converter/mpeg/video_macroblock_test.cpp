// The slice and block layer on hand-made bit streams: dequantisation,
// escapes, motion vectors, skipped macroblocks and concealment.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "converter/mpeg/mpeg_bit_reader.h"
#include "converter/mpeg/mpeg_block.h"
#include "converter/mpeg/mpeg_idct.h"
#include "converter/mpeg/mpeg_slice.h"
#include "tests/converter/mpeg/mpeg_test_writer.h"

namespace reelpack {
namespace {

// Writes "0101 1" style bit strings.
void Put(BitWriter& w, const std::string& bits) {
  for (char c : bits)
    if (c == '0' || c == '1') w.put(c - '0', 1);
}

// An elementary stream in a system stream file, opened at its first byte.
class Bits {
 public:
  explicit Bits(BitWriter& w) {
    w.startCode(kSequenceEndCode);
    file_ = std::make_unique<TempFile>(muxVideo(w.data(), 2000).bytes);
    bitsOpenStream(file_->path(), stream);
  }
  MPEG_BIT_STREAM stream;

 private:
  std::unique_ptr<TempFile> file_;
};

TEST(VideoBlocks, DequantisationTruncatesOddifiesAndClamps) {
  struct Case {
    bool intra;
    int level, scaled, expected;
  } cases[] = {
      {true, 3, 32, 5},        // 6 becomes 5
      {true, -3, 32, -5},      // -6 becomes -5
      {true, 1, 16, 1},        {true, 255, 1000, 2047}, {true, -255, 1000, -2048},
      {false, -1, 22, -1},     // -66 / 32 truncates to -2, then -1 (a floor would give -3)
      {false, 1, 22, 1},       {false, -2, 32, -5},     {false, 2, 32, 5},
      {false, 200, 4000, 2047}, {false, -200, 4000, -2048},
  };
  for (const Case& c : cases) {
    const int v = c.intra ? dequantiseIntra(c.level, c.scaled) : dequantiseNonIntra(c.level, c.scaled);
    EXPECT_EQ(v, c.expected) << c.intra << " " << c.level << " " << c.scaled;
  }
}

TEST(VideoBlocks, CoefficientCodesEscapesAndEndOfBlock) {
  struct Case {
    const char* bits;
    bool first;
    int result, run, level;
  } cases[] = {
      {"110", false, 1, 0, 1},                               // run 0, level 1: not the escape
      {"111", false, 1, 0, -1},
      {"10", true, 1, 0, 1},                                 // "1s" as the first coefficient
      {"10", false, 0, 0, 0},                                // end of block
      {"000001 000011 00000101", false, 1, 3, 5},            // escape, 8-bit level
      {"000001 000000 11111111", false, 1, 0, -1},
      {"000001 111111 00000000 10000101", false, 1, 63, 133},  // 0x00 then 0..255
      {"000001 000010 10000000 01111011", false, 1, 2, -133},  // 0x80 then value - 256
      {"0000 0000 0000 0000 0", false, -1, 0, 0},            // no such code
  };
  for (const Case& c : cases) {
    BitWriter w;
    Put(w, c.bits);
    Put(w, "1111 1111");
    Bits b(w);
    int run = 0, level = 0;
    ASSERT_EQ(decodeCoefficient(b.stream, coefficientTable(c.first), &run, &level), c.result) << c.bits;
    if (c.result > 0) {
      EXPECT_EQ(run, c.run) << c.bits;
      EXPECT_EQ(level, c.level) << c.bits;
    }
  }
}

TEST(VideoBlocks, IntraDcAndRunsPastTheBlock) {
  const std::uint16_t* matrix = nullptr;
  std::uint16_t flat[64];
  std::fill(flat, flat + 64, 32);
  matrix = flat;
  struct Case {
    const char* bits;
    int predictorBefore, result, predictorAfter, dc;
  } cases[] = {
      {"100 10", 128, 1, 128, 1024},        // size 0: difference 0
      {"101 010 10", 128, 1, 123, 984},     // size 3, v 2: 2 - 8 + 1
      {"101 110 10", 128, 1, 134, 1072},    // size 3, v 6
      {"00 1 10", 255, 1, 256, 2047},       // clamped
      {"100 000001 111111 00000001", 128, 0, 128, 1024},  // run to position 64: dropped
  };
  for (const Case& c : cases) {
    BitWriter w;
    Put(w, c.bits);
    Put(w, "1111 1111");
    Bits b(w);
    std::int16_t block[64] = {};
    int predictor = c.predictorBefore;
    EXPECT_EQ(decodeIntraBlock(b.stream, dcSizeLumaTable(), &predictor, matrix, block), c.result) << c.bits;
    EXPECT_EQ(predictor, c.predictorAfter) << c.bits;
    EXPECT_EQ(block[0], c.dc) << c.bits;
  }
}

// A 48 x 48 picture (3 x 3 macroblocks) decoded against references of
// random content.
class SliceFixture : public ::testing::Test {
 protected:
  static constexpr int kSize = 48;

  SliceFixture() {
    std::mt19937 random(7);
    for (MPEG_PICTURE* p : {forward_, backward_}) {
      for (int i = 0; i < kSize * kSize * 3; ++i) p->block[i] = static_cast<std::uint8_t>(random());
    }
    MPEG_SEQUENCE_HEADER sequence{};
    macroblockSetSequence(state_, sequence, portablePredictionKernels(), inverseDct);
  }
  ~SliceFixture() override {
    for (MPEG_PICTURE* p : {forward_, backward_, current_}) pictureRelease(p);
  }

  // Decodes one picture of the given type from slices written by the test.
  void decode(int type, BitWriter& w, bool withForward = true) {
    MPEG_PICTURE_HEADER header{};
    header.picture_coding_type = type;
    header.forward_f_code = header.backward_f_code = 1;
    macroblockSetPicture(state_, header);
    Bits b(w);
    ASSERT_TRUE(bitsNextStartCode(b.stream));
    decodeSlices(b.stream, state_, MPEG_REFERENCES{withForward ? forward_ : nullptr, backward_, current_});
  }
  static void slice(BitWriter& w, int row) {
    w.startCode(0x100 + row);
    w.put(8, 5);  // quantiser_scale_code
    w.put(0, 1);
  }

  int y(const MPEG_PICTURE* p, int x, int row) const { return p->planeY[row * kSize + x]; }
  int cb(const MPEG_PICTURE* p, int x, int row) const { return p->planeCb[row * kSize + x]; }

  MPEG_MACROBLOCK_STATE state_{};
  MPEG_PICTURE* forward_ = pictureCreate(kSize, kSize);
  MPEG_PICTURE* backward_ = pictureCreate(kSize, kSize);
  MPEG_PICTURE* current_ = pictureCreate(kSize, kSize);
};

TEST_F(SliceFixture, HalfPelVectorsAndTheirChromaHalves) {
  BitWriter w;
  slice(w, 1);
  // Macroblock 1 (increment 2, allowed for a slice's first): forward only,
  // vector (3, 1); then macroblock 4 (row 2, new slice) with (-3, 0).
  Put(w, "011 001 0001 0 01 0");
  slice(w, 2);
  Put(w, "011 001 0001 1 1");
  decode(kPictureTypeP, w);
  for (int r = 0; r < 16; ++r) {
    for (int x = 16; x < 32; ++x) {
      // (3, 1): one whole pixel right, half a pixel right and down.
      const int sx = x + 1;
      const int expected =
          (y(forward_, sx, r) + y(forward_, sx + 1, r) + y(forward_, sx, r + 1) + y(forward_, sx + 1, r + 1) + 2) >> 2;
      ASSERT_EQ(y(current_, x, r), expected) << x << "," << r;
    }
  }
  for (int r = 0; r < 8; ++r) {
    for (int x = 8; x < 16; ++x) {
      // Chroma vector (1, 0): half a pixel right.
      ASSERT_EQ(cb(current_, x, r), (cb(forward_, x, r) + cb(forward_, x + 1, r) + 1) >> 1) << x << "," << r;
      // Chroma of -3 is -1 (toward zero): half a pixel left, not one and a half.
      ASSERT_EQ(cb(current_, x, r + 8), (cb(forward_, x - 1, r + 8) + cb(forward_, x, r + 8) + 1) >> 1)
          << x << "," << r;
    }
  }
}

TEST_F(SliceFixture, BidirectionalMacroblocksAverage) {
  BitWriter w;
  slice(w, 1);
  Put(w, "1 10 1 1 1 1");  // forward and backward, zero vectors
  decode(kPictureTypeB, w);
  for (int r = 0; r < 16; ++r)
    for (int x = 0; x < 16; ++x)
      ASSERT_EQ(y(current_, x, r), (y(forward_, x, r) + y(backward_, x, r) + 1) >> 1) << x << "," << r;
}

TEST_F(SliceFixture, SkippedMacroblocksInPAndBPictures) {
  for (int type : {kPictureTypeP, kPictureTypeB}) {
    BitWriter w;
    slice(w, 1);
    // Macroblock 0 forward with vector (2, 0) (B: forward only "0010");
    // increment 3 skips macroblocks 1 and 2; macroblock 3 codes a zero
    // difference from its predictor.
    const std::string forward = type == kPictureTypeP ? "001" : "0010";
    Put(w, "1 " + forward + " 001 0 1");
    Put(w, "010 " + forward + " 1 1");
    decode(type, w);
    // P: a skipped macroblock copies the co-located area (vector reset to 0);
    // B: it repeats the previous macroblock's prediction (2 half-pels = 1
    // pixel). Only B keeps the vector predictor across the skip.
    const int shift = type == kPictureTypeP ? 0 : 1;
    for (int r = 0; r < 16; ++r) {
      for (int x = 0; x < 16; ++x) {
        ASSERT_EQ(y(current_, x, r), y(forward_, x + 1, r)) << type;
        ASSERT_EQ(y(current_, x + 16, r), y(forward_, x + 16 + shift, r)) << type << ": " << x << "," << r;
        ASSERT_EQ(y(current_, x, r + 16), y(forward_, x + shift, r + 16)) << type;
      }
    }
  }
}

TEST_F(SliceFixture, MissingSliceIsConcealedFromTheForwardReference) {
  BitWriter w;
  slice(w, 1);
  for (int mb = 0; mb < 3; ++mb) Put(w, "1 1 100 10 100 10 100 10 100 10 00 10 00 10");  // intra, flat 128
  // The slices of rows 2 and 3 are missing.
  decode(kPictureTypeI, w);
  for (int r = 0; r < 16; ++r)
    for (int x = 0; x < kSize; ++x) {
      ASSERT_EQ(y(current_, x, r), 128);
      ASSERT_EQ(y(current_, x, r + 16), y(forward_, x, r + 16)) << x << "," << r;
      ASSERT_EQ(y(current_, x, r + 32), y(forward_, x, r + 32)) << x << "," << r;
    }
  // With no forward reference (the start of the stream), grey stands in.
  BitWriter again;
  slice(again, 1);
  Put(again, "1 1 100 10 100 10 100 10 100 10 00 10 00 10");
  decode(kPictureTypeI, again, false);
  EXPECT_EQ(y(current_, 0, 0), 128);
  EXPECT_EQ(y(current_, 20, 0), 16);
  EXPECT_EQ(y(current_, 47, 47), 16);
  EXPECT_EQ(cb(current_, 23, 23), 128);
}

TEST_F(SliceFixture, DamagedIncrementsStayInsideThePicture) {
  BitWriter w;
  slice(w, 3);
  // Macroblock 6 coded, then an increment of 33 + 33 + 5 skips far past the end.
  Put(w, "1 001 1 1 0000 0001 000 0000 0001 000 0010 001 1 1");
  decode(kPictureTypeP, w);
  // Macroblocks 7 and 8 are copies; nothing was written outside the picture
  // (the sanitizer build checks that).
  for (int r = 32; r < 48; ++r)
    for (int x = 16; x < 48; ++x) ASSERT_EQ(y(current_, x, r), y(forward_, x, r));
}

}  // namespace
}  // namespace reelpack
