#include <gtest/gtest.h>

#include "converter/mpeg/mpeg_headers.h"
#include "converter/mpeg/mpeg_quant_matrix.h"
#include "converter/mpeg/mpeg_stream_index.h"
#include "mpeg_test_writer.h"

using reelpack::MPEG_BIT_STREAM;
using reelpack::MPEG_PICTURE_HEADER;
using reelpack::MPEG_QUANT_MATRICES;
using reelpack::MPEG_SEQUENCE_HEADER;
using reelpack::MPEG_STREAM_INDEX;
using reelpack::bitsGet;
using reelpack::bitsNextStartCode;
using reelpack::bitsOpenStream;
using reelpack::bitsPeek;
using reelpack::indexCreate;
using reelpack::indexFree;
using reelpack::kExtensionStartCode;
using reelpack::kFramePicture;
using reelpack::kGroupStartCode;
using reelpack::kPictureStartCode;
using reelpack::kPictureTypeB;
using reelpack::kPictureTypeP;
using reelpack::kUserDataStartCode;
using reelpack::parsePictureHeader;
using reelpack::parseSequenceHeader;
using reelpack::quantMatricesFromPicture;
using reelpack::quantMatricesFromSequence;

namespace {

// Opens a system stream around the elementary stream and stands after its
// first start code.
struct Parsed {
  TempFile file;
  MPEG_BIT_STREAM stream;
  explicit Parsed(const Bytes& es) : file(muxVideo(es, 50).bytes) {
    EXPECT_EQ(bitsOpenStream(file.path(), stream), 1);
    EXPECT_EQ(bitsNextStartCode(stream), 1);
    bitsGet(stream, 32);
  }
};

TEST(MpegSequenceHeader, CodedSizeAndRefusedSizes) {
  struct Case {
    int width, height;
    bool extension;
    int progressive;
    int widthExtension;
    int codedWidth, codedHeight;
    int accepted;
  };
  const Case cases[] = {
      {720, 480, true, 0, 0, 720, 480, 1},  {720, 486, true, 0, 0, 720, 512, 1},
      {720, 486, true, 1, 0, 720, 496, 1},  {352, 240, false, 0, 0, 352, 240, 1},
      {350, 238, false, 0, 0, 352, 240, 1}, {4095, 17, false, 0, 0, 4096, 32, 1},
      {0, 240, false, 0, 0, 0, 240, 0},     {352, 0, false, 0, 0, 352, 0, 0},
      {16, 16, true, 1, 1, 4112, 16, 0},    // 4096 + 16 wide with the extension
  };
  for (const Case& c : cases) {
    BitWriter w;
    writeSequenceHeader(w, c.width, c.height, 3);
    if (c.extension) writeSequenceExtension(w, c.progressive, c.widthExtension);
    writeGopHeader(w, {}, 1, 0);
    Parsed p(w.data());
    MPEG_SEQUENCE_HEADER h;
    EXPECT_EQ(parseSequenceHeader(p.stream, h), c.accepted) << c.width << "x" << c.height;
    EXPECT_EQ(h.codedWidth, c.codedWidth);
    EXPECT_EQ(h.codedHeight, c.codedHeight);
    EXPECT_EQ(h.hasSequenceExtension, c.extension ? 1 : 0);
    EXPECT_EQ(bitsPeek(p.stream, 32), kGroupStartCode);  // left at the first non-extension code
  }
}

TEST(MpegSequenceHeader, DefaultAndLoadedMatrices) {
  {
    BitWriter w;
    writeSequenceHeader(w, 64, 48, 3);
    Parsed p(w.data());
    MPEG_SEQUENCE_HEADER h;
    ASSERT_EQ(parseSequenceHeader(p.stream, h), 1);
    MPEG_QUANT_MATRICES m;
    quantMatricesFromSequence(h, m);
    const std::uint16_t firstRow[8] = {8, 16, 19, 22, 26, 27, 29, 34};
    EXPECT_TRUE(std::equal(firstRow, firstRow + 8, m.intra));
    EXPECT_EQ(m.intra[63], 83);
    for (int i = 0; i < 64; ++i) {
      EXPECT_EQ(m.nonIntra[i], 16);
      EXPECT_EQ(m.chromaIntra[i], m.intra[i]);
      EXPECT_EQ(m.chromaNonIntra[i], 16);
    }
    EXPECT_EQ(h.progressive_sequence, 1);
    EXPECT_EQ(h.chroma_format, 1);
  }
  // Loaded matrices arrive in zigzag order: value i sits at kZigzagToNatural[i].
  std::uint8_t intra[64], nonIntra[64];
  for (int i = 0; i < 64; ++i) {
    intra[i] = static_cast<std::uint8_t>(i + 1);
    nonIntra[i] = static_cast<std::uint8_t>(200 - i);
  }
  BitWriter w;
  writeSequenceHeader(w, 64, 48, 3, intra, nonIntra);
  Parsed p(w.data());
  MPEG_SEQUENCE_HEADER h;
  ASSERT_EQ(parseSequenceHeader(p.stream, h), 1);
  MPEG_QUANT_MATRICES m;
  quantMatricesFromSequence(h, m);
  const std::uint16_t naturalStart[10] = {1, 2, 6, 7, 15, 16, 28, 29, 3, 5};
  EXPECT_TRUE(std::equal(naturalStart, naturalStart + 10, m.intra));
  EXPECT_EQ(m.nonIntra[1], 199);
  EXPECT_EQ(m.nonIntra[8], 198);
  EXPECT_EQ(m.chromaNonIntra[8], 198);
}

TEST(MpegPictureHeader, DefaultsUserDataAndExtensions) {
  BitWriter w;
  writePictureHeader(w, 3, 17);
  w.startCode(kUserDataStartCode);
  w.bytes({'h', 'e', 'l', 'l', 'o', 0, 0, 0});
  writeSlice(w);
  writePictureHeader(w, 2, 5);
  writePictureCodingExtension(w, 3, 1, 1);
  // Quant matrix extension: a new intra matrix and chroma non-intra only.
  w.startCode(kExtensionStartCode);
  w.put(3, 4);
  w.put(1, 1);
  for (int i = 0; i < 64; ++i) w.put(40, 8);
  w.put(0, 1);
  w.put(0, 1);
  w.put(1, 1);
  for (int i = 0; i < 64; ++i) w.put(i == 0 ? 99 : 50, 8);
  // Picture display extension: three offsets for a repeated first field.
  w.startCode(kExtensionStartCode);
  w.put(7, 4);
  for (int i = 0; i < 3; ++i) {
    w.put(static_cast<std::uint16_t>(-3 - i), 16);
    w.put(1, 1);
    w.put(10 + i, 16);
    w.put(1, 1);
  }
  writeSlice(w);
  Parsed p(w.data());

  MPEG_PICTURE_HEADER b;
  parsePictureHeader(p.stream, 0, b);
  EXPECT_EQ(b.temporal_reference, 17);
  EXPECT_EQ(b.picture_coding_type, kPictureTypeB);
  EXPECT_EQ(b.hasCodingExtension, 0);
  EXPECT_EQ(b.picture_structure, kFramePicture);
  EXPECT_EQ(b.progressive_frame, 1);
  EXPECT_EQ(b.f_code[0][0], 1);
  EXPECT_EQ(b.f_code[1][1], 1);
  EXPECT_EQ(b.top_field_first, 0);
  EXPECT_EQ(bitsPeek(p.stream, 32), 0x101u);  // user data passed over, stands at the slice

  ASSERT_EQ(bitsNextStartCode(p.stream), 1);
  bitsGet(p.stream, 32);
  ASSERT_EQ(bitsNextStartCode(p.stream), 1);
  ASSERT_EQ(bitsGet(p.stream, 32), kPictureStartCode);
  MPEG_PICTURE_HEADER pic;
  parsePictureHeader(p.stream, 0, pic);
  EXPECT_EQ(pic.picture_coding_type, kPictureTypeP);
  EXPECT_EQ(pic.hasCodingExtension, 1);
  EXPECT_EQ(pic.f_code[0][0], 1);
  EXPECT_EQ(pic.f_code[0][1], 2);
  EXPECT_EQ(pic.f_code[1][0], 3);
  EXPECT_EQ(pic.f_code[1][1], 4);
  EXPECT_EQ(pic.intra_dc_precision, 1);
  EXPECT_EQ(pic.top_field_first, 1);
  EXPECT_EQ(pic.repeat_first_field, 1);
  EXPECT_EQ(pic.hasDisplayExtension, 1);
  EXPECT_EQ(pic.frame_centre_horizontal_offset[2], -5);
  EXPECT_EQ(pic.frame_centre_vertical_offset[2], 12);

  MPEG_QUANT_MATRICES m;
  MPEG_SEQUENCE_HEADER defaults = {};
  quantMatricesFromSequence(defaults, m);
  quantMatricesFromPicture(pic, m);
  EXPECT_EQ(m.intra[5], 40);
  EXPECT_EQ(m.nonIntra[5], 16);
  EXPECT_EQ(m.chromaIntra[5], 40);  // unset chroma slot copies the luma slot
  EXPECT_EQ(m.chromaNonIntra[0], 99);
  EXPECT_EQ(m.chromaNonIntra[5], 50);
}

TEST(MpegHeaders, EndOfStreamInsideAHeaderReadsZeros) {
  BitWriter w;
  writeSequenceHeader(w, 352, 240, 3);
  Bytes cut = w.data();
  cut.resize(6);  // code and 2 bytes of the header
  Parsed p(cut);
  MPEG_SEQUENCE_HEADER h;
  EXPECT_EQ(parseSequenceHeader(p.stream, h), 0);  // height 0
  EXPECT_EQ(h.horizontal_size, 352);
  EXPECT_EQ(h.frame_rate_code, 0);
  MPEG_PICTURE_HEADER pic;
  parsePictureHeader(p.stream, 1, pic);
  EXPECT_EQ(pic.picture_coding_type, 0);
  EXPECT_EQ(bitsNextStartCode(p.stream), 0);
}

TEST(MpegHeaders, FrameRateFromCodeAndExtension) {
  struct Case {
    int code;
    bool extension;
    int n, d;
    int numerator, denominator;
  };
  const Case cases[] = {{1, false, 0, 0, 24000, 1001}, {4, false, 0, 0, 30000, 1001}, {8, false, 0, 0, 60, 1},
                        {0, false, 0, 0, 0, 1},        {12, false, 0, 0, 0, 1},         {3, true, 1, 2, 50, 3}};
  for (const Case& c : cases) {
    MPEG_SEQUENCE_HEADER h = {};
    h.frame_rate_code = c.code;
    h.hasSequenceExtension = c.extension;
    h.frame_rate_extension_n = c.n;
    h.frame_rate_extension_d = c.d;
    MPEG_BIT_STREAM stream;
    int progressive = 1;
    MPEG_STREAM_INDEX* index = indexCreate(stream, h, &progressive, 0);
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(index->rateNumerator, c.numerator) << c.code;
    EXPECT_EQ(index->rateDenominator, c.denominator);
    indexFree(index);
  }
}

}  // namespace
