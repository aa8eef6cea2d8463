#include "game/sound/sound_commands.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/shell/game_engine.h"
#include "engine/shell/shell_fixture.h"
#include "game/input_actions.h"

namespace {

using Log = std::vector<std::string>;

// The mixer and movie calls, one line each.
struct RecordingOutput : SoundOutput {
  explicit RecordingOutput(Log& log) : log_(log) {}
  int Play(int slot, const char* name, const std::string& folder, CArchiveReader* archive, int volume,
           std::uint32_t fadeInMs, int loop, int readWhole) override {
    log_.push_back("Play " + std::to_string(slot) + " " + name + " from " + folder + (archive ? " (archive)" : "") +
                   " vol " + std::to_string(volume) + " fade " + std::to_string(fadeInMs) + " loop " +
                   std::to_string(loop) + " whole " + std::to_string(readWhole));
    return 1;
  }
  void Stop(int slot) override { log_.push_back("Stop " + std::to_string(slot)); }
  void FadeOut(int slot, std::uint32_t ms) override {
    log_.push_back("FadeOut " + std::to_string(slot) + " " + std::to_string(ms));
  }
  int StartMovie(const char* name) override {
    log_.push_back(std::string("StartMovie ") + name);
    return movieResult;
  }
  void StopMovie() override { log_.push_back("StopMovie"); }

  int movieResult = 0;
  Log& log_;
};

class SoundCommandsTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    engine.bgmFolder = "D:\\data\\bgm\\";
    engine.soundEffectArchive = "D:\\data\\se.mlz";
    engine.voiceArchive = "D:\\data\\voice.mlz";
    ConfigOptions& o = engine.options;
    o[MASTER_VOL] = 80;
    o[MUSIC_VOL] = 50;
    o[SE_VOL] = 70;
    o[VOICE_VOL] = 90;
    o[MOV_VOL] = 40;
    o[PCM] = 1;
    o[SE_PLAY] = 1;
    o[VOICE_PLAY] = 1;
    o[MEM_STREAM] = 0;
    o[MANA_VOICE_CUT] = 0;
    for (int k = 0; k < 9; ++k) o[static_cast<ConfigWord>(CHAR_VOICE_01 + k)] = static_cast<std::uint32_t>(k + 1);
  }
  Log Take() {
    Log taken;
    taken.swap(log);
    return taken;
  }

  CGameEngine engine;
  Log log;
  RecordingOutput* output = new RecordingOutput(log);
  CSoundCommands sound{engine, std::unique_ptr<SoundOutput>(output)};
};

TEST_F(SoundCommandsTest, MusicPlaysOnceAndReplacesWithoutFadeIn) {
  sound.ScriptSoundPlay("bgm01", "title.ogg", "LOOP");
  EXPECT_EQ(Take(), (Log{"Stop 0", "Play 0 title.mp3 from D:\\data\\bgm\\ vol 40 fade 0 loop 1 whole 0"}));
  EXPECT_STREQ(sound.music.name, "title.ogg");
  EXPECT_EQ(sound.music.loop, 1u);
  // The same name again, in any case: nothing restarts.
  sound.ScriptSoundPlay("BGM01", "TITLE.ogg", "");
  EXPECT_EQ(Take(), Log{});

  sound.PlayMusic("02", 1500, 0);
  EXPECT_EQ(Take(), (Log{"Stop 0", "Play 0 02.mp3 from D:\\data\\bgm\\ vol 40 fade 0 loop 0 whole 0"}));
  sound.ScriptSoundStop("bgm01", "", "");
  Take();
  // After silence the given fade-in holds.
  engine.options[MEM_STREAM] = 1;
  sound.PlayMusic("03", 1500, 1);
  EXPECT_EQ(Take(), (Log{"Stop 0", "Play 0 03.mp3 from D:\\data\\bgm\\ vol 40 fade 1500 loop 1 whole 1"}));
}

