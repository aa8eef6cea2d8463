// The Layer II decoder's header table, tables, requantisation and the
// synthesis state carried between frames.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "converter/audio/layer2_decoder.h"
#include "converter/audio/layer2_tables.h"
#include "tests/converter/audio/layer2_test_support.h"

using reelpack::ClearSynthesisState;
using reelpack::DecodeFrame;
using reelpack::FindLayer2Header;
using reelpack::MpegAudioHeader;
using reelpack::ParseAudioHeader;
using reelpack::Requantize;
using reelpack::SynthesisState;
using reelpack::kLayer2FramePcmBytes;
namespace layer2 = reelpack::layer2;

using namespace layer2_test;

namespace {

// Header word fields: bitrate_index, sampling_frequency, padding, mode,
// mode_extension, protection bit; the rest fixed to MPEG-1 Layer II.
std::uint32_t HeaderWord(int bitRateIndex, int sampleRateIndex, int padding, int mode, int modeExtension = 0,
                         int layerBits = 2, int id = 1, int protectionBit = 1) {
  return 0xFFF00000u | (id << 19) | (layerBits << 17) | (protectionBit << 16) | (bitRateIndex << 12) |
         (sampleRateIndex << 10) | (padding << 9) | (mode << 6) | (modeExtension << 4);
}

struct HeaderCase {
  const char* what;
  std::uint32_t word;
  int usable;
  int channels;
  int sblimit;
  int bound;
  int bodyLength;
};

const HeaderCase kHeaderCases[] = {
    {"44.1 kHz 192 kbit/s stereo", HeaderWord(10, 0, 0, 0), 1, 2, 30, 30, 622},
    {"44.1 kHz 192 kbit/s padded", HeaderWord(10, 0, 1, 0), 1, 2, 30, 30, 623},
    {"48 kHz 192 kbit/s stereo", HeaderWord(10, 1, 0, 0), 1, 2, 27, 27, 572},
    {"32 kHz 64 kbit/s stereo", HeaderWord(4, 2, 0, 0), 1, 2, 12, 12, 284},
    {"44.1 kHz 64 kbit/s stereo", HeaderWord(4, 0, 0, 0), 1, 2, 8, 8, 204},
    {"44.1 kHz 128 kbit/s joint, extension 0", HeaderWord(8, 0, 0, 1, 0), 1, 2, 27, 4, 413},
    {"44.1 kHz 128 kbit/s joint, extension 3", HeaderWord(8, 0, 0, 1, 3), 1, 2, 27, 16, 413},
    {"32 kHz 64 kbit/s joint, extension 3 (bound cut to sblimit)", HeaderWord(4, 2, 0, 1, 3), 1, 2, 12, 12, 284},
    {"44.1 kHz 192 kbit/s mono", HeaderWord(10, 0, 0, 3), 1, 1, 30, 30, 622},
    {"48 kHz 48 kbit/s mono", HeaderWord(2, 1, 0, 3), 1, 1, 8, 8, 140},
    {"free format", HeaderWord(0, 0, 0, 0), 0, 0, 0, 0, 0},
    {"bitrate index 15", HeaderWord(15, 0, 0, 0), 0, 0, 0, 0, 0},
    {"sampling frequency 3", HeaderWord(10, 3, 0, 0), 0, 0, 0, 0, 0},
    {"56 kbit/s stereo", HeaderWord(3, 0, 0, 0), 0, 0, 0, 0, 0},
    {"32 kbit/s dual channel", HeaderWord(1, 0, 0, 2), 0, 0, 0, 0, 0},
    {"224 kbit/s mono", HeaderWord(11, 0, 0, 3), 0, 0, 0, 0, 0},
    {"MPEG-2 (ID bit clear)", HeaderWord(10, 0, 0, 0, 0, 2, 0), 0, 0, 0, 0, 0},
    {"no sync", HeaderWord(10, 0, 0, 0) & 0xFFEFFFFF, 0, 0, 0, 0, 0},
};

TEST(ParseAudioHeaderTest, TableOfHeaders) {
  for (const HeaderCase& c : kHeaderCases) {
    SCOPED_TRACE(c.what);
    MpegAudioHeader header;
    ASSERT_EQ(ParseAudioHeader(&header, c.word), c.usable);
    if (!c.usable) continue;
    EXPECT_EQ(header.layer, 2);
    EXPECT_EQ(header.channels, c.channels);
    EXPECT_EQ(header.sblimit, c.sblimit);
    EXPECT_EQ(header.bound, c.bound);
    EXPECT_EQ(header.bodyLength, c.bodyLength);
    EXPECT_EQ(header.word, c.word);
  }
}

TEST(ParseAudioHeaderTest, RecordsCrcAndOtherLayers) {
  MpegAudioHeader header;
  ASSERT_EQ(ParseAudioHeader(&header, HeaderWord(10, 0, 0, 0, 0, 2, 1, 0)), 1);
  EXPECT_EQ(header.crc, 1);
  ASSERT_EQ(ParseAudioHeader(&header, HeaderWord(10, 0, 0, 0, 0, 1)), 1);
  EXPECT_EQ(header.layer, 3);
  ASSERT_EQ(ParseAudioHeader(&header, HeaderWord(10, 0, 0, 0, 0, 3)), 1);
  EXPECT_EQ(header.layer, 1);
}

TEST(FindLayer2HeaderTest, SkipsGarbageAndOtherLayers) {
  const std::uint32_t layer3 = HeaderWord(10, 0, 0, 0, 0, 1);
  const std::uint32_t layer2 = HeaderWord(10, 0, 0, 0);
  const std::uint8_t data[] = {0x12, 0xFF, 0xFF, 0x00,
                               static_cast<std::uint8_t>(layer3 >> 24), static_cast<std::uint8_t>(layer3 >> 16),
                               static_cast<std::uint8_t>(layer3 >> 8), static_cast<std::uint8_t>(layer3),
                               static_cast<std::uint8_t>(layer2 >> 24), static_cast<std::uint8_t>(layer2 >> 16),
                               static_cast<std::uint8_t>(layer2 >> 8), static_cast<std::uint8_t>(layer2)};
  MpegAudioHeader header;
  EXPECT_EQ(FindLayer2Header(data, sizeof(data), 0, &header), 8u);
  EXPECT_EQ(header.word, layer2);
  EXPECT_EQ(FindLayer2Header(data, sizeof(data) - 1, 0, &header), sizeof(data) - 1);
}

TEST(Layer2DecodeTest, NonLayer2FrameWritesNothing) {
  MpegAudioHeader header;
  ASSERT_EQ(ParseAudioHeader(&header, HeaderWord(10, 0, 0, 0, 0, 1)), 1);
  std::uint8_t body[1024] = {};
  std::uint8_t pcm[kLayer2FramePcmBytes];
  SynthesisState state;
  ClearSynthesisState(&state);
  EXPECT_EQ(DecodeFrame(header, body, sizeof(body), pcm, &state), 0u);
}

TEST(Layer2TablesTest, ScaleFactorsAndClassConstants) {
  EXPECT_EQ(layer2::kScaleFactors[0], 65536);
  EXPECT_EQ(layer2::kScaleFactors[1], 52015);
  EXPECT_EQ(layer2::kScaleFactors[2], 41285);
  EXPECT_EQ(layer2::kScaleFactors[3], 32768);
  EXPECT_EQ(layer2::kScaleFactors[63], 0);
  // C = 2^bits / steps for the ungrouped classes, and 4/3, 8/5, 16/9 for
  // the grouped ones, in units of 1/32768 and truncated.
  for (int quantClass = 1; quantClass <= 17; ++quantClass) {
    const auto& q = layer2::kQuantClasses[quantClass];
    const double levels = std::exp2(std::ceil(std::log2(q.steps)));
    EXPECT_EQ(q.c, static_cast<int>(32768 * levels / q.steps)) << quantClass;
    EXPECT_EQ(q.h, q.grouped ? q.steps - 1 : 1 << (q.bits - 1)) << quantClass;
  }
}

TEST(Layer2TablesTest, WindowHasTheStandardPeakAndSymmetry) {
  EXPECT_EQ(layer2::kWindow[256], 37519);
  EXPECT_EQ(layer2::kWindow[0], 0);
  for (int i = 1; i < 256; ++i) {
    // Mirrored around 256, with the sign turned except at multiples of 64.
    const int mirrored = i % 64 == 0 ? layer2::kWindow[i] : -layer2::kWindow[i];
    EXPECT_EQ(layer2::kWindow[512 - i], mirrored) << i;
  }
}

TEST(Layer2TablesTest, MatrixEntries) {
  const auto& n = layer2::Matrix();
  EXPECT_EQ(n[0][0], 23170);    // cos(pi/4)
  EXPECT_EQ(n[16][0], 0);       // cos(pi/2)
  EXPECT_EQ(n[48][0], -32768);  // cos(pi)
  EXPECT_EQ(n[32][5], -n[0][5]);
}

TEST(RequantizeTest, EveryValueStaysWithinTheFilterBanksRange) {
  // The filter bank's 32-bit products rely on samples in [-65534, 65536]
  // and on -32768 appearing in row 48 of the matrix only.
  for (int quantClass = 1; quantClass <= 17; ++quantClass) {
    const auto& q = layer2::kQuantClasses[quantClass];
    const std::uint32_t codes = q.grouped ? static_cast<std::uint32_t>(q.steps) : 1u << q.bits;
    for (std::uint32_t v = 0; v < codes; ++v) {
      const std::int32_t sample = Requantize(v, quantClass, 0);
      ASSERT_GE(sample, -65534) << quantClass << " " << v;
      ASSERT_LE(sample, 65536) << quantClass << " " << v;
    }
  }
  const auto& n = layer2::Matrix();
  for (int i = 0; i < 64; ++i) {
    for (int k = 0; k < 32; ++k) {
      if (i == 48) {
        EXPECT_EQ(n[i][k], -32768);
      } else {
        EXPECT_LT(std::abs(n[i][k]), 32768) << i << " " << k;
      }
    }
  }
}

TEST(RequantizeTest, PerClass) {
  // Class 1 (3 steps): -2/3, 0 and 2/3 before scaling; S[3] is 1.0.
  EXPECT_EQ(Requantize(0, 1, 3), -21845);
  EXPECT_EQ(Requantize(1, 1, 3), 0);
  EXPECT_EQ(Requantize(2, 1, 3), 21845);
  // Class 2 (5 steps): -4/5 .. 4/5.
  EXPECT_EQ(Requantize(0, 2, 3), -26214);
  EXPECT_EQ(Requantize(4, 2, 3), 26214);
  // Class 4 (7 steps, 3 bits): (v - 4)/4 + 1/4, times 8/7.
  EXPECT_EQ(Requantize(0, 4, 3), -28087);
  EXPECT_EQ(Requantize(6, 4, 3), 28086);
  // Class 17 near full scale with the largest scale factor: the product
  // reaches 2^31 and must not overflow.
  EXPECT_EQ(Requantize(65535, 17, 0), 65536);
  EXPECT_EQ(Requantize(0, 17, 0), -65534);
  // The forbidden all-ones code of an ungrouped class stays at 2.0.
  EXPECT_EQ(Requantize(7, 4, 0), 65536);
  EXPECT_EQ(Requantize(7, 4, 6), 18724);
  // Scale factor 63 silences everything.
  EXPECT_EQ(Requantize(65535, 17, 63), 0);
}

TEST(Layer2DecodeTest, GroupedCodesSplitLowestValueFirst) {
  // One 44.1 kHz 32 kbit/s mono frame (Table S): subband 0 gets class 1, the
  // rest nothing; scfsi 2 with scale factor 3 (1.0); granules 0 to 10 carry
  // code 13 (values 1, 1, 1: silence), the last code 11 = 2 + 3 * 0 + 9 * 1.
  MpegAudioHeader header;
  ASSERT_EQ(ParseAudioHeader(&header, HeaderWord(1, 0, 0, 3)), 1);
  ASSERT_EQ(header.sblimit, 8);
  std::vector<std::uint8_t> body(static_cast<std::size_t>(header.bodyLength), 0);
  std::size_t bit = 0;
  auto put = [&](std::uint32_t value, int bits) {
    for (int b = bits - 1; b >= 0; --b, ++bit) {
      if ((value >> b) & 1) body[bit / 8] |= static_cast<std::uint8_t>(0x80 >> (bit % 8));
    }
  };
  put(1, 4);  // subband 0: code 1 -> class 1
  put(0, 4);  // subband 1
  for (int band = 2; band < 8; ++band) put(0, 3);
  put(2, 2);  // scfsi: one scale factor for the frame
  put(3, 6);
  for (int granule = 0; granule < 11; ++granule) put(13, 5);
  put(11, 5);

  // The portable forms, whose ring holds the matrixed values as they are.
  SynthesisState state;
  ClearSynthesisState(&state);
  std::vector<std::uint8_t> pcm(kLayer2FramePcmBytes);
  ASSERT_EQ(DecodeFrame(header, body.data(), body.size(), pcm.data(), &state, reelpack::kPortableLayer2Forms),
            kLayer2FramePcmBytes);
  const auto samples = Samples(pcm);
  for (std::size_t i = 0; i < samples.size(); i += 2) ASSERT_EQ(samples[i], samples[i + 1]) << "mono to both";
  SynthesisState fastState;
  ClearSynthesisState(&fastState);
  std::vector<std::uint8_t> fastPcm(kLayer2FramePcmBytes);
  DecodeFrame(header, body.data(), body.size(), fastPcm.data(), &fastState);
  EXPECT_EQ(fastPcm, pcm);

  // The last three slots' subband-0 values are 2, 0, 1, that is +2/3, -2/3
  // and 0, and V holds them matrixed: (N[i][0] * value) >> 15 per row.
  const auto& n = layer2::Matrix();
  const std::int32_t expected[3] = {21845, -21845, 0};
  for (int slot = 0; slot < 3; ++slot) {
    const int offset = (state.offset + (2 - slot) * 64) & 1023;
    for (int i = 0; i < 64; ++i) {
      ASSERT_EQ(state.v[0][offset + i], (static_cast<std::int64_t>(n[i][0]) * expected[slot]) >> 15)
          << "slot " << slot << " row " << i;
    }
  }
}

TEST(Layer2DecodeTest, RandomBodiesDecodeWithoutOverflow) {
  // Any bits at all, forbidden codes included, under every table and mode;
  // the sanitizer build turns an overflowing product into a failure.
  std::mt19937 random(11);
  const std::uint32_t words[] = {HeaderWord(14, 0, 0, 0), HeaderWord(8, 0, 1, 1, 0), HeaderWord(10, 1, 0, 2),
                                 HeaderWord(4, 2, 0, 1, 2), HeaderWord(2, 0, 0, 3), HeaderWord(10, 0, 0, 3, 0, 2, 1, 0)};
  for (std::uint32_t word : words) {
    MpegAudioHeader header;
    ASSERT_EQ(ParseAudioHeader(&header, word), 1);
    SynthesisState state;
    ClearSynthesisState(&state);
    std::vector<std::uint8_t> body(static_cast<std::size_t>(header.bodyLength));
    std::vector<std::uint8_t> pcm(kLayer2FramePcmBytes);
    for (int frame = 0; frame < 20; ++frame) {
      for (auto& byte : body) byte = static_cast<std::uint8_t>(random());
      ASSERT_EQ(DecodeFrame(header, body.data(), body.size(), pcm.data(), &state), kLayer2FramePcmBytes);
    }
  }
}

TEST(Layer2DecodeTest, CarriedStateOnlyChangesTheFrameStart) {
  const auto data = ReadFileBytes(FixturePath("sine_stereo_44k.mp2"));
  const auto carried = DecodeElementaryStream(data);
  // Frame 5 alone, with a fresh state.
  MpegAudioHeader header;
  std::size_t position = 0;
  for (int frame = 0; frame <= 5; ++frame) {
    position = FindLayer2Header(data.data(), data.size(), position, &header);
    if (frame < 5) position += 4 + static_cast<std::size_t>(header.bodyLength);
  }
  SynthesisState fresh;
  ClearSynthesisState(&fresh);
  std::vector<std::uint8_t> pcm(kLayer2FramePcmBytes);
  DecodeFrame(header, data.data() + position + 4, static_cast<std::size_t>(header.bodyLength), pcm.data(), &fresh);
  const auto alone = Samples(pcm);
  const std::size_t frameStart = 5 * 1152 * 2;
  // The filter looks 16 slots (512 samples) back: before that the fresh
  // state is missing history, after it both agree exactly.
  int differing = 0;
  for (std::size_t i = 0; i < 512 * 2; ++i) differing += alone[i] != carried[frameStart + i];
  EXPECT_GT(differing, 500);
  for (std::size_t i = 512 * 2; i < alone.size(); ++i) ASSERT_EQ(alone[i], carried[frameStart + i]) << i;
}

TEST(AudioGetBitsTest, ReadsMostSignificantFirstAndZerosPastTheEnd) {
  // Reads of every width from 0 to 16 bits at every position of bodies of
  // 0 to 12 bytes (a whole-word load must not reach past the body), against
  // the bits read one by one.
  std::mt19937 random(7);
  for (std::size_t size = 0; size <= 12; ++size) {
    std::vector<std::uint8_t> body(size);
    for (auto& byte : body) byte = static_cast<std::uint8_t>(random());
    // The body fills its allocation, so the sanitizer build sees an overread.
    const auto bitAt = [&](std::size_t position) {
      return position / 8 < size ? (body[position / 8] >> (7 - position % 8)) & 1 : 0;
    };
    for (int n = 0; n <= 16; ++n) {
      for (std::size_t start = 0; start < 8 * size + 24; start += 3) {
        reelpack::AudioBitCursor cursor{body.data(), size, start};
        std::uint32_t expected = 0;
        for (int b = 0; b < n; ++b) expected = (expected << 1) | bitAt(start + static_cast<std::size_t>(b));
        ASSERT_EQ(reelpack::AudioGetBits(&cursor, n), expected) << size << " " << n << " " << start;
        EXPECT_EQ(cursor.bitPosition, start + static_cast<std::size_t>(n));
      }
    }
  }
}

}  // namespace
