// Thousands of mixer calls from the main thread against a running device
// thread on the real clock: no deadlock, no lost channel, and (in the
// sanitizer builds) no race or bad access.
#include <gtest/gtest.h>

#include <random>

#include "engine/sound/sound_mixer.h"
#include "host/audio/audio_backend.h"
#include "host/time/time_api.h"
#include "tests/engine/sound/sound_test_support.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

TEST(MixerSoak, ManyCallsAgainstARunningDevice) {
  HostClockSetMode(HostClockMode::Real);
  HostAudioSetDevice(HostAudioDevice::Manual);
  FakeOggPlugin fake;
  ScopedTempDir dir("mixer_soak");
  FakeSound sound;
  sound.frames = 4000;
  dir.WriteFile("se.ogg", FakeImage(sound));
  sound.frames = 22050 * 30;
  dir.WriteFile("bgm.ogg", FakeImage(sound));
  const std::string folder = dir.EnginePath("");
  CSoundMixer mixer;
  // Small buffers: a refill every 58 ms.
  mixer.Open(22050, 1);
  std::mt19937 random(1234);
  const int slots[] = {0, 10, 11, 12, 13, 20};
  for (int call = 0; call < 3000; ++call) {
    const int slot = slots[random() % 6];
    switch (random() % 10) {
      case 0:
      case 1:
        mixer.Play(slot, slot == 0 ? "bgm" : "se", folder, nullptr, static_cast<int>(random() % 101),
                   random() % 2 ? 0 : 200, static_cast<int>(random() % 2), 1, 1);
        break;
      case 2:
        if (random() % 20 == 0) mixer.StopChannel(slot);
        break;
      case 3:
        mixer.FadeOut(slot, static_cast<std::uint32_t>(random() % 3) * 50);
        break;
      case 4:
        mixer.FadeIn(slot, 100);
        break;
      case 5:
        mixer.SetSlotVolume(slot, static_cast<std::uint32_t>(random() % 120));
        break;
      case 6:
        mixer.GetPlayPosition(slot);
        break;
      case 7:
        if (random() % 50 == 0) {
          mixer.Suspend();
          mixer.Resume();
        }
        break;
      default:
        mixer.SetChannelVolume(mixer.GetChannel(slot), 70);
        break;
    }
    if (call % 50 == 0) Sleep(1);
  }
  mixer.Suspend();
  mixer.Close();
  for (int slot : slots) EXPECT_EQ(mixer.GetChannel(slot), nullptr);
}

}  // namespace
