// The window build's sound path: SDL's audio thread pulls what wave-out hands
// the SDL device. Under SDL's file-writing driver the bytes SDL received are
// compared with the manual device's capture of the same run.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "engine/sound/sound_mixer.h"
#include "host/audio/audio_backend.h"
#include "host/time/time_api.h"
#include "tests/engine/sound/sound_test_support.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

constexpr std::size_t kWaveHeader = 44;
constexpr std::size_t kFrameBytes = 4;  // 16-bit stereo
constexpr std::size_t kBytesPerSecond = 22050 * kFrameBytes;

std::string EngineFolder(std::string folder) {
  std::replace(folder.begin(), folder.end(), '/', '\\');
  return folder;
}

// Looping music and an effect, started right after the device opens.
void PlaySounds(CSoundMixer& mixer) {
  ASSERT_EQ(mixer.Open(22050, 0), 22050u);
  const std::string folder = EngineFolder(kSoundFixtures);
  ASSERT_EQ(mixer.Play(0, "sine44_stereo", folder.c_str(), nullptr, 100, 0, 1, 1, 0), 1);
  ASSERT_EQ(mixer.Play(10, "sine22_mono", folder.c_str(), nullptr, 60, 0, 0, 1, 0), 1);
}

bool IsSilentFrame(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                     bytes.begin() + static_cast<std::ptrdiff_t>(at + kFrameBytes), [](std::uint8_t b) { return !b; });
}

// The offset of the first sample frame that is not silent, or the size.
std::size_t FirstSound(const std::vector<std::uint8_t>& bytes) {
  for (std::size_t at = 0; at + kFrameBytes <= bytes.size(); at += kFrameBytes) {
    if (!IsSilentFrame(bytes, at)) return at;
  }
  return bytes.size();
}

// Just past the last sample frame that is not silent; 0 when all are.
std::size_t LastSoundEnd(const std::vector<std::uint8_t>& bytes) {
  std::size_t end = bytes.size() / kFrameBytes * kFrameBytes;
  while (end >= kFrameBytes && IsSilentFrame(bytes, end - kFrameBytes)) end -= kFrameBytes;
  return end;
}

class SdlDiskCaptureTest : public ::testing::Test {
 protected:
  void TearDown() override {
    HostAudioSetDevice(HostAudioDevice::Manual);
    HostAudioSetCapture("");
    HostClockSetMode(HostClockMode::Real);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("SDL_DISKAUDIOFILE");
  }

  RealPlugins plugins;
  ScopedTempDir dir{"sdl_disk_"};
};

TEST_F(SdlDiskCaptureTest, SdlReceivesTheBytesTheManualDeviceCaptures) {
  ASSERT_TRUE(plugins.Loaded());
  // The manual device on the virtual clock: 1.5 s played, captured.
  HostClockSetMode(HostClockMode::Virtual);
  HostAudioSetDevice(HostAudioDevice::Manual);
  HostAudioSetCapture(dir.HostPath("manual.wav"));
  {
    CSoundMixer mixer;
    PlaySounds(mixer);
    for (int t = 0; t < 1500; t += 10) {
      HostClockAdvance(10);
      HostWaveOutSettle();
    }
    mixer.Close();
  }
  HostAudioSetCapture("");

  // The same run on SDL's disk driver, in real time; SDL writes silence
  // before the first buffer arrives and after the device runs dry.
  HostClockSetMode(HostClockMode::Real);
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", dir.HostPath("sdl.raw").c_str(), 1);
  HostAudioSetDevice(HostAudioDevice::Sdl);
  {
    CSoundMixer mixer;
    PlaySounds(mixer);
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    mixer.Close();
  }

  const std::vector<std::uint8_t> wave = ReadFileBytes(dir.HostPath("manual.wav"));
  const std::vector<std::uint8_t> sdl = ReadFileBytes(dir.HostPath("sdl.raw"));
  ASSERT_GT(wave.size(), kWaveHeader + kBytesPerSecond);
  ASSERT_GT(sdl.size(), kBytesPerSecond) << "SDL's disk driver wrote no file";
  const std::vector<std::uint8_t> manual(wave.begin() + kWaveHeader, wave.end());

  // Aligned at the first sound, SDL's bytes up to its last sound are the
  // capture's, byte for byte (most of the SDL run's 1.2 s).
  const std::size_t manualStart = FirstSound(manual);
  const std::size_t sdlStart = FirstSound(sdl);
  ASSERT_LT(manualStart, manual.size());
  ASSERT_GE(sdlStart, manualStart);
  const std::size_t offset = sdlStart - manualStart;
  const std::size_t sdlEnd = LastSoundEnd(sdl);
  const std::size_t compared = sdlEnd - offset;
  ASSERT_GE(compared, kBytesPerSecond * 8 / 10);
  ASSERT_LE(compared, manual.size());
  std::size_t firstDifference = compared;
  for (std::size_t i = 0; i < compared && firstDifference == compared; ++i) {
    if (sdl[offset + i] != manual[i]) firstDifference = i;
  }
  EXPECT_EQ(firstDifference, compared) << "of " << compared << " bytes compared";
}

}  // namespace
