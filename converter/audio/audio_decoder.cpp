#include "converter/audio/audio_decoder.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "converter/job/thread_ctrl.h"
#include "host/memory/memory_api.h"
#include "host/time/time_api.h"

namespace reelpack {

namespace {

constexpr std::size_t kStreamingWindow = 65536;
constexpr std::size_t kReadAllWindow = 4194304;
// Bytes kept at the end of a scan without a header: a sync word may start there.
constexpr std::size_t kPartialHeaderBytes = 3;
constexpr DWORD kDataWaitMs = 5;

}  // namespace

CMpegAudioDecoder::CMpegAudioDecoder(const char* path, int mode)
    : m_stream(std::make_unique<CMpegAudioStream>(path)),
      m_window(mode == 1 ? kReadAllWindow : kStreamingWindow),
      m_readAll(mode == 1),
      m_background(mode == 2) {
  InitializeCriticalSection(&m_lock);
  ClearSynthesisState(&m_synthesis);
  m_streamEnded = m_stream->IsEnded() != 0;
  if (m_readAll) {
    ReadAll();
  } else {
    Refill();
  }
  MpegAudioHeader header;
  CriticalSectionLock lock(&m_lock);
  if (FindLayer2Header(m_buffer.data(), m_buffer.size(), 0, &header) != m_buffer.size()) {
    TakeFormat(header);
    m_firstFrameBytes = 4 + static_cast<std::size_t>(header.bodyLength);
  }
}

CMpegAudioDecoder::~CMpegAudioDecoder() {
  if (m_streaming) {
    m_streaming = false;
    CThreadCtrl control(this);
    control.Kill();
    control.Wait(INFINITE);
    control.CloseHandle();
  }
  m_stream->Close();
  DeleteCriticalSection(&m_lock);
}

void CMpegAudioDecoder::StartStreaming() {
  if (!m_background || m_streaming || m_streamEnded) return;
  m_streaming = true;
  try {
    CThreadCtrl(this).Start();
  } catch (const CCtrlFailed&) {
    // Without the thread, decoding refills the buffer itself.
    m_streaming = false;
  }
}

void CMpegAudioDecoder::ReadAll() {
  std::uint32_t copied = 0;
  while (!m_stream->Read(&m_buffer, &copied, 1)) {
  }
  m_streamEnded = true;
}

void CMpegAudioDecoder::Refill() {
  if (m_streamEnded) return;
  {
    CriticalSectionLock lock(&m_lock);
    if (m_buffer.size() - m_consumed >= m_window) return;
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_consumed));
    m_consumed = 0;
  }
  std::vector<std::uint8_t> payload;
  for (;;) {
    {
      CriticalSectionLock lock(&m_lock);
      if (m_buffer.size() >= 2 * m_window) return;
    }
    payload.clear();
    std::uint32_t copied = 0;
    const bool ended = m_stream->Read(&payload, &copied, 1) || m_stream->IsEnded();
    {
      CriticalSectionLock lock(&m_lock);
      m_buffer.insert(m_buffer.end(), payload.begin(), payload.end());
    }
    // Set only after the last payload is in, so a reader that sees the end
    // also sees every byte.
    if (ended) {
      m_streamEnded = true;
      return;
    }
  }
}

CMpegAudioDecoder::Fetch CMpegAudioDecoder::TakeFrame(MpegAudioHeader* header, std::vector<std::uint8_t>* body) {
  const bool ended = m_streamEnded;
  CriticalSectionLock lock(&m_lock);
  const std::size_t fill = m_buffer.size();
  const std::size_t position = FindLayer2Header(m_buffer.data(), fill, m_consumed, header);
  if (position == fill) {
    if (ended) {
      m_consumed = fill;
      return Fetch::Finished;
    }
    m_consumed = std::max(m_consumed, fill > kPartialHeaderBytes ? fill - kPartialHeaderBytes : 0);
    return Fetch::NeedData;
  }
  const std::size_t frameBytes = 4 + static_cast<std::size_t>(header->bodyLength);
  if (position + frameBytes > fill) {
    // A frame cut off by the end of the stream is dropped.
    m_consumed = ended ? fill : position;
    return ended ? Fetch::Finished : Fetch::NeedData;
  }
  body->assign(m_buffer.begin() + static_cast<std::ptrdiff_t>(position + 4),
               m_buffer.begin() + static_cast<std::ptrdiff_t>(position + frameBytes));
  m_consumed = position + frameBytes;
  return Fetch::Frame;
}

