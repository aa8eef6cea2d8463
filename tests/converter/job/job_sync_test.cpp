// Picture and sound stay together through a conversion: a source with one
// white frame and a click at the same moment is converted, and the time the
// movie clock shows the flash is measured against the time the click is
// heard in the decoded track.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "tests/converter/job/job_test_support.h"
#include "tests/support/file_bytes.h"
#include "tests/support/pcm_signal.h"

namespace job_test {
namespace {

constexpr double kSourceFrameMs = 1000.0 * 1001 / 30000;
constexpr int kFlashFrame = 31;
constexpr std::uint32_t kStep = 2;
// What an MP3 encoder holds back before the first sample: the decoder's 529
// samples and the encoder's 576, as the usual encoders do.
constexpr int kEncoderDelaySamples = 576 + 529;
constexpr std::size_t kWaveHeader = 44;

using JobSync = JobTest;

TEST_F(JobSync, FlashAndClickMeetWithinAMovieFrameAndTheEncoderDelay) {
  const double flashSeconds = kFlashFrame * kSourceFrameMs / 1000;
  const std::string flash = "color=black:size=320x240:rate=30000/1001,drawbox=c=white:t=fill:enable=eq(n\\," +
                            std::to_string(kFlashFrame) + ")";
  const std::string click = "aevalsrc=if(between(t\\," + std::to_string(flashSeconds) + "\\," +
                            std::to_string(flashSeconds + 0.002) + ")\\,0.9\\,0):s=44100";
  const std::string input = MakeStream(dir_.HostPath("sync.mpg"), flash, click,
                                       "-t 2 -c:v mpeg1video -q:v 2 -c:a mp2 -ac 2 -b:a 192k -f mpeg");
  ASSERT_FALSE(input.empty());
  auto job = Job(input, true);
  job->Run();
  ASSERT_EQ(job->m_video.status, reelpack::VideoPassStatus::Written) << job->m_video.text;

  // The first movie frame showing the flash, and when the clock shows it.
  const std::vector<std::uint8_t> movie = OutBytes("sync.rzm2");
  const std::uint32_t rate = Word(movie, 0x0C);
  const std::uint32_t timeBase = Word(movie, 0x10);
  ASSERT_EQ(timeBase, 1001 * kStep);
  int flashFrame = -1;
  for (std::uint32_t i = 0; i < Word(movie, 0x08) && flashFrame < 0; ++i) {
    const DecodedFrame frame = DecodeRecord(MovieRecord(movie, i));
    ASSERT_FALSE(frame.pixels.empty()) << i;
    if ((frame.At(frame.width / 2, frame.height / 2) >> 11) > 24) flashFrame = static_cast<int>(i);
  }
  ASSERT_EQ(flashFrame, static_cast<int>(kFlashFrame / kStep));
  const double flashShownMs = 1000.0 * flashFrame * timeBase / rate;

  // The click in the track as a decoder gives it.
  const std::string wave = dir_.HostPath("sync.wav");
  ASSERT_TRUE(pcm_signal::Run("mpg123 -q -w '" + wave + "' '" + Out("sync.mp3") + "'"));
  const std::vector<std::uint8_t> bytes = ReadFileBytes(wave);
  ASSERT_GT(bytes.size(), kWaveHeader);
  const std::uint32_t sampleRate = Word(bytes, 24);
  const std::uint32_t channels = bytes[22];
  std::vector<std::int16_t> samples((bytes.size() - kWaveHeader) / 2);
  std::memcpy(samples.data(), bytes.data() + kWaveHeader, samples.size() * 2);
  std::size_t loud = 0;
  while (loud < samples.size() && std::abs(samples[loud]) < 8000) ++loud;
  ASSERT_LT(loud, samples.size());
  const double clickHeardMs = 1000.0 * static_cast<double>(loud / channels) / sampleRate;

  const double offsetMs = flashShownMs - clickHeardMs;
  const double boundMs = (kStep - 1) * kSourceFrameMs + 1000.0 * kEncoderDelaySamples / sampleRate +
                         1000.0 * timeBase / rate;
  std::printf("flash in source %.1f ms, shown %.1f ms; click heard %.1f ms; offset %.1f ms, bound %.1f ms\n",
              flashSeconds * 1000, flashShownMs, clickHeardMs, offsetMs, boundMs);
  EXPECT_LE(std::abs(offsetMs), boundMs);
}

}  // namespace
}  // namespace job_test
