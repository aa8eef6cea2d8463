#include "game/sound/sound_commands.h"

#include <cstring>

#include "common/format_text.h"
#include "common/sjis_string.h"
#include "engine/shell/game_engine.h"
#include "game/input_actions.h"

namespace {

constexpr std::size_t kSoundFileNameSize = 64;
constexpr std::uint32_t kReplayLevel = 10;
constexpr char kLoopOption[] = "LOOP";
constexpr char kFadeOption[] = "FADE";

// The name with ".mp3" in place of its extension (or appended); the mixer
// tries ".ogg" on its own.
void Mp3Name(const char* name, char (&out)[kSoundFileNameSize]) {
  StrCopy(out, name);
  if (char* dot = StrFindLast(out, '.')) *dot = '\0';
  StrAppend(out, ".mp3");
}

// "se01".."se04" -> 0..3, "voice01".."voice09" -> 0..8, else -1.
int NumberedChannel(const char* channel, const char* prefix, int count) {
  char expected[16];
  for (int k = 0; k < count; ++k) {
    FormatText(expected, sizeof expected, "%s%z2", prefix, k + 1);
    if (StrEqualNoCase(channel, expected)) return k;
  }
  return -1;
}

bool IsMusicChannel(const char* channel) { return StrEqualNoCase(channel, "bgm01") != 0; }
int EffectIndex(const char* channel) { return NumberedChannel(channel, "se", kEffectCount); }
int VoiceSpeaker(const char* channel) { return NumberedChannel(channel, "voice", 9); }

}  // namespace

void CSoundCommands::PlayMusic(const char* name, std::uint32_t fadeInMs, int loop) {
  if (music.playing && StrEqualNoCase(music.name, name)) return;
  if (music.playing) fadeInMs = 0;
  output_->Stop(kMusicChannel);
  music.playing = 1;
  StrCopy(music.name, name);
  music.loop = loop != 0;
  music.level = 100;
  const ConfigOptions& options = engine_.options;
  if (options[PCM] == 0) return;
  char file[kSoundFileNameSize];
  Mp3Name(name, file);
  output_->Play(kMusicChannel, file, engine_.bgmFolder, nullptr,
               static_cast<int>(std::uint64_t{options[MUSIC_VOL]} * options[MASTER_VOL] / 100), fadeInMs, loop,
               static_cast<int>(options[MEM_STREAM]));
}

void CSoundCommands::PlaySoundEffect(int effect, const char* name, int loop) {
  if (effect < 0 || effect >= kEffectCount) return;
  output_->Stop(kFirstEffectChannel + effect);
  SoundRecord& record = effects[effect];
  record.playing = 1;
  StrCopy(record.name, name);
  record.level = 100;
  record.loop = loop != 0;
  const ConfigOptions& options = engine_.options;
  if (options[SE_PLAY] == 0) return;
  char file[kSoundFileNameSize];
  Mp3Name(name, file);
  output_->Play(kFirstEffectChannel + effect, file, engine_.soundEffectArchive, &effectReader_,
               static_cast<int>(std::uint64_t{options[SE_VOL]} * options[MASTER_VOL] / 100), 0, loop, 1);
}

bool CSoundCommands::VoiceSuppressed() const {
  const ConfigOptions& options = engine_.options;
  return options[VOICE_PLAY] == 0 || (options[MANA_VOICE_CUT] != 0 && mannerTinted != 0) ||
         options[SKIP_RUNNING] != 0 || engine_.input.words[ACTION_SKIP_KEY] != 0;
}

int CSoundCommands::PlayVoiceFile(const char* name, std::uint32_t level) {
  const ConfigOptions& options = engine_.options;
  char file[kSoundFileNameSize];
  Mp3Name(name, file);
  return output_->Play(kVoiceChannel, file, engine_.voiceArchive, &voiceReader_,
                      static_cast<int>(std::uint64_t{options[VOICE_VOL]} * options[MASTER_VOL] * level / 1000), 0, 0,
                      1);
}

void CSoundCommands::PlayVoice(int speaker, const char* name, int replay) {
  if (speaker < 0 || speaker > CHAR_VOICE_09 - CHAR_VOICE_01) return;
  output_->Stop(kVoiceChannel);
  std::uint32_t level = kReplayLevel;
  if (!replay) {
    StrCopy(voice.name, name);
    voice.speaker = static_cast<std::uint32_t>(speaker);
    level = engine_.options[static_cast<ConfigWord>(CHAR_VOICE_01 + speaker)];
  }
  if (name[0] == '\0') return;
  if (!replay && VoiceSuppressed()) return;
  PlayVoiceFile(name, level);
}

void CSoundCommands::PlayLogoSound(int number, int kind) {
  char name[kSoundFileNameSize];
  FormatText(name, sizeof name, kind == 0 ? "logo_se%z3" : "title_se%z3", number + 1);
  output_->Stop(kVoiceChannel);
  PlayVoiceFile(name, kReplayLevel);
}

void CSoundCommands::ScriptSoundPlay(const char* channel, const char* file, const char* option) {
  const int loop = StrEqualNoCase(option, kLoopOption);
  if (IsMusicChannel(channel)) {
    PlayMusic(file, 0, loop);
  } else if (const int effect = EffectIndex(channel); effect >= 0) {
    PlaySoundEffect(effect, file, loop);
  } else if (const int speaker = VoiceSpeaker(channel); speaker >= 0) {
    PlayVoice(speaker, file, 0);
  }
}

void CSoundCommands::ScriptSoundStop(const char* channel, const char* option, const char* ms) {
  int fadeMs = 0;
  if (StrEqualNoCase(option, kFadeOption)) ParseInt(ms, &fadeMs);
  if (IsMusicChannel(channel)) {
    StopMusic(fadeMs > 0 ? static_cast<std::uint32_t>(fadeMs) : 0);
  } else if (const int effect = EffectIndex(channel); effect >= 0) {
    StopSoundEffect(effect);
  }
}

void CSoundCommands::StopSoundEffect(int effect) {
  output_->Stop(kFirstEffectChannel + effect);
  SoundRecord& record = effects[effect];
  record.playing = 0;
  record.name[0] = '\0';
  record.loop = 0;
}

void CSoundCommands::StopMusic(std::uint32_t fadeMs) {
  if (!music.playing) return;
  music.playing = 0;
  music.name[0] = '\0';
  if (fadeMs > 0) {
    output_->FadeOut(kMusicChannel, fadeMs);
  } else {
    output_->Stop(kMusicChannel);
  }
}

void CSoundCommands::StopVoice(std::uint32_t fadeMs) {
  if (fadeMs > 0) {
    output_->FadeOut(kVoiceChannel, fadeMs);
  } else {
    output_->Stop(kVoiceChannel);
  }
}

void CSoundCommands::ScriptMoviePlay(const char* name) {
  char movie[kSoundFileNameSize];
  StrCopy(movie, name);
  if (char* dot = StrFindLast(movie, '.')) *dot = '\0';
  if (output_->StartMovie(movie) != 0) {
    output_->StopMovie();
    return;
  }
  music.playing = 0;
  music.name[0] = '\0';
}

void CSoundCommands::ClearRecords() {
  music = SoundRecord();
  for (SoundRecord& effect : effects) effect = SoundRecord();
  voice = VoiceRecord();
}
