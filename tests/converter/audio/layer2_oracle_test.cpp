// Our decoding of each fixture against an independent decoder's PCM of the
// same file (made by tools/make_layer2_fixtures.sh).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tests/converter/audio/layer2_test_support.h"

using namespace layer2_test;

namespace {

struct Fixture {
  const char* name;
  int sampleRate;
  double leftHz;  // 0: no tone to check
  double rightHz;
};

const Fixture kFixtures[] = {
    {"sine_stereo_44k", 44100, 1000, 1500}, {"sine_joint_44k", 44100, 1000, 1500},
    {"sine_stereo_48k", 48000, 1000, 1500}, {"sine_joint_48k", 48000, 1000, 1500},
    {"sine_stereo_32k", 32000, 1000, 1500}, {"sine_joint_32k", 32000, 1000, 1500},
    {"sine_mono_44k", 44100, 1000, 1000},   {"sine_crc_44k", 44100, 1000, 1500},
    {"silence_44k", 44100, 0, 0},           {"loud_44k", 44100, 0, 0},
    {"pink_48k", 48000, 0, 0},
};

// The reference rounds a floating-point filter bank; ours shifts every
// fixed-point product down, which leaves an offset of a few steps and a
// little noise, whatever the signal (limits in LSB).
constexpr int kMaxSampleDifference = 40;
constexpr double kMaxOffset = 12;
constexpr double kMaxRmsDifference = 16;
constexpr double kMaxRmsWithoutOffset = 12;

class OracleTest : public ::testing::TestWithParam<Fixture> {};

TEST_P(OracleTest, MatchesIndependentDecoder) {
  const Fixture& fixture = GetParam();
  const auto ours = DecodeElementaryStream(ReadFileBytes(FixturePath(std::string(fixture.name) + ".mp2")));
  const auto reference = Samples(ReadFileBytes(FixturePath(std::string(fixture.name) + ".ref.pcm")));
  ASSERT_FALSE(reference.empty());
  ASSERT_EQ(ours.size(), reference.size());
  const Comparison comparison = Compare(ours, reference);
  std::printf("%s: differences in LSB: max %d, mean %.2f, RMS %.2f, %.2f without the offset\n", fixture.name,
              comparison.maxDifference, comparison.meanDifference, comparison.rmsDifference,
              comparison.rmsWithoutOffset);
  EXPECT_LE(comparison.maxDifference, kMaxSampleDifference);
  EXPECT_LE(std::abs(comparison.meanDifference), kMaxOffset);
  EXPECT_LE(comparison.rmsDifference, kMaxRmsDifference);
  EXPECT_LE(comparison.rmsWithoutOffset, kMaxRmsWithoutOffset);
  if (fixture.leftHz > 0) {
    EXPECT_NEAR(ZeroCrossingFrequency(ours, 0, fixture.sampleRate), fixture.leftHz, fixture.leftHz * 0.01);
    EXPECT_NEAR(ZeroCrossingFrequency(ours, 1, fixture.sampleRate), fixture.rightHz, fixture.rightHz * 0.01);
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, OracleTest, ::testing::ValuesIn(kFixtures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(OracleTest, SilenceDecodesToZeros) {
  const auto ours = DecodeElementaryStream(ReadFileBytes(FixturePath("silence_44k.mp2")));
  ASSERT_FALSE(ours.empty());
  EXPECT_TRUE(std::all_of(ours.begin(), ours.end(), [](std::int16_t s) { return s == 0; }));
}

TEST(OracleTest, LoudInputClipsAndNeverWraps) {
  const auto ours = DecodeElementaryStream(ReadFileBytes(FixturePath("loud_44k.mp2")));
  const auto reference = Samples(ReadFileBytes(FixturePath("loud_44k.ref.pcm")));
  ASSERT_EQ(ours.size(), reference.size());
  EXPECT_EQ(*std::max_element(ours.begin(), ours.end()), 32767);
  EXPECT_EQ(*std::min_element(ours.begin(), ours.end()), -32768);
  // Where the reference sits on a rail, a wrapped sample of ours would have
  // the opposite sign.
  int railSamples = 0;
  for (std::size_t i = 0; i < ours.size(); ++i) {
    if (reference[i] == 32767 || reference[i] == -32768) {
      ++railSamples;
      ASSERT_EQ(ours[i] > 0, reference[i] > 0) << "sample " << i;
    }
  }
  EXPECT_GT(railSamples, 1000);
}

}  // namespace
