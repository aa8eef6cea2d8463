// The fast forms of the Layer II filter bank against the portable one, bit
// for bit: seeded random frames of every channel count and sblimit, values
// across the whole requantised range, and the committed fixtures end to end.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "converter/audio/layer2_decoder.h"
#include "converter/audio/layer2_synthesis.h"
#include "tests/converter/audio/layer2_test_support.h"

using reelpack::FrameSamples;
using reelpack::SynthesisState;
using reelpack::SynthesizeFrameForm;
using reelpack::kLayer2FramePcmBytes;

namespace {

struct FastForm {
  const char* name;
  SynthesizeFrameForm synthesize;
};

void PrintTo(const FastForm& form, std::ostream* out) { *out << form.name; }

const FastForm kFastForms[] = {
#if defined(__SSE2__)
    {"Sse2", reelpack::SynthesizeFrameSse2},
    {"Avx2", reelpack::SynthesizeFrameAvx2},
#endif
    {"Selected", reelpack::SynthesizeFrame},
};

enum class Values { FullRange, Quiet, Sparse, Extremes, PowersOfTwo, SameSign };

struct RandomCase {
  const char* what;
  int channels;
  int sblimit;
  Values values;
};

// sblimit 8 and 12 come from the low bit rates, 27 and 30 from the others.
const RandomCase kRandomCases[] = {
    {"stereo 30 full range", 2, 30, Values::FullRange},
    {"stereo 27 quiet", 2, 27, Values::Quiet},
    {"stereo 12 sparse", 2, 12, Values::Sparse},
    {"stereo 8 extremes", 2, 8, Values::Extremes},
    {"stereo 30 extremes", 2, 30, Values::Extremes},
    {"stereo 30 powers of two", 2, 30, Values::PowersOfTwo},
    {"stereo 30 one sign (clips)", 2, 30, Values::SameSign},
    {"mono 30 full range", 1, 30, Values::FullRange},
    {"mono 27 extremes", 1, 27, Values::Extremes},
    {"mono 12 powers of two", 1, 12, Values::PowersOfTwo},
    {"mono 8 sparse", 1, 8, Values::Sparse},
    {"every subband full range", 2, 32, Values::FullRange},
};

// Requantised values lie in [-65534, 65536].
std::int32_t RandomValue(Values values, std::mt19937& random) {
  static constexpr std::array<std::int32_t, 13> kExtremes = {65536, 65535, 65534, 32769, 32768, 32767, 1,
                                                              0,     -1,    -32767, -32768, -65533, -65534};
  switch (values) {
    case Values::FullRange:
      return std::uniform_int_distribution<std::int32_t>(-65534, 65536)(random);
    case Values::Quiet:
      return std::uniform_int_distribution<std::int32_t>(-300, 300)(random);
    case Values::Sparse:
      return random() % 8 == 0 ? std::uniform_int_distribution<std::int32_t>(-65534, 65536)(random) : 0;
    case Values::Extremes:
      return kExtremes[random() % kExtremes.size()];
    case Values::PowersOfTwo: {
      const std::int32_t power = 1 << (random() % 17);
      return random() % 2 ? power : -std::min(power, 32768);
    }
    case Values::SameSign:
      return std::uniform_int_distribution<std::int32_t>(40000, 65536)(random);
  }
  return 0;
}

std::unique_ptr<FrameSamples> RandomFrame(const RandomCase& c, std::mt19937& random) {
  auto frame = std::make_unique<FrameSamples>();
  for (auto& channel : frame->s) {
    for (auto& slot : channel) {
      for (int band = 0; band < 32; ++band) {
        // Subbands at and above sblimit hold values no form may read.
        slot[band] = band < c.sblimit ? RandomValue(c.values, random) : 0x7FFFFFFF;
      }
    }
  }
  return frame;
}

class SynthesisFormTest : public ::testing::TestWithParam<FastForm> {
 protected:
  void SetUp() override {
#if defined(__SSE2__)
    if (GetParam().synthesize == reelpack::SynthesizeFrameAvx2 && !ProcessorHasAvx2()) {
      GTEST_SKIP() << "the processor has no AVX2";
    }
#endif
  }
};

TEST_P(SynthesisFormTest, RandomFramesMatchThePortableForm) {
  for (const RandomCase& c : kRandomCases) {
    SCOPED_TRACE(c.what);
    std::mt19937 random(c.sblimit * 16 + c.channels + static_cast<int>(c.values) * 1000);
    auto portable = std::make_unique<SynthesisState>();
    auto fast = std::make_unique<SynthesisState>();
    reelpack::ClearSynthesisState(portable.get());
    reelpack::ClearSynthesisState(fast.get());
    // Several frames, so that the ring carries values from frame to frame
    // and wraps around.
    for (int frame = 0; frame < 5; ++frame) {
      const auto samples = RandomFrame(c, random);
      std::vector<std::uint8_t> expected(kLayer2FramePcmBytes);
      std::vector<std::uint8_t> actual(kLayer2FramePcmBytes, 0xCD);
      reelpack::SynthesizeFramePortable(portable.get(), *samples, c.channels, c.sblimit, expected.data());
      GetParam().synthesize(fast.get(), *samples, c.channels, c.sblimit, actual.data());
      ASSERT_EQ(actual, expected) << "frame " << frame;
    }
  }
}

TEST_P(SynthesisFormTest, FixturesDecodeToThePortableFormsBytes) {
  for (const char* name : {"sine_stereo_44k", "sine_joint_44k", "sine_stereo_48k", "sine_joint_32k",
                           "sine_mono_44k", "sine_crc_44k", "silence_44k", "loud_44k", "pink_48k"}) {
    SCOPED_TRACE(name);
    const auto file = ReadFileBytes(layer2_test::FixturePath(std::string(name) + ".mp2"));
    const auto expected = layer2_test::DecodeElementaryStream(file, reelpack::kPortableLayer2Forms);
    ASSERT_FALSE(expected.empty());
    const reelpack::Layer2Forms forms{reelpack::RequantizeFramePortable, GetParam().synthesize};
    EXPECT_EQ(layer2_test::DecodeElementaryStream(file, forms), expected);
  }
}

INSTANTIATE_TEST_SUITE_P(Forms, SynthesisFormTest, ::testing::ValuesIn(kFastForms),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
