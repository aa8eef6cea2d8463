// The Ogg Vorbis encoder the converter links in, checked against oggdec.
#include <gtest/gtest.h>

#include <cstring>

#include "host/codecs/ogg_encode_api.h"
#include "host/memory/memory_api.h"
#include "tests/support/file_bytes.h"
#include "tests/support/pcm_signal.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

WAVEFORMATEX Pcm(WORD channels, DWORD rate) {
  WAVEFORMATEX format{WAVE_FORMAT_PCM, channels, rate, rate * channels * 2u, static_cast<WORD>(channels * 2), 16, 0};
  return format;
}

std::vector<std::uint8_t> Encode(float quality, const WAVEFORMATEX& format, const std::vector<std::uint8_t>& pcm) {
  DWORD size = static_cast<DWORD>(pcm.size());
  void* file = GetOggEncodeProcessMemory(quality, &format, pcm.data(), &size);
  if (file == nullptr) {
    EXPECT_EQ(size, 0u);
    return {};
  }
  const auto* bytes = static_cast<const std::uint8_t*>(file);
  std::vector<std::uint8_t> out(bytes, bytes + size);
  LocalFree(file);
  return out;
}

TEST(OggEncoder, WholeFileDecodesToTheInputLengthAndTone) {
  ScopedTempDir dir("ogg_encoder");
  struct Case {
    WORD channels;
    DWORD rate;
  } cases[] = {{2, 44100}, {1, 22050}};
  for (const Case& c : cases) {
    const std::size_t frames = c.rate + 123;
    const auto samples = pcm_signal::Tones(std::vector<double>(c.channels, 1000.0), static_cast<int>(c.rate), frames, 0.5);
    const auto file = Encode(0.6f, Pcm(c.channels, c.rate), pcm_signal::Bytes(samples));
    ASSERT_GT(file.size(), 58u);
    EXPECT_EQ(std::memcmp(file.data(), "OggS", 4), 0);
    // The identification header: packet type 1, "vorbis", version, channels, rate.
    EXPECT_EQ(std::memcmp(file.data() + 28, "\x01vorbis", 7), 0);
    EXPECT_EQ(file[39], c.channels);
    EXPECT_EQ(file[40] | (file[41] << 8) | (file[42] << 16), static_cast<int>(c.rate));
    dir.WriteFile("track.ogg", file);
    ASSERT_TRUE(pcm_signal::Run("oggdec -Q -R -b 16 -e 0 -s 1 -o " + dir.HostPath("track.raw") + " " +
                                dir.HostPath("track.ogg")));
    const auto decoded = pcm_signal::Samples(ReadFileBytes(dir.HostPath("track.raw")));
    EXPECT_EQ(decoded.size(), samples.size());
    EXPECT_GT(pcm_signal::SnrDb(pcm_signal::Channel(decoded, c.channels, 0), pcm_signal::Channel(samples, c.channels, 0)),
              30.0);
  }
}

TEST(OggEncoder, EqualInputGivesEqualBytes) {
  const auto pcm = pcm_signal::Bytes(pcm_signal::Tones({700.0, 900.0}, 44100, 20000, 0.3));
  const auto first = Encode(0.3f, Pcm(2, 44100), pcm);
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(Encode(0.3f, Pcm(2, 44100), pcm), first);
}

TEST(OggEncoder, RefusesFormatsQualitiesAndStops) {
  const auto pcm = pcm_signal::Bytes(pcm_signal::Tones({700.0}, 22050, 20000, 0.3));
  WAVEFORMATEX eightBit = Pcm(1, 22050);
  eightBit.wBitsPerSample = 8;
  EXPECT_TRUE(Encode(0.5f, eightBit, pcm).empty());
  EXPECT_TRUE(Encode(0.5f, Pcm(3, 22050), pcm).empty());
  EXPECT_TRUE(Encode(0.5f, Pcm(1, 4000), pcm).empty());
  EXPECT_TRUE(Encode(1.5f, Pcm(1, 22050), pcm).empty());
  EXPECT_FALSE(Encode(-0.1f, Pcm(1, 22050), pcm).empty());
  EXPECT_FALSE(Encode(1.0f, Pcm(1, 22050), pcm).empty());

  int asked = 0;
  DWORD size = static_cast<DWORD>(pcm.size());
  const WAVEFORMATEX format = Pcm(1, 22050);
  const auto stopAtThird = [](void* context) { return ++*static_cast<int*>(context) == 3; };
  EXPECT_EQ(GetOggEncodeProcessMemory(0.5f, &format, pcm.data(), &size, stopAtThird, &asked), nullptr);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(asked, 3);
}

}  // namespace