void CMpegAudioDecoder::TakeFormat(const MpegAudioHeader& header) {
  m_format.wFormatTag = WAVE_FORMAT_PCM;
  m_format.nChannels = 2;
  m_format.nSamplesPerSec = static_cast<DWORD>(header.sampleRate);
  m_format.wBitsPerSample = 16;
  m_format.nBlockAlign = static_cast<WORD>(m_format.nChannels * 2);
  m_format.nAvgBytesPerSec = m_format.nBlockAlign * m_format.nSamplesPerSec;
}

int CMpegAudioDecoder::DecodeFrames(std::vector<std::uint8_t>* output, std::uint32_t frames) {
  if (!StreamingActive()) Refill();
  MpegAudioHeader header;
  std::vector<std::uint8_t> body;
  for (std::uint32_t decoded = 0; decoded < frames;) {
    switch (TakeFrame(&header, &body)) {
      case Fetch::Finished:
        return 1;
      case Fetch::NeedData:
        if (StreamingActive()) {
          Sleep(kDataWaitMs);
        } else {
          Refill();
        }
        break;
      case Fetch::Frame: {
        // The first frame may lie past what the constructor buffered.
        if (m_format.nChannels == 0) TakeFormat(header);
        const std::size_t start = output->size();
        output->resize(start + kLayer2FramePcmBytes);
        output->resize(start + DecodeFrame(header, body.data(), body.size(), output->data() + start, &m_synthesis));
        ++decoded;
        if (!StreamingActive()) Refill();
        break;
      }
    }
  }
  return 0;
}

std::int32_t CMpegAudioDecoder::Run() {
  while (!m_streamEnded) {
    Refill();
    if (!m_streaming) return 0;
    WaitForSingleObject(ThreadHandle(), kDataWaitMs);
    if (!m_streaming) return 0;
  }
  return 0;
}

std::uint32_t WaveImagePcmBytes(std::size_t pcmBytes) {
  // The RIFF sizes are 32-bit: a longer track keeps the whole frames that fit.
  constexpr std::size_t kMaxPcm = std::numeric_limits<std::uint32_t>::max() - kWaveFileHeaderBytes;
  return static_cast<std::uint32_t>(std::min(pcmBytes, kMaxPcm - kMaxPcm % kLayer2FramePcmBytes));
}

std::uint8_t* BuildWaveImage(CMpegAudioDecoder* decoder, std::uint32_t* dataSize) {
  std::vector<std::uint8_t> pcm;
  decoder->DecodeFrames(&pcm, std::numeric_limits<std::uint32_t>::max());
  const std::uint32_t bytes = WaveImagePcmBytes(pcm.size());
  auto* image = static_cast<std::uint8_t*>(LocalAlloc(LMEM_FIXED, kWaveFileHeaderBytes + bytes));
  *dataSize = 0;
  if (!image) return nullptr;
  const WAVEFORMATEX& format = decoder->Format();
  WriteWaveFileHeader(image, format.nChannels, format.nSamplesPerSec, bytes);
  if (bytes) std::memcpy(image + kWaveFileHeaderBytes, pcm.data(), bytes);
  *dataSize = bytes;
  return image;
}

std::size_t CMpegAudioDecoder::PcmBytesEstimate() const {
  if (m_firstFrameBytes == 0) return 0;
  CriticalSectionLock lock(&m_lock);
  return (m_buffer.size() / m_firstFrameBytes + 1) * kLayer2FramePcmBytes;
}

}  // namespace reelpack
