// The real plug-ins through the mixer on the manual device, as a headless run
// plays them: music from a loose folder, an effect from an ".mlz" archive,
// everything played captured to a WAV file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/archive/archive_reader.h"
#include "engine/sound/sound_mixer.h"
#include "host/audio/audio_backend.h"
#include "host/time/time_api.h"
#include "tests/engine/sound/sound_test_support.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_temp_dir.h"
#include "tools/mlz_pack/mlz_writer.h"

namespace {

constexpr std::size_t kWaveHeader = 44;

class HeadlessCaptureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(plugins.Loaded());
    HostClockSetMode(HostClockMode::Virtual);
    HostAudioSetDevice(HostAudioDevice::Manual);
    // The effect archive holds one name twice, as Ogg and as MP3 of other
    // sounds, so the extension order shows in what plays.
    const std::vector<MlzEntrySource> entries = {
        {"tone.ogg", ReadFileBytes(kSoundFixtures + "sine22_stereo.ogg"), false},
        {"tone.mp3", ReadFileBytes(kSoundFixtures + "silence22.mp3"), false},
        {"beep.mp3", ReadFileBytes(kSoundFixtures + "sine22_mono.mp3"), false},
    };
    const std::vector<std::uint8_t> archive = BuildMlzArchive(entries, '2');
    dir.WriteFile("se.mlz", std::string(archive.begin(), archive.end()));
  }
  void TearDown() override {
    HostAudioSetCapture("");
    HostClockSetMode(HostClockMode::Real);
  }

  // Opens a mixer capturing to name, lets start() begin its sounds, plays
  // one second and returns the samples captured.
  template <typename Start>
  std::vector<std::int16_t> Run(const std::string& name, Start start) {
    HostAudioSetCapture(dir.HostPath(name));
    {
      CSoundMixer mixer;
      EXPECT_EQ(mixer.Open(22050, 0), 22050u);
      start(mixer);
      for (int t = 0; t < 1000; t += 10) {
        HostClockAdvance(10);
        HostWaveOutSettle();
      }
      mixer.Close();
    }
    const std::vector<std::uint8_t> bytes = ReadFileBytes(dir.HostPath(name));
    std::vector<std::int16_t> samples(bytes.size() > kWaveHeader ? (bytes.size() - kWaveHeader) / 2 : 0);
    if (!samples.empty()) std::memcpy(samples.data(), bytes.data() + kWaveHeader, samples.size() * 2);
    return samples;
  }
  int PlayMusic(CSoundMixer& mixer) {
    return mixer.Play(0, "sine44_stereo", EngineFolder(), nullptr, 100, 0, 1, 1, 0);
  }
  int PlayEffect(CSoundMixer& mixer, const char* name, int slot = 10) {
    return mixer.Play(slot, name, dir.EnginePath("se.mlz"), &reader, 100, 0, 0, 1, 0);
  }
  // The fixture folder as the engine names folders.
  static std::string EngineFolder() {
    std::string folder = kSoundFixtures;
    for (char& c : folder) {
      if (c == '/') c = '\\';
    }
    return folder;
  }
  static double Rms(const std::vector<std::int16_t>& samples) {
    double sum = 0;
    for (std::int16_t s : samples) sum += static_cast<double>(s) * s;
    return samples.empty() ? 0 : std::sqrt(sum / static_cast<double>(samples.size()));
  }

  RealPlugins plugins;
  ScopedTempDir dir{"sound_capture_"};
  CArchiveReader reader;
};

TEST_F(HeadlessCaptureTest, MusicAndAnEffectMixIntoTheCapture) {
  const auto music = Run("music.wav", [&](CSoundMixer& m) { ASSERT_EQ(PlayMusic(m), 1); });
  const auto effect = Run("effect.wav", [&](CSoundMixer& m) { ASSERT_EQ(PlayEffect(m, "beep"), 1); });
  const auto both = Run("both.wav", [&](CSoundMixer& m) {
    ASSERT_EQ(PlayMusic(m), 1);
    ASSERT_EQ(PlayEffect(m, "beep"), 1);
  });
  // About a second of 22,050 Hz stereo in every run (the last buffer may
  // still be on its way when the device closes).
  const std::size_t played = 2u * 22050 * 8 / 10;
  ASSERT_GE(music.size(), played);
  ASSERT_GE(effect.size(), played);
  ASSERT_GE(both.size(), played);
  EXPECT_GT(Rms(music), 1000.0);
  EXPECT_GT(Rms(effect), 1000.0);
  // At full volume the mix is the sum of the two (no sample reaches the limit).
  std::size_t differing = 0;
  for (std::size_t i = 0; i < played; ++i) {
    const int sum = music[i] + effect[i];
    ASSERT_LT(std::abs(sum), 32767);
    if (both[i] != sum) ++differing;
  }
  EXPECT_EQ(differing, 0u);
}

TEST_F(HeadlessCaptureTest, TheExtensionOrderDecidesWhichFilePlays) {
  struct Case {
    const char* name;
    std::uint32_t oggFirst;
    bool audible;  // the Ogg entry is the tone, the MP3 entry silence
  };
  const Case cases[] = {
      // A given extension is replaced, so it never pins the file.
      {"tone", 1, true}, {"tone", 0, false}, {"tone", 2, false}, {"tone.mp3", 1, true}, {"tone.ogg", 0, false},
  };
  int run = 0;
  for (const Case& c : cases) {
    const auto captured = Run("order" + std::to_string(run++) + ".wav", [&](CSoundMixer& m) {
      m.SetOggFirst(c.oggFirst);
      ASSERT_EQ(PlayEffect(m, c.name), 1);
    });
    EXPECT_EQ(Rms(captured) > 1000.0, c.audible) << c.name << " with Ogg first " << c.oggFirst;
  }
  const auto missing = Run("missing.wav", [&](CSoundMixer& m) { EXPECT_EQ(PlayEffect(m, "absent"), 0); });
  EXPECT_EQ(Rms(missing), 0.0);
}

}  // namespace
