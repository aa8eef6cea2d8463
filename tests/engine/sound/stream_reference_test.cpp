// Every sound fixture decoded through our streams over the real plug-ins,
// against ffmpeg decoding the same file: same length, rate and channels, and
// samples within a small tolerance once the starts are aligned.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <memory>

#include "engine/sound/mp3_stream.h"
#include "engine/sound/ogg_stream.h"
#include "tests/engine/sound/sound_test_support.h"
#include "tests/support/file_bytes.h"

namespace {

struct Decoded {
  std::vector<std::int16_t> samples;
  int channels = 0;
  int rate = 0;
};

template <typename Stream>
Decoded ReadAll(Stream& stream, const WAVEFORMATEX& format) {
  Decoded out;
  out.channels = format.nChannels;
  out.rate = static_cast<int>(format.nSamplesPerSec);
  std::vector<std::uint8_t> buffer(10240 + 4608 + 16384);
  while (!stream.IsEnded()) {
    const std::uint32_t n = stream.ReadPcm(buffer.data(), 10240, 0);
    const auto* samples = reinterpret_cast<const std::int16_t*>(buffer.data());
    out.samples.insert(out.samples.end(), samples, samples + n / 2);
    if (n < 10240) break;
  }
  return out;
}

struct Comparison {
  long lagFrames = 0;
  int maxDifference = 0;
  double snrDb = 0;
};

// The lag (ours later by lag frames) that fits best, then the error over the
// overlapping samples.
Comparison Compare(const Decoded& ours, const ReferencePcm& reference) {
  const int ch = ours.channels;
  const long oursFrames = static_cast<long>(ours.samples.size()) / ch;
  const long refFrames = static_cast<long>(reference.samples.size()) / ch;
  // Over the first `window` frames, every third one.
  auto error = [&](long lag, long* count, long window) {
    double sum = 0;
    *count = 0;
    for (long f = std::max(0L, -lag); f + lag < oursFrames && f < refFrames && f < window; f += 3) {
      for (int c = 0; c < ch; ++c) {
        const double d = ours.samples[(f + lag) * ch + c] - reference.samples[f * ch + c];
        sum += d * d;
      }
      ++*count;
    }
    return *count ? sum / *count : 1e300;
  };
  Comparison result;
  double best = 1e300;
  for (long lag = -2400; lag <= 2400; ++lag) {
    long count;
    const double e = error(lag, &count, 6000);
    if (e < best) {
      best = e;
      result.lagFrames = lag;
    }
  }
  double signal = 0, noise = 0;
  const long lag = result.lagFrames;
  for (long f = std::max(0L, -lag); f + lag < oursFrames && f < refFrames; ++f) {
    for (int c = 0; c < ch; ++c) {
      const int a = ours.samples[(f + lag) * ch + c];
      const int b = reference.samples[f * ch + c];
      result.maxDifference = std::max(result.maxDifference, std::abs(a - b));
      signal += double(b) * b;
      noise += double(a - b) * (a - b);
    }
  }
  result.snrDb = noise > 0 ? 10 * std::log10(signal / noise) : 999;
  return result;
}

struct Case {
  const char* file;
  bool ogg;
  int maxDifference;  // the tolerance, in 16-bit steps
  double minSnrDb;
};

const Case kCases[] = {
      {"sine44_stereo.mp3", false, 4, 60},  {"sine44_mono.mp3", false, 4, 60}, {"sine22_stereo.mp3", false, 4, 60},
      {"sine22_mono.mp3", false, 4, 60},    {"sine48_stereo.mp3", false, 4, 60}, {"vbr44.mp3", false, 4, 60},
      {"tagged44.mp3", false, 4, 60},       {"silence22.mp3", false, 0, 0},   {"sine44_stereo.ogg", true, 2, 70},
      {"sine44_mono.ogg", true, 2, 70},     {"sine22_stereo.ogg", true, 2, 70}, {"sine48_stereo.ogg", true, 2, 70},
      {"silence22.ogg", true, 0, 0},
};

class StreamReference : public ::testing::TestWithParam<Case> {};

TEST_P(StreamReference, MatchesAnIndependentDecoder) {
  RealPlugins plugins;
  ASSERT_TRUE(plugins.Loaded());
  {
    const Case& c = GetParam();
    const std::string path = kSoundFixtures + c.file;
    const std::vector<std::uint8_t> image = ReadFileBytes(path);
    Decoded ours;
    if (c.ogg) {
      COggStream stream;
      stream.OpenMemory(image.data(), static_cast<std::uint32_t>(image.size()));
      ours = ReadAll(stream, stream.GetFormat());
    } else {
      CMp3Stream stream;
      ASSERT_EQ(stream.OpenMemory(image.data(), static_cast<std::uint32_t>(image.size())), 0);
      ours = ReadAll(stream, stream.GetFormat());
    }
    const ReferencePcm reference = DecodeWithFfmpeg(path);
    ASSERT_FALSE(reference.samples.empty()) << "ffmpeg is needed as the reference decoder";
    EXPECT_EQ(ours.channels, reference.channels);
    EXPECT_EQ(ours.rate, reference.rate);
    // ffmpeg's Vorbis decoding does not end at the stream's declared length;
    // the container's length is the reference there.
    const std::size_t expectedSamples =
        c.ogg ? static_cast<std::size_t>(reference.declaredFrames * reference.channels) : reference.samples.size();
    EXPECT_EQ(ours.samples.size(), expectedSamples);
    const Comparison result = Compare(ours, reference);
    std::printf("%-20s %zu samples (ffmpeg %zu), lag %ld frames, max difference %d, SNR %.1f dB\n", c.file,
                ours.samples.size(), reference.samples.size(), result.lagFrames, result.maxDifference, result.snrDb);
    EXPECT_LE(result.maxDifference, c.maxDifference);
    if (c.minSnrDb > 0) {
      EXPECT_GE(result.snrDb, c.minSnrDb);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, StreamReference, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           std::string name = info.param.file;
                           for (char& ch : name) {
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           }
                           return name;
                         });

}  // namespace
