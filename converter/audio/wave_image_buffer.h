// The WAVE image of a whole sound track, filled as it is decoded: room for
// the header, then the PCM, in one block of pages that grows as needed. The
// largest block of the audio pass, so it comes from page memory, which the
// system makes cheap to touch.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/audio/wave_format.h"

namespace reelpack {

class CWaveImageBuffer {
 public:
  // Room for about pcmEstimate bytes of PCM.
  explicit CWaveImageBuffer(std::size_t pcmEstimate);
  ~CWaveImageBuffer();
  CWaveImageBuffer(const CWaveImageBuffer&) = delete;
  CWaveImageBuffer& operator=(const CWaveImageBuffer&) = delete;

  // False when memory cannot be had (the PCM so far stays).
  bool Append(const std::uint8_t* pcm, std::size_t bytes);
  std::size_t PcmBytes() const { return pcmBytes_; }
  // Writes the header for format and returns the image, its PCM cut to the
  // whole frames the 32-bit sizes hold; *dataSize gets the PCM length.
  const std::uint8_t* Finish(const WAVEFORMATEX& format, std::uint32_t* dataSize);

 private:
  bool Grow(std::size_t pcmCapacity);

  std::uint8_t* block_ = nullptr;
  std::size_t capacity_ = 0;  // PCM bytes the block holds
  std::size_t pcmBytes_ = 0;
};

}  // namespace reelpack
