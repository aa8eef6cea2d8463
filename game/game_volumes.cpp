// The channel volumes the settings and the sound records give.
#include "game/game.h"

void CGame::ApplyVolumes(std::uint32_t category, std::uint32_t volume) {
  const ConfigOptions& options = engine_.options;
  const SoundRecord& bgm = sound.music;
  const SoundRecord* soundEffects = sound.effects;
  const bool moviePlaying = engine_.backBuffer->IsMoviePlaying();
  const std::uint64_t v = volume;
  auto set = [this](int channel, std::uint64_t value) {
    engine_.mixer->SetSlotVolume(channel, static_cast<std::uint32_t>(value));
  };
  switch (category) {
    case 0:
      if (bgm.playing && !moviePlaying) set(kMusicChannel, options[MUSIC_VOL] * std::uint64_t{bgm.level} * v / 10000);
      if (moviePlaying) set(kMusicChannel, options[MOV_VOL] * v / 100);
      for (int i = 0; i < kEffectCount; ++i) {
        if (soundEffects[i].playing) {
          set(kFirstEffectChannel + i, options[SE_VOL] * std::uint64_t{soundEffects[i].level} * v / 10000);
        }
      }
      set(kVoiceChannel, options[VOICE_VOL] * v / 100);
      break;
    case 1:
      if (bgm.playing && !moviePlaying) set(kMusicChannel, bgm.level * std::uint64_t{options[MASTER_VOL]} * v / 10000);
      break;
    case 2:
      set(kVoiceChannel, options[MASTER_VOL] * v / 100);
      break;
    case 3:
      for (int i = 0; i < kEffectCount; ++i) {
        if (soundEffects[i].playing) {
          set(kFirstEffectChannel + i, soundEffects[i].level * std::uint64_t{options[MASTER_VOL]} * v / 10000);
        }
      }
      break;
    case 4:
      if (moviePlaying) set(kMusicChannel, options[MASTER_VOL] * v / 100);
      break;
    default:
      break;
  }
}
