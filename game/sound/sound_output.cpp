#include "game/sound/sound_output.h"

#include "engine/shell/game_engine.h"

int MixerSoundOutput::Play(int slot, const char* name, const std::string& folder, CArchiveReader* archive,
                           int volume, std::uint32_t fadeInMs, int loop, int readWhole) {
  return engine_.mixer->Play(slot, name, folder, archive, volume, fadeInMs, loop, 1, readWhole);
}

void MixerSoundOutput::Stop(int slot) { engine_.mixer->StopChannel(slot); }

void MixerSoundOutput::FadeOut(int slot, std::uint32_t ms) { engine_.mixer->FadeOut(slot, ms); }

int MixerSoundOutput::StartMovie(const char* name) { return engine_.StartMovie(name); }

void MixerSoundOutput::StopMovie() { engine_.backBuffer->StopMovie(); }
