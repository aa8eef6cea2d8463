// The coefficient-level reader against libjpeg-turbo's coefficients, block
// for block in MCU order, and its behaviour on streams beyond its limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "converter/jbp1/frame_coder.h"
#include "converter/jbp1/jpeg_coef_decoder.h"
#include "frame_test_support.h"

namespace {

using reelpack::CByteSource;
using reelpack::CJpegCoefDecoder;

bool DecodeBytes(CJpegCoefDecoder& decoder, const std::vector<std::uint8_t>& jpeg) {
  CByteSource source;
  source.OpenMemory(jpeg.data(), jpeg.size());
  return decoder.Decode(source);
}

// The offset of the first segment with this marker.
std::size_t FindMarker(const std::vector<std::uint8_t>& jpeg, int marker) {
  for (std::size_t i = 0; i + 1 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == marker) return i;
  }
  return jpeg.size();
}

// Decodes the stream and compares every block with libjpeg-turbo's.
void ExpectSameBlocks(const std::vector<std::uint8_t>& jpeg, const std::string& what) {
  ASSERT_FALSE(jpeg.empty()) << what;
  const ReferenceBlocks reference = LibjpegCoefficients(jpeg);
  ASSERT_TRUE(reference.ok) << what;
  CJpegCoefDecoder decoder;
  ASSERT_TRUE(DecodeBytes(decoder, jpeg)) << what;
  EXPECT_EQ(decoder.Width(), static_cast<std::uint32_t>(reference.width)) << what;
  EXPECT_EQ(decoder.Height(), static_cast<std::uint32_t>(reference.height)) << what;
  ASSERT_EQ(decoder.BlockCount(), reference.BlockCount()) << what;
  for (std::size_t b = 0; b < decoder.BlockCount(); ++b) {
    ASSERT_TRUE(std::equal(decoder.Block(b), decoder.Block(b) + 64, reference.coefficients.begin() + 64 * b))
        << what << " block " << b;
  }
}

TEST(CoefficientReader, MatchesLibjpegOnEveryFrameAndLayout) {
  struct Layout {
    const char* name;
    bool chroma420;
    int restartInterval;
  };
  const Layout layouts[] = {{"4:2:0", true, 0}, {"4:4:4", false, 0}, {"4:2:0 restarts", true, 3},
                            {"4:4:4 restarts", false, 1}, {"4:2:0 restart per row", true, 40}};
  for (const char* source : kFrameSources) {
    for (const FrameSize& size : kFrameSizes) {
      for (const Layout& layout : layouts) {
        LibjpegOptions options;
        options.chroma420 = layout.chroma420;
        options.restartInterval = layout.restartInterval;
        ExpectSameBlocks(LibjpegEncode(SourceFrame(source, size.width, size.height), options),
                         std::string(source) + " " + std::to_string(size.width) + "x" +
                             std::to_string(size.height) + " " + layout.name);
      }
    }
  }
}

TEST(CoefficientReader, MatchesLibjpegOnTheLibrarysJpegAtEveryQuality) {
  // Noise makes long codes and many 0xFF data bytes; the frame every kind of block.
  const BmpImage pictures[] = {SourceFrame("testsrc2", 100, 100), MakeNoiseImage(48, 32, 7)};
  for (const BmpImage& picture : pictures) {
    for (int quality = 1; quality <= 100; ++quality) {
      ExpectSameBlocks(LibraryJpeg(picture, quality), "quality " + std::to_string(quality));
    }
  }
}

TEST(CoefficientReader, KeptQuantisedValuesTimesTheTablesAreLibjpegsCoefficients) {
  const BmpImage pictures[] = {SourceFrame("testsrc2", 352, 240), MakeNoiseImage(48, 32, 7)};
  for (const BmpImage& picture : pictures) {
    for (const int quality : {1, 30, 75, 100}) {
      const std::vector<std::uint8_t> jpeg = LibraryJpeg(picture, quality);
      const ReferenceBlocks reference = LibjpegCoefficients(jpeg);
      ASSERT_TRUE(reference.ok) << quality;
      CJpegCoefDecoder decoder;
      decoder.KeepQuantised(true);
      ASSERT_TRUE(DecodeBytes(decoder, jpeg)) << quality;
      ASSERT_EQ(decoder.BlockCount(), reference.BlockCount());
      int nonZero = 0;
      for (std::size_t b = 0; b < decoder.BlockCount(); ++b) {
        // Blocks 0 to 3 of each macroblock are luma (table 0), 4 and 5 chroma.
        const std::vector<int>& table = reference.quantTables[b % 6 < 4 ? 0 : 1];
        for (int i = 0; i < 64; ++i) {
          ASSERT_EQ(decoder.Block(b)[i] * table[static_cast<std::size_t>(i)], reference.coefficients[64 * b + i])
              << "quality " << quality << " block " << b << " coefficient " << i;
          nonZero += decoder.Block(b)[i] != 0;
        }
      }
      EXPECT_GT(nonZero, 0);
    }
  }
}

