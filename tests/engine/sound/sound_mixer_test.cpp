// The mixer on the manual device under the virtual clock, with the fake Ogg
// plug-in producing known PCM: what reaches the device (the device's WAV
// capture) is checked against a mix computed here.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "engine/archive/archive_reader.h"
#include "engine/sound/sound_mixer.h"
#include "host/audio/audio_backend.h"
#include "host/time/time_api.h"
#include "tests/engine/sound/sound_test_support.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

constexpr std::size_t kWaveHeader = 44;

class MixerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostClockSetMode(HostClockMode::Virtual);
    HostAudioSetDevice(HostAudioDevice::Manual);
    HostAudioSetCapture(dir.HostPath("capture.wav"));
  }
  void TearDown() override {
    mixer.reset();
    HostAudioSetCapture("");
    HostWaveOutFailOpens(0);
  }

  void AddSound(const std::string& file, const FakeSound& sound) { dir.WriteFile(file, FakeImage(sound)); }
  int Play(int slot, const char* name, int volume = 100, int loop = 0, int startNow = 1) {
    return mixer->Play(slot, name, dir.EnginePath(""), nullptr, volume, 0, loop, startNow, 1);
  }
  // Lets the device play ms of sound, every refill on its way.
  void PlayFor(DWORD ms) {
    for (DWORD t = 0; t < ms; t += 10) {
      HostClockAdvance(10);
      HostWaveOutSettle();
    }
  }
  // The samples captured, once the mixer is closed.
  std::vector<std::int16_t> Capture() {
    mixer->Close();
    const std::vector<std::uint8_t> bytes = ReadFileBytes(dir.HostPath("capture.wav"));
    std::vector<std::int16_t> samples(bytes.size() > kWaveHeader ? (bytes.size() - kWaveHeader) / 2 : 0);
    if (!samples.empty()) std::memcpy(samples.data(), bytes.data() + kWaveHeader, samples.size() * 2);
    return samples;
  }

  FakeOggPlugin fake;
  ScopedTempDir dir{"mixer"};
  std::unique_ptr<CSoundMixer> mixer = std::make_unique<CSoundMixer>();
};

// Output frame i of a sound on a device at outRate, as the mixer should make it.
std::int16_t ExpectedSample(const FakeSound& s, std::uint32_t outRate, std::uint32_t volume, std::size_t index) {
  const std::size_t frame = index / 2;
  const int side = static_cast<int>(index % 2);
  std::size_t source = frame;
  if (outRate == 22050 && s.rate == 44100) source = frame * 2;
  if (outRate != 22050 && s.rate == 22050) source = frame / 2;
  if (source >= s.frames) return 0;
  std::int32_t sample = FakeSample(s, static_cast<std::uint32_t>(source), s.channels == 1 ? 0 : side);
  const std::int32_t scale = static_cast<std::int32_t>(volume * 256 / 100);
  if (scale < 256) sample = (sample * scale) >> 8;
  return static_cast<std::int16_t>(sample);
}

struct MixCase {
  const char* what;
  std::uint32_t deviceRate;
  std::uint32_t sourceRate;
  std::uint16_t channels;
  std::uint32_t volume;
};

TEST_F(MixerTest, ConvertsRatesAndChannelsAndScalesVolume) {
  const MixCase cases[] = {
      {"44,100 Hz stereo on 22,050: every second frame", 22050, 44100, 2, 100},
      {"22,050 Hz stereo on 44,100: each frame twice", 44100, 22050, 2, 100},
      {"mono on both sides", 22050, 22050, 1, 100},
      {"mono 22,050 on 44,100", 44100, 22050, 1, 100},
      {"volume 50: scale 128", 22050, 22050, 2, 50},
      {"volume 33", 44100, 44100, 2, 33},
      {"11,025 Hz taken frame for frame (double speed)", 22050, 11025, 2, 100},
  };
  for (const MixCase& c : cases) {
    SCOPED_TRACE(c.what);
    mixer = std::make_unique<CSoundMixer>();
    FakeSound sound;
    sound.rate = c.sourceRate;
    sound.channels = c.channels;
    sound.frames = 200000;
    sound.seed = 5;
    AddSound("tone.ogg", sound);
    ASSERT_EQ(mixer->Open(c.deviceRate, 0), c.deviceRate);
    ASSERT_EQ(Play(0, "tone", static_cast<int>(c.volume)), 1);
    PlayFor(1000);
    const std::vector<std::int16_t> captured = Capture();
    const std::size_t bufferSamples = mixer->GetBufferBytes() / 2;
    // Three silent buffers were queued before the sound started.
    ASSERT_GT(captured.size(), 7 * bufferSamples);
    for (std::size_t i = 0; i < 3 * bufferSamples; ++i) ASSERT_EQ(captured[i], 0) << i;
    for (std::size_t i = 0; i < 4 * bufferSamples; ++i) {
      ASSERT_EQ(captured[3 * bufferSamples + i], ExpectedSample(sound, c.deviceRate, c.volume, i)) << i;
    }
  }
}

