// The sound track of an MPEG-1 system stream as 16-bit PCM: the payload of
// audio stream 0xC0 is buffered and walked frame by frame through the
// Layer II decoder. Three buffering modes:
//   0  the buffer is refilled as decoding goes (a window of 64 KiB);
//   1  the whole stream is read at construction (the converter's mode);
//   2  a thread of the decoder keeps the buffer filled once StartStreaming
//      has been called.
// Any other mode behaves as mode 0.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/win_thread_master.h"
#include "converter/audio/audio_stream.h"
#include "converter/audio/layer2_decoder.h"
#include "host/threads/thread_api.h"
#include "host/audio/wave_format.h"

namespace reelpack {

class CMpegAudioDecoder : public CWinThreadMaster {
 public:
  CMpegAudioDecoder(const char* path, int mode);
  ~CMpegAudioDecoder() override;

  // Decodes up to `frames` frames (all ones: every frame) and appends their
  // PCM to output. 1 once the stream is finished, else 0.
  int DecodeFrames(std::vector<std::uint8_t>* output, std::uint32_t frames);
  // Mode 2 only: starts the thread that keeps the buffer filled.
  void StartStreaming();
  // The format of the PCM: two channels of 16 bits at the first frame's rate
  // (single-channel sources are written to both channels); all zero while no
  // frame has been seen (a frame past the first buffer fill sets it as it is
  // decoded).
  const WAVEFORMATEX& Format() const { return m_format; }
  // About the PCM bytes the buffered stream gives (the whole stream in mode
  // 1), from the first frame's length: room to reserve. 0 before a frame.
  std::size_t PcmBytesEstimate() const;

  // The mode-2 refill loop.
  std::int32_t Run() override;

 private:
  enum class Fetch { Frame, NeedData, Finished };

  void ReadAll();
  void Refill();
  bool StreamingActive() const { return m_background && m_streaming; }
  // Copies the next decodable frame at or after the consumed bytes out of the
  // buffer, skipping anything that is not a Layer II frame.
  Fetch TakeFrame(MpegAudioHeader* header, std::vector<std::uint8_t>* body);
  void TakeFormat(const MpegAudioHeader& header);

  std::unique_ptr<CMpegAudioStream> m_stream;
  std::vector<std::uint8_t> m_buffer;  // its size is the fill
  std::size_t m_consumed = 0;
  std::size_t m_window;
  bool m_readAll = false;
  bool m_background = false;
  std::atomic<bool> m_streaming{false};
  std::atomic<bool> m_streamEnded{false};
  SynthesisState m_synthesis;
  WAVEFORMATEX m_format{};
  std::size_t m_firstFrameBytes = 0;  // header included; 0 when the first buffer held no frame
  // Guards the buffer and the consumed count while the mode-2 thread runs.
  mutable CRITICAL_SECTION m_lock;
};

// Decodes every frame into a RIFF/WAVE file image (a 44-byte header, then
// the interleaved PCM) in a fixed block of the local heap that the caller
// frees with LocalFree. *dataSize gets the PCM length; null when the block
// cannot be had.
std::uint8_t* BuildWaveImage(CMpegAudioDecoder* decoder, std::uint32_t* dataSize);
// The PCM bytes of a WAVE image of pcmBytes of decoded PCM: the whole frames
// its 32-bit sizes hold.
std::uint32_t WaveImagePcmBytes(std::size_t pcmBytes);

}  // namespace reelpack