TEST(CoefficientReader, StoresSixBlocksPerMacroblockOfOddSizes) {
  const BmpImage picture = MakeNoiseImage(321, 241, 3);
  const std::vector<std::uint8_t> jpeg = LibjpegEncode(picture, {});
  CJpegCoefDecoder decoder;
  ASSERT_TRUE(DecodeBytes(decoder, jpeg));
  EXPECT_EQ(decoder.BlockCount(), 2016u);  // 21 x 16 MCUs
  ExpectSameBlocks(jpeg, "321x241");
  LibjpegOptions full;
  full.chroma420 = false;
  ASSERT_TRUE(DecodeBytes(decoder, LibjpegEncode(picture, full)));
  EXPECT_EQ(decoder.BlockCount(), 41u * 31 * 3);
}

TEST(CoefficientReader, PassesOverApplicationAndCommentSegments) {
  LibjpegOptions options;
  options.markers = {{0xE0, std::string("JFXX\0\x10\x01\x02", 8)},
                     {0xE0, "OTHER application data"},
                     {0xE0, "JF"},
                     {0xE1, std::string("Exif\0\0\xFF\xD9\xFF\xDA", 10)},
                     {0xEF, "last application segment"},
                     {0xFE, std::string("comment with \xFF\xC4 inside", 23)}};
  ExpectSameBlocks(LibjpegEncode(SourceFrame("smptebars", 100, 100), options), "APP and COM");
}

// Inserts bytes after the SOI marker.
std::vector<std::uint8_t> AfterSoi(const std::vector<std::uint8_t>& jpeg, const std::vector<std::uint8_t>& bytes) {
  std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
  out.insert(out.end(), bytes.begin(), bytes.end());
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

TEST(CoefficientReader, ALaterHuffmanTableReplacesAnEarlierOne) {
  // A DC table 0 and an AC table 1 of other codes, defined before the real
  // ones: the stream's own definitions must replace them wholly.
  std::vector<std::uint8_t> segment = {0xFF, 0xC4, 0x00, 0x00, 0x00};
  for (int i = 0; i < 16; ++i) segment.push_back(i == 7 ? 200 : 0);
  for (int i = 0; i < 200; ++i) segment.push_back(static_cast<std::uint8_t>(i));
  segment.push_back(0x11);
  for (int i = 0; i < 16; ++i) segment.push_back(i == 0 ? 2 : 0);
  segment.push_back(0);
  segment.push_back(1);
  const std::size_t length = segment.size() - 2;
  segment[2] = static_cast<std::uint8_t>(length >> 8);
  segment[3] = static_cast<std::uint8_t>(length);
  ExpectSameBlocks(AfterSoi(LibjpegEncode(SourceFrame("mandelbrot", 100, 100), {}), segment), "DHT redefined");
}

TEST(CoefficientReader, DataBytes0xFFAreReadThroughTheirStuffing) {
  LibjpegOptions options;
  options.quality = 100;
  const std::vector<std::uint8_t> jpeg = LibjpegEncode(MakeNoiseImage(64, 64, 11), options);
  const auto scan = jpeg.begin() + static_cast<long>(FindMarker(jpeg, 0xDA));
  const std::uint8_t stuffed[] = {0xFF, 0x00};
  ASSERT_NE(std::search(scan, jpeg.end(), std::begin(stuffed), std::end(stuffed)), jpeg.end());
  ExpectSameBlocks(jpeg, "0xFF data");
}

TEST(CoefficientReader, RestartMarkersResetThePredictors) {
  // Every MCU its own interval: each DC is coded against 0, so a reader that
  // kept its predictors would drift at the first marker.
  LibjpegOptions options;
  options.restartInterval = 1;
  const std::vector<std::uint8_t> jpeg = LibjpegEncode(SourceFrame("testsrc2", 352, 240), options);
  const std::uint8_t rst[] = {0xFF, 0xD3};
  ASSERT_NE(std::search(jpeg.begin(), jpeg.end(), std::begin(rst), std::end(rst)), jpeg.end());
  ExpectSameBlocks(jpeg, "restart interval 1");
}

// A copy of the stream with its frame header's precision byte changed.
std::vector<std::uint8_t> WithPrecision(std::vector<std::uint8_t> jpeg, std::uint8_t precision) {
  for (std::size_t i = 2; i + 4 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] >= 0xC0 && jpeg[i + 1] <= 0xC2) {
      jpeg[i + 4] = precision;
      break;
    }
  }
  return jpeg;
}

TEST(CoefficientReader, OtherFramesGiveSizeAndTablesButNoBlock) {
  const BmpImage& picture = SourceFrame("mandelbrot", 352, 288);
  LibjpegOptions progressive;
  progressive.progressive = true;
  LibjpegOptions grey;
  grey.grey = true;
  const struct {
    const char* name;
    std::vector<std::uint8_t> jpeg;
  } cases[] = {
      {"progressive", LibjpegEncode(picture, progressive)},
      {"grey", LibjpegEncode(picture, grey)},
      {"12-bit", WithPrecision(LibjpegEncode(picture, {}), 12)},
  };
  for (const auto& c : cases) {
    CJpegCoefDecoder decoder;
    EXPECT_TRUE(DecodeBytes(decoder, c.jpeg)) << c.name;
    EXPECT_EQ(decoder.BlockCount(), 0u) << c.name;
    EXPECT_EQ(decoder.Width(), 352u) << c.name;
    EXPECT_EQ(decoder.Height(), 288u) << c.name;
    const ReferenceBlocks tables = LibjpegCoefficients(LibjpegEncode(picture, {}));
    // Tables in the stream's zigzag order; the first entry is the same in both orders.
    EXPECT_EQ(decoder.QuantTable(0)[0], static_cast<std::uint32_t>(tables.quantTables[0][0])) << c.name;
    EXPECT_EQ(decoder.QuantTable(0)[63], static_cast<std::uint32_t>(tables.quantTables[0][63])) << c.name;
  }
}

