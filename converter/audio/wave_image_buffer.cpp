#include "converter/audio/wave_image_buffer.h"

#include <algorithm>
#include <cstring>

#include "converter/audio/audio_decoder.h"
#include "host/memory/memory_api.h"

namespace reelpack {

CWaveImageBuffer::CWaveImageBuffer(std::size_t pcmEstimate) { Grow(pcmEstimate); }

CWaveImageBuffer::~CWaveImageBuffer() {
  if (block_) VirtualFree(block_, 0, MEM_RELEASE);
}

bool CWaveImageBuffer::Grow(std::size_t pcmCapacity) {
  auto* larger = static_cast<std::uint8_t*>(
      VirtualAlloc(nullptr, kWaveFileHeaderBytes + pcmCapacity, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (larger == nullptr) return false;
  if (block_) {
    std::memcpy(larger, block_, kWaveFileHeaderBytes + pcmBytes_);
    VirtualFree(block_, 0, MEM_RELEASE);
  }
  block_ = larger;
  capacity_ = pcmCapacity;
  return true;
}

bool CWaveImageBuffer::Append(const std::uint8_t* pcm, std::size_t bytes) {
  if (bytes == 0) return true;
  if (pcmBytes_ + bytes > capacity_ && !Grow(std::max(2 * capacity_, pcmBytes_ + bytes))) return false;
  std::memcpy(block_ + kWaveFileHeaderBytes + pcmBytes_, pcm, bytes);
  pcmBytes_ += bytes;
  return true;
}

const std::uint8_t* CWaveImageBuffer::Finish(const WAVEFORMATEX& format, std::uint32_t* dataSize) {
  if (block_ == nullptr && !Grow(0)) return nullptr;
  *dataSize = WaveImagePcmBytes(pcmBytes_);
  WriteWaveFileHeader(block_, format.nChannels, format.nSamplesPerSec, *dataSize);
  return block_;
}

}  // namespace reelpack
