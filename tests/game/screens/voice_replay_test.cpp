// Voice replay from the window's bar and from the backlog, on the engine's
// mixer with the real decoders: the voice channel (slot 20) takes the voice
// at the replay level 10 of the voice and master volumes, whatever the
// speaker's own level, and also while voices are switched off.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/sound/decoder_plugins.h"
#include "engine/sound/sound_channel.h"
#include "engine/shell/scene_state.h"
#include "host/module/module_api.h"
#include "tests/game/screens/screen_fixture.h"

namespace {

constexpr int kVoiceSlot = 20;

class VoiceReplayTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    HostSetModulePath(NOVEL_BINARY_DIR "/bin/novel_ce5");
    LoadMp3Plugin();
    LoadOggPlugin();
    engine->voiceArchive = NOVEL_TEST_DATA_DIR "/game/voice.mlz";
    engine->options[MASTER_VOL] = 50;
    engine->options[VOICE_VOL] = 80;
    engine->options[CHAR_VOICE_01] = 3;
    game->frames.BuildWindowFrame(0);
    game->frames.ShowMessageWindow(1);
    engine->sceneState = SCENE_GAME;
  }
  void TearDown() override {
    engine->mixer->StopAll();
    FreeMp3Plugin();
    FreeOggPlugin();
    HostSetModulePath("");
    ScreenTest::TearDown();
  }
  // The name and volume of what the voice channel holds ("" when nothing).
  std::string VoiceName() {
    CSoundChannel* channel = engine->mixer->GetChannel(kVoiceSlot);
    return channel != nullptr ? channel->name : "";
  }
  std::uint32_t VoiceVolume() {
    CSoundChannel* channel = engine->mixer->GetChannel(kVoiceSlot);
    return channel != nullptr ? channel->baseVolume : 0;
  }
  static constexpr std::uint32_t kReplayVolume = 80 * 50 * 10 / 1000;
};

TEST_F(VoiceReplayTest, TheBarsFirstButtonReplaysThePagesVoice) {
  ASSERT_TRUE(Mp3PluginReady() && OggPluginReady());
  for (std::uint32_t voicesOn : {1u, 0u}) {
    SCOPED_TRACE(voicesOn);
    engine->options[VOICE_PLAY] = voicesOn;
    engine->mixer->StopAll();
    std::strcpy(game->sound.voice.name, "v002");
    game->sound.voice.speaker = 0;
    Tap(124 + 10, 590);
    EXPECT_EQ(game->HandleWindowButtons(), -1);
    EXPECT_EQ(VoiceName(), "");
    Tap(124 + 10, 590);
    EXPECT_EQ(game->HandleWindowButtons(), 0);
    EXPECT_EQ(VoiceName().rfind("v002", 0), 0u) << VoiceName();
    EXPECT_EQ(VoiceVolume(), kReplayVolume);
  }
}

TEST_F(VoiceReplayTest, TheBacklogsSecondTapReplaysTheRowsVoice) {
  ASSERT_TRUE(Mp3PluginReady() && OggPluginReady());
  game->backlog.AddBacklogEntry("v001", "spk", "first");
  game->backlog.AddBacklogEntry("", "spk", "second");
  game->backlog.AddBacklogEntry("v002", "spk", "third");
  for (std::uint32_t voicesOn : {1u, 0u}) {
    SCOPED_TRACE(voicesOn);
    engine->options[VOICE_PLAY] = voicesOn;
    engine->mixer->StopAll();
    game->SetupBacklogScreen();
    engine->sceneState = SCENE_BACKLOG;
    for (const char* expected : {"v001", "v002"}) {
      const std::int32_t row = expected[3] == '1' ? 0 : 2;
      Tap(100, 110 * row + 60);
      Frame();
      EXPECT_EQ(VoiceName().rfind(expected, 0) == 0, false) << "a first tap only highlights";
      Tap(100, 110 * row + 60);
      Frame();
      EXPECT_EQ(VoiceName().rfind(expected, 0), 0u) << VoiceName();
      EXPECT_EQ(VoiceVolume(), kReplayVolume);
    }
    Press(ACTION_CANCEL);
    Frame();
    ASSERT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_GAME));
  }
}

}  // namespace