TEST(CoefficientReader, BlockStoreHoldsFiveThousandMacroblocks) {
  // 1,280 x 1,008 is 80 x 63 = 5,040 macroblocks: refused.
  const BmpImage flat = MakeImage(1280, 1008, [](int, int) { return std::tuple{90, 120, 200}; });
  std::vector<std::uint8_t> jpeg = LibjpegEncode(flat, {});
  CJpegCoefDecoder decoder;
  EXPECT_FALSE(DecodeBytes(decoder, jpeg));
  EXPECT_EQ(decoder.BlockCount(), 0u);
  // The same stream announcing 992 lines, 4,960 macroblocks, is read.
  const std::size_t sof = FindMarker(jpeg, 0xC0);
  jpeg[sof + 5] = 992 >> 8;
  jpeg[sof + 6] = 992 & 0xFF;
  ASSERT_TRUE(DecodeBytes(decoder, jpeg));
  EXPECT_EQ(decoder.BlockCount(), 4960u * 6);
}

TEST(CoefficientReader, RefusesStreamsBeyondItsLimits) {
  const std::vector<std::uint8_t> good = LibjpegEncode(SourceFrame("testsrc2", 100, 100), {});
  const std::size_t dht = FindMarker(good, 0xC4);
  const std::size_t dqt = FindMarker(good, 0xDB);
  const std::size_t sof = FindMarker(good, 0xC0);
  const std::size_t sos = FindMarker(good, 0xDA);
  const auto edited = [&](std::size_t offset, std::uint8_t value) {
    std::vector<std::uint8_t> jpeg = good;
    jpeg[offset] = value;
    return jpeg;
  };
  std::vector<std::uint8_t> tooManyCodes = good;
  tooManyCodes[dht + 5 + 15] = 250;  // 16-bit codes: over 256 in all, and over full
  std::vector<std::uint8_t> noSoi = good;
  noSoi[1] = 0x00;
  const struct {
    const char* name;
    std::vector<std::uint8_t> jpeg;
  } cases[] = {
      {"Huffman class 2", edited(dht + 4, 0x20)},
      {"Huffman table 4", edited(dht + 4, 0x04)},
      {"Huffman codes over 256", tooManyCodes},
      {"quantisation table 4", edited(dqt + 4, 0x04)},
      {"frame names table 4", edited(sof + 12, 4)},
      {"five scan components", edited(sos + 4, 5)},
      {"scan component not in the frame", edited(sos + 5, 9)},
      {"scan names DC table 5", edited(sos + 6, 0x50)},
      {"scan uses an undefined AC table", edited(sos + 6, 0x03)},
      {"sampling factor 0", edited(sof + 11, 0x01)},
      {"sampling ratio 4:1", edited(sof + 11, 0x44)},
      {"no SOI", noSoi},
      {"cut in the headers", std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(sof + 8))},
      {"cut in the scan", std::vector<std::uint8_t>(good.begin(), good.begin() + static_cast<long>(good.size() / 2))},
      {"empty", {}},
      {"only 0xFF", std::vector<std::uint8_t>(5000, 0xFF)},
  };
  for (const auto& c : cases) {
    CJpegCoefDecoder decoder;
    EXPECT_FALSE(DecodeBytes(decoder, c.jpeg)) << c.name;
    EXPECT_EQ(decoder.BlockCount(), 0u) << c.name;
  }
}

TEST(CoefficientReader, SurvivesCorruptedStreams) {
  // Under the sanitizer build: flipped bytes anywhere never read or write
  // outside the source and the block store.
  const std::vector<std::uint8_t> good = LibraryJpeg(SourceFrame("noise", 100, 100), 90);
  ASSERT_FALSE(good.empty());
  std::uint32_t seed = 12345;
  const auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
  CJpegCoefDecoder decoder;
  int refused = 0;
  for (int trial = 0; trial < 400; ++trial) {
    std::vector<std::uint8_t> jpeg = good;
    const int flips = 1 + static_cast<int>(next() % 8);
    for (int f = 0; f < flips; ++f) jpeg[next() % jpeg.size()] = static_cast<std::uint8_t>(next() >> 24);
    jpeg.resize(jpeg.size() - next() % 64);
    if (!DecodeBytes(decoder, jpeg)) ++refused;
    EXPECT_LE(decoder.BlockCount(), CJpegCoefDecoder::kMaxBlocks);
  }
  EXPECT_GT(refused, 0);
}

}  // namespace