TEST_F(MixerTest, LoudChannelsClampAtTheSixteenBitLimits) {
  FakeSound loud;
  loud.frames = 100000;
  loud.amplitude = 30000;
  AddSound("a.ogg", loud);
  AddSound("b.ogg", loud);
  mixer->Open(22050, 0);
  ASSERT_EQ(Play(10, "a"), 1);
  ASSERT_EQ(Play(11, "b"), 1);
  PlayFor(700);
  const std::vector<std::int16_t> captured = Capture();
  const std::size_t start = 3 * mixer->GetBufferBytes() / 2;
  int clampedHigh = 0, clampedLow = 0;
  for (std::size_t i = 0; i < 2 * mixer->GetBufferBytes() / 2; ++i) {
    const std::int32_t sum = 2 * ExpectedSample(loud, 22050, 100, i);
    ASSERT_EQ(captured[start + i], std::clamp(sum, -32768, 32767)) << i;
    clampedHigh += sum > 32767;
    clampedLow += sum < -32768;
  }
  EXPECT_GT(clampedHigh, 0);
  EXPECT_GT(clampedLow, 0);
}

TEST_F(MixerTest, PositionCountsFromTheFirstBufferThatReachesTheDevice) {
  FakeSound sound;
  sound.frames = 22050 * 10;
  AddSound("bgm.ogg", sound);
  mixer->Open(22050, 0);
  EXPECT_EQ(mixer->GetPlayPosition(0), -1);
  ASSERT_EQ(Play(0, "bgm", 100, 1), 1);
  EXPECT_EQ(mixer->GetPlayPosition(0), 0);
  // Two refills queue the sound behind the silent buffers: still 0.
  PlayFor(300);
  EXPECT_EQ(mixer->GetPlayPosition(0), 0);
  // The third refill is when its first buffer begins to play.
  PlayFor(100);
  PlayFor(500);
  const std::int32_t position = mixer->GetPlayPosition(0);
  const std::int32_t sinceFirstBuffer = static_cast<std::int32_t>(900 - 3 * 10240 * 1000 / 88200);
  EXPECT_NEAR(position, sinceFirstBuffer, 130);
  EXPECT_GT(position, 0);
}

TEST_F(MixerTest, AnEndedSoundStaysIdleInItsSlotUntilTheNextPlay) {
  FakeSound shortSound;
  shortSound.frames = 3000;
  AddSound("se.ogg", shortSound);
  mixer->Open(22050, 0);
  ASSERT_EQ(Play(10, "se"), 1);
  PlayFor(800);
  CSoundChannel* ended = mixer->GetChannel(10);
  ASSERT_NE(ended, nullptr);
  EXPECT_EQ(ended->state, kChannelIdle);
  EXPECT_EQ(mixer->GetPlayPosition(10), -1);
  // The next Play frees it first.
  ASSERT_EQ(Play(10, "se"), 1);
  EXPECT_NE(mixer->GetChannel(10), nullptr);
  EXPECT_EQ(mixer->GetChannel(10)->state, kChannelPlaying);
}

TEST_F(MixerTest, FadesFollowTheClockAndAFadeOutOfZeroFreesAtTheNextRefill) {
  FakeSound sound;
  sound.frames = 22050 * 20;
  AddSound("bgm.ogg", sound);
  mixer->Open(22050, 0);
  ASSERT_EQ(mixer->Play(0, "bgm", dir.EnginePath(""), nullptr, 80, 1000, 1, 1, 1), 1);
  EXPECT_EQ(mixer->GetChannel(0)->fadeIn, 1u);
  PlayFor(500);
  const std::uint32_t halfWay = mixer->GetChannel(0)->volume;
  EXPECT_GT(halfWay, 20u);
  EXPECT_LT(halfWay, 60u);
  PlayFor(700);
  EXPECT_EQ(mixer->GetChannel(0)->volume, 80u);
  EXPECT_EQ(mixer->GetChannel(0)->fadeIn, 0u);
  mixer->FadeOut(0, 0);
  PlayFor(130);
  EXPECT_EQ(mixer->GetChannel(0), nullptr);
}

