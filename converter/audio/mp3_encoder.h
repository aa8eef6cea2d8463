// The binding to the MP3 encoder module "gogo.dll", loaded by name from the
// program's folder or from the path the registry gives. The module pulls PCM
// through Mp3ReadInput and pushes MP3 bytes through Mp3WriteOutput; those
// carry no context, so the run's state is process-wide and encodings take
// turns.
#pragma once

#include <cstdint>
#include <vector>

#include "converter/audio/stop_check.h"
#include "host/audio/wave_format.h"
#include "host/base/win_types.h"
#include "host/codecs/gogo/gogo_api.h"

namespace reelpack {

inline constexpr char kMp3EncoderModule[] = "gogo.dll";
inline constexpr char kMp3EncoderRegistryKey[] = "Software\\MarineCat\\GOGO_DLL";
inline constexpr char kMp3EncoderRegistryValue[] = "INSTPATH";
inline constexpr int kMp3EncoderMissing = 12;

enum class Mp3Outcome { Encoded, NotLoaded, Refused, Failed, Stopped };

class CMp3Encoder {
 public:
  explicit CMp3Encoder(std::uint32_t kbps) : kbps_(kbps) {}
  ~CMp3Encoder() { Unload(); }
  CMp3Encoder(const CMp3Encoder&) = delete;
  CMp3Encoder& operator=(const CMp3Encoder&) = delete;

  // 0 once the module is loaded with every entry point; kMp3EncoderMissing
  // when it can be found neither by name nor through the registry, or lacks
  // an entry point (it is freed again).
  int LoadMp3Encoder();
  // Encodes size bytes of PCM in the target format at the binding's bit rate
  // into *mp3, asking stop between frames.
  Mp3Outcome EncodeMp3(const std::uint8_t* pcm, const WAVEFORMATEX& target, std::uint32_t size,
                       std::vector<std::uint8_t>* mp3, const StopCheck& stop);
  void Unload();

 private:
  struct Entries {
    MpgeInitializeWork initializeWork;
    MpgeSetConfigure setConfigure;
    MpgeGetConfigure getConfigure;
    MpgeDetectConfigure detectConfigure;
    MpgeProcessFrame processFrame;
    MpgeCloseCoder closeCoder;
    MpgeEndCoder endCoder;
    MpgeGetVersion getVersion;
    MpgeGetUnitStates getUnitStates;
  };
  bool ResolveEntries();
  Mp3Outcome Run(const WAVEFORMATEX& target, std::uint32_t size, const StopCheck& stop);

  HMODULE module_ = nullptr;
  std::uint32_t kbps_;
  Entries entries_{};
};

// The module's callbacks (see Mp3InputFunction and Mp3OutputFunction).
std::int32_t Mp3ReadInput(void* buffer, std::uint32_t n);
std::int32_t Mp3WriteOutput(const void* data, std::uint32_t n);

// The process-wide run the callbacks serve: BeginMp3Run points the input at
// size bytes of pcm and empties the output; EndMp3Run hands the output over.
void BeginMp3Run(const std::uint8_t* pcm, std::uint32_t size);
std::vector<std::uint8_t> EndMp3Run();

}  // namespace reelpack
