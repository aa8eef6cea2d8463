// The only way the script and the screens reach the mixer: script channel
// names mapped onto the mixer's fixed channels (0 music, 10-13 effects, 20
// voice), files found in the music folder or the sound archives, volumes from
// the settings, and a record of what plays for the save files.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "engine/archive/archive_reader.h"
#include "game/sound/sound_output.h"

class CGameEngine;

inline constexpr int kMusicChannel = 0;
inline constexpr int kFirstEffectChannel = 10;
inline constexpr int kEffectCount = 4;
inline constexpr int kVoiceChannel = 20;

// A sound that may be playing: the name as the script wrote it, its level in
// percent (always 100) and whether it loops. The save header holds it as is.
struct SoundRecord {
  std::uint32_t playing = 0;
  char name[32] = {};
  std::uint32_t level = 100;
  std::uint32_t loop = 0;
};
static_assert(sizeof(SoundRecord) == 44, "saved byte for byte");

// The voice of the current message (empty when it has none).
struct VoiceRecord {
  char name[64] = {};
  std::uint32_t speaker = 0;
};

class CSoundCommands {
 public:
  CSoundCommands(CGameEngine& engine, std::unique_ptr<SoundOutput> output)
      : engine_(engine), output_(std::move(output)) {}

  // The same music (ASCII case ignored) is not restarted; music replacing
  // music starts without its fade-in. With music switched off the record is
  // still kept, so a later load or setting knows what should play.
  void PlayMusic(const char* name, std::uint32_t fadeInMs, int loop);
  void PlaySoundEffect(int effect, const char* name, int loop);
  // replay: a logged voice again, at level 10, whatever the switches say.
  void PlayVoice(int speaker, const char* name, int replay);
  // kind 0 "logo_se%z3", 1 "title_se%z3", numbered from number + 1.
  void PlayLogoSound(int number, int kind);

  void ScriptSoundPlay(const char* channel, const char* file, const char* option);
  void ScriptSoundStop(const char* channel, const char* option, const char* ms);
  // A movie takes the music channel, so the music record is cleared when
  // one starts: nothing brings back music the movie silenced.
  void ScriptMoviePlay(const char* name);

  // Ends the music the record says is playing (nothing when none): the
  // record emptied, the channel stopped at once (fadeMs 0) or fading out.
  void StopMusic(std::uint32_t fadeMs);
  // Stops effect channel effect (0 to 3) at once and empties its record.
  void StopSoundEffect(int effect);
  // Stops the voice channel, at once (fadeMs 0) or fading out.
  void StopVoice(std::uint32_t fadeMs);
  void ClearRecords();

  SoundRecord music;
  SoundRecord effects[kEffectCount];
  VoiceRecord voice;
  // Set by the scene while the background is manner-tinted.
  std::uint32_t mannerTinted = 0;

 private:
  bool VoiceSuppressed() const;
  int PlayVoiceFile(const char* name, std::uint32_t level);

  CGameEngine& engine_;
  std::unique_ptr<SoundOutput> output_;
  CArchiveReader effectReader_;
  CArchiveReader voiceReader_;
};