TEST_F(MixerTest, SuspendAndResumeKeepChannelsAndContinueWhereTheyWere) {
  FakeSound sound;
  sound.frames = 22050 * 20;
  AddSound("bgm.ogg", sound);
  mixer->Open(22050, 0);
  ASSERT_EQ(Play(0, "bgm"), 1);
  PlayFor(600);
  mixer->Suspend();
  EXPECT_NE(mixer->GetChannel(0), nullptr);
  PlayFor(300);
  mixer->Resume();
  EXPECT_EQ(mixer->GetBufferBytes(), 10240u);
  PlayFor(800);
  // Each device's capture restarts with the reopening; the second holds three
  // silent buffers, then the sound from where the first device left it.
  const std::vector<std::int16_t> captured = Capture();
  const std::size_t buffer = 10240 / 2;
  ASSERT_GT(captured.size(), 6 * buffer);
  for (std::size_t i = 0; i < 3 * buffer; ++i) ASSERT_EQ(captured[i], 0);
  // What follows the silence is the sound from a whole buffer on, later than
  // the start: the first device's last refills were not lost or repeated.
  auto continuesAt = [&](std::size_t frame) {
    for (std::size_t i = 0; i < 2 * buffer; ++i) {
      if (captured[3 * buffer + i] != ExpectedSample(sound, 22050, 100, frame * 2 + i)) return false;
    }
    return true;
  };
  std::size_t resumedAt = 0;
  for (std::size_t frame = buffer / 2; frame < 22050 * 2 && !resumedAt; frame += buffer / 2) {
    if (continuesAt(frame)) resumedAt = frame;
  }
  EXPECT_GE(resumedAt, 4 * buffer / 2) << "600 ms of refills came before the suspension";
}

TEST_F(MixerTest, StopsAndCloseNeverWaitForARefillThatCannotCome) {
  FakeSound sound;
  sound.frames = 22050 * 20;
  AddSound("bgm.ogg", sound);
  // Never opened.
  ASSERT_EQ(Play(0, "bgm"), 1);
  mixer->StopChannel(0);
  EXPECT_EQ(mixer->GetChannel(0), nullptr);
  // Suspended.
  mixer->Open(22050, 0);
  ASSERT_EQ(Play(0, "bgm"), 1);
  ASSERT_EQ(Play(20, "bgm"), 1);
  mixer->Suspend();
  ASSERT_EQ(Play(0, "bgm"), 1) << "Play into an occupied slot while suspended";
  mixer->StopChannel(0);
  EXPECT_EQ(mixer->GetChannel(0), nullptr);
  // Close while suspended frees the rest.
  mixer->Close();
  EXPECT_EQ(mixer->GetChannel(20), nullptr);
  // Both opens failing leaves a silent mixer whose channels still work.
  mixer = std::make_unique<CSoundMixer>();
  HostWaveOutFailOpens(2);
  EXPECT_EQ(mixer->Open(44100, 0), 22050u);
  ASSERT_EQ(Play(0, "bgm"), 1);
  mixer->StopAll();
  EXPECT_EQ(mixer->GetChannel(0), nullptr);
  // One failing open: the retry at 22,050 Hz plays.
  mixer = std::make_unique<CSoundMixer>();
  HostWaveOutFailOpens(1);
  EXPECT_EQ(mixer->Open(44100, 1), 22050u);
  EXPECT_EQ(mixer->GetBufferBytes(), 5120u);
}

TEST_F(MixerTest, BadSlotsNamesAndFormatsAreRefused) {
  FakeSound sound;
  sound.frames = 1000;
  AddSound("ok.ogg", sound);
  FakeSound sixChannels = sound;
  sixChannels.channels = 6;
  AddSound("six.ogg", sixChannels);
  mixer->Open(22050, 0);
  EXPECT_EQ(Play(64, "ok"), 0);
  EXPECT_EQ(Play(-1, "ok"), 0);
  mixer->StopChannel(64);
  EXPECT_EQ(mixer->GetChannel(64), nullptr);
  EXPECT_EQ(mixer->GetPlayPosition(99), -1);
  EXPECT_EQ(Play(1, "missing"), 0);
  EXPECT_EQ(Play(1, "six"), 0);
  EXPECT_EQ(Play(1, std::string(64, 'n').c_str()), 0);
  // An archive entry name with its extension must fit 64 bytes.
  CArchiveReader archive;
  const std::string sixty(60, 'n');
  EXPECT_EQ(mixer->Play(1, sixty.c_str(), dir.EnginePath("se.mlz"), &archive, 100, 0, 0, 1, 0), 0);
  EXPECT_EQ(Play(1, "ok"), 1);
}

// Only the sound's own name takes the extension: a dot in the folders above it
// is part of the path.
TEST_F(MixerTest, ALooseSoundIsFoundInAFolderWithADotInItsPath) {
  FakeSound sound;
  sound.frames = 1000;
  AddSound("data.d/bgm/00.ogg", sound);
  mixer->Open(22050, 0);
  const std::string folder = dir.EnginePath("data.d/bgm/");
  EXPECT_EQ(mixer->Play(0, "00", folder, nullptr, 100, 0, 0, 1, 1), 1);
  EXPECT_EQ(mixer->Play(1, "00.mp3", folder, nullptr, 100, 0, 0, 1, 1), 1);
  EXPECT_EQ(mixer->Play(2, "01", folder, nullptr, 100, 0, 0, 1, 1), 0);
}

}  // namespace
