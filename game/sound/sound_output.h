// The mixer and movie calls the sound commands make, behind one seam so the
// commands can be watched without a sound device. MixerSoundOutput is the
// real one: the engine object's mixer and movie player.
#pragma once

#include <cstdint>
#include <string>

class CArchiveReader;
class CGameEngine;

class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  // As CSoundMixer::Play, always started at once.
  virtual int Play(int slot, const char* name, const std::string& folder, CArchiveReader* archive, int volume,
                   std::uint32_t fadeInMs, int loop, int readWhole) = 0;
  virtual void Stop(int slot) = 0;
  virtual void FadeOut(int slot, std::uint32_t ms) = 0;
  // 0 when the movie started.
  virtual int StartMovie(const char* name) = 0;
  virtual void StopMovie() = 0;
};

class MixerSoundOutput : public SoundOutput {
 public:
  explicit MixerSoundOutput(CGameEngine& engine) : engine_(engine) {}
  int Play(int slot, const char* name, const std::string& folder, CArchiveReader* archive, int volume,
           std::uint32_t fadeInMs, int loop, int readWhole) override;
  void Stop(int slot) override;
  void FadeOut(int slot, std::uint32_t ms) override;
  int StartMovie(const char* name) override;
  void StopMovie() override;

 private:
  CGameEngine& engine_;
};