TEST_F(SoundCommandsTest, MusicSwitchedOffIsStillRecorded) {
  engine.options[PCM] = 0;
  sound.PlayMusic("04", 0, 1);
  EXPECT_EQ(Take(), Log{"Stop 0"});
  EXPECT_EQ(sound.music.playing, 1u);
  EXPECT_STREQ(sound.music.name, "04");
  EXPECT_EQ(sound.music.level, 100u);
}

TEST_F(SoundCommandsTest, ChannelNamesMapOntoTheMixerChannels) {
  const struct {
    const char* channel;
    const char* option;
    Log calls;
  } cases[] = {
      {"se01", "LOOP", {"Stop 10", "Play 10 door.mp3 from D:\\data\\se.mlz (archive) vol 56 fade 0 loop 1 whole 1"}},
      {"SE04", "", {"Stop 13", "Play 13 door.mp3 from D:\\data\\se.mlz (archive) vol 56 fade 0 loop 0 whole 1"}},
      // Speaker 3's level is 4: 90 x 80 x 4 / 1000; the loop option is ignored.
      {"voice04", "LOOP", {"Stop 20", "Play 20 door.mp3 from D:\\data\\voice.mlz (archive) vol 28 fade 0 loop 0 whole 1"}},
      {"voice10", "", {}},
      {"se05", "", {}},
      {"se00", "", {}},
      {"bgm02", "", {}},
  };
  for (const auto& c : cases) {
    sound.ScriptSoundPlay(c.channel, "door.wav", c.option);
    EXPECT_EQ(Take(), c.calls) << c.channel;
  }
  EXPECT_EQ(sound.effects[0].loop, 1u);
  EXPECT_STREQ(sound.effects[3].name, "door.wav");
  EXPECT_EQ(sound.effects[1].playing, 0u);
  EXPECT_STREQ(sound.voice.name, "door.wav");
  EXPECT_EQ(sound.voice.speaker, 3u);
}

TEST_F(SoundCommandsTest, EffectsSwitchedOffAreRecordedButSilent) {
  engine.options[SE_PLAY] = 0;
  sound.PlaySoundEffect(1, "bell", 0);
  EXPECT_EQ(Take(), Log{"Stop 11"});
  EXPECT_EQ(sound.effects[1].playing, 1u);
}

TEST_F(SoundCommandsTest, VoiceVolumeFollowsTheSpeakerLevelOrTheReplayLevel) {
  const struct {
    int speaker;
    int replay;
    int volume;
  } cases[] = {{0, 0, 7}, {8, 0, 64}, {8, 1, 72}, {0, 1, 72}};
  for (const auto& c : cases) {
    sound.PlayVoice(c.speaker, "v001", c.replay);
    EXPECT_EQ(Take(), (Log{"Stop 20", "Play 20 v001.mp3 from D:\\data\\voice.mlz (archive) vol " +
                                          std::to_string(c.volume) + " fade 0 loop 0 whole 1"}))
        << c.speaker << " " << c.replay;
  }
  sound.PlayLogoSound(0, 0);
  EXPECT_EQ(Take(), (Log{"Stop 20", "Play 20 logo_se001.mp3 from D:\\data\\voice.mlz (archive) vol 72 fade 0 loop 0 whole 1"}));
  sound.PlayLogoSound(7, 1);
  EXPECT_EQ(Take(), (Log{"Stop 20", "Play 20 title_se008.mp3 from D:\\data\\voice.mlz (archive) vol 72 fade 0 loop 0 whole 1"}));
}

