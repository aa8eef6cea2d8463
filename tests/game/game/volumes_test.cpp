// The channel volumes the settings and the sound records give.
#include <gtest/gtest.h>

#include "engine/shell/fake_ports.h"
#include "engine/shell/shell_fixture.h"
#include "game/game.h"

namespace {

class VolumeTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    engine.mixer = std::make_unique<RecordingMixer>();
    engine.options[MASTER_VOL] = 80;
    engine.options[MUSIC_VOL] = 50;
    engine.options[VOICE_VOL] = 90;
    engine.options[SE_VOL] = 70;
    engine.options[MOV_VOL] = 40;
    HostCallLogTake();
  }
  std::vector<std::string> Apply(std::uint32_t category, std::uint32_t volume) {
    game.ApplyVolumes(category, volume);
    return Only(HostCallLogTake(), {"Volume"});
  }
  static void SetPlaying(SoundRecord& record, std::uint32_t level) {
    record.playing = 1;
    record.level = level;
  }
  CGameEngine engine;
  CGame game{engine};
};

TEST_F(VolumeTest, EachCategoryTouchesItsChannels) {
  using Log = std::vector<std::string>;
  // Nothing playing: master reaches only the voice channel.
  EXPECT_EQ(Apply(0, 80), (Log{"Volume 20=72"}));
  SetPlaying(game.sound.music, 90);
  SetPlaying(game.sound.effects[1], 30);
  EXPECT_EQ(Apply(0, 80), (Log{"Volume 0=36", "Volume 11=16", "Volume 20=72"}));
  EXPECT_EQ(Apply(1, 50), (Log{"Volume 0=36"}));
  EXPECT_EQ(Apply(2, 33), (Log{"Volume 20=26"}));
  EXPECT_EQ(Apply(3, 70), (Log{"Volume 11=16"}));
  EXPECT_EQ(Apply(4, 40), Log{});
  EXPECT_EQ(Apply(5, 40), Log{});
}

TEST_F(VolumeTest, MovieOwnsTheMusicChannelWhilePlaying) {
  engine.backBuffer->AttachMovie(std::make_unique<CMoviePlayer>());
  SetPlaying(game.sound.music, 90);
  using Log = std::vector<std::string>;
  EXPECT_EQ(Apply(0, 80), (Log{"Volume 0=32", "Volume 20=72"}));
  EXPECT_EQ(Apply(1, 50), Log{});
  EXPECT_EQ(Apply(4, 40), (Log{"Volume 0=32"}));
}

}  // namespace