TEST_F(SoundCommandsTest, ASuppressedVoiceIsRecordedButNotHeard) {
  const struct {
    const char* why;
    ConfigWord option;
    std::uint32_t value;
    std::uint32_t skipKey;
    std::uint32_t tinted;
  } cases[] = {
      {"voices off", VOICE_PLAY, 0, 0, 0},
      {"skipping", SKIP_RUNNING, 1, 0, 0},
      {"skip key held", VOICE_PLAY, 1, 3, 0},
      {"manner cut on a tinted background", MANA_VOICE_CUT, 1, 0, 1},
  };
  for (const auto& c : cases) {
    SetUp();
    engine.options[c.option] = c.value;
    engine.input.words[ACTION_SKIP_KEY] = c.skipKey;
    sound.mannerTinted = c.tinted;
    sound.PlayVoice(2, "v017", 0);
    EXPECT_EQ(Take(), Log{"Stop 20"}) << c.why;
    EXPECT_STREQ(sound.voice.name, "v017") << c.why;
    EXPECT_EQ(sound.voice.speaker, 2u) << c.why;
    // The backlog's replay is heard all the same.
    sound.PlayVoice(2, "v017", 1);
    EXPECT_EQ(Take().size(), 2u) << c.why;
    engine.options[c.option] = c.option == VOICE_PLAY ? 1 : 0;
    engine.input.words[ACTION_SKIP_KEY] = 0;
    sound.mannerTinted = 0;
  }
  // The manner cut alone, or the tint alone, lets the voice through.
  engine.options[MANA_VOICE_CUT] = 1;
  sound.PlayVoice(2, "v018", 0);
  EXPECT_EQ(Take().size(), 2u);
  // An empty name clears the record and plays nothing.
  sound.PlayVoice(5, "", 0);
  EXPECT_EQ(Take(), Log{"Stop 20"});
  EXPECT_STREQ(sound.voice.name, "");
}

TEST_F(SoundCommandsTest, StopRules) {
  sound.PlayMusic("01", 0, 1);
  sound.PlaySoundEffect(1, "rain", 1);
  sound.PlayVoice(0, "v1", 0);
  Take();
  const struct {
    const char* channel;
    const char* option;
    const char* ms;
    Log calls;
  } cases[] = {
      {"voice03", "", "", {}},
      {"se02", "FADE", "500", {"Stop 11"}},
      {"bgm01", "FADE", "800", {"FadeOut 0 800"}},
      // Music already stopped: nothing more.
      {"bgm01", "", "", {}},
      {"se03", "", "", {"Stop 12"}},
      {"other", "", "", {}},
  };
  for (const auto& c : cases) {
    sound.ScriptSoundStop(c.channel, c.option, c.ms);
    EXPECT_EQ(Take(), c.calls) << c.channel;
  }
  EXPECT_EQ(sound.music.playing, 0u);
  EXPECT_STREQ(sound.music.name, "");
  EXPECT_EQ(sound.effects[1].playing, 0u);
  EXPECT_EQ(sound.effects[1].loop, 0u);
  EXPECT_STREQ(sound.effects[1].name, "");
  EXPECT_STREQ(sound.voice.name, "v1");

  sound.PlayMusic("01", 0, 1);
  Take();
  // Without "FADE" the time is not read; a fade of no time stops at once.
  sound.ScriptSoundStop("bgm01", "", "700");
  EXPECT_EQ(Take(), Log{"Stop 0"});
  sound.PlayMusic("01", 0, 1);
  Take();
  sound.ScriptSoundStop("bgm01", "FADE", "-5");
  EXPECT_EQ(Take(), Log{"Stop 0"});
}

TEST_F(SoundCommandsTest, AStartedMovieClearsTheMusicRecord) {
  sound.PlayMusic("05", 0, 1);
  Take();
  output->movieResult = 1;
  sound.ScriptMoviePlay("op.rzm2");
  EXPECT_EQ(Take(), (Log{"StartMovie op", "StopMovie"}));
  EXPECT_EQ(sound.music.playing, 1u);

  output->movieResult = 0;
  sound.ScriptMoviePlay("op.movie.rzm2");
  EXPECT_EQ(Take(), Log{"StartMovie op.movie"});
  EXPECT_EQ(sound.music.playing, 0u);
  EXPECT_STREQ(sound.music.name, "");
  // The same music after the movie starts again.
  sound.PlayMusic("05", 0, 1);
  EXPECT_EQ(Take().size(), 2u);
}

}  // namespace
