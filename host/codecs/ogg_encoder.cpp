#include <vorbis/vorbisenc.h>

#include <cstring>
#include <vector>

#include "host/codecs/ogg_encode_api.h"
#include "host/memory/memory_api.h"

namespace {

// Equal input gives equal files.
constexpr int kStreamSerial = 0x52454C31;
constexpr int kBlockFrames = 1024;

class VorbisEncoding {
 public:
  VorbisEncoding() {
    vorbis_info_init(&m_info);
    vorbis_comment_init(&m_comment);
  }
  ~VorbisEncoding() {
    if (m_streamOpen) ogg_stream_clear(&m_stream);
    if (m_blockOpen) vorbis_block_clear(&m_block);
    if (m_dspOpen) vorbis_dsp_clear(&m_dsp);
    vorbis_comment_clear(&m_comment);
    vorbis_info_clear(&m_info);
  }
  VorbisEncoding(const VorbisEncoding&) = delete;
  VorbisEncoding& operator=(const VorbisEncoding&) = delete;

  bool Start(int channels, long rate, float quality) {
    if (vorbis_encode_init_vbr(&m_info, channels, rate, quality) != 0) return false;
    m_dspOpen = vorbis_analysis_init(&m_dsp, &m_info) == 0;
    if (!m_dspOpen) return false;
    m_blockOpen = vorbis_block_init(&m_dsp, &m_block) == 0;
    m_streamOpen = m_blockOpen && ogg_stream_init(&m_stream, kStreamSerial) == 0;
    if (!m_streamOpen) return false;
    ogg_packet identification;
    ogg_packet comments;
    ogg_packet codebooks;
    vorbis_analysis_headerout(&m_dsp, &m_comment, &identification, &comments, &codebooks);
    ogg_stream_packetin(&m_stream, &identification);
    ogg_stream_packetin(&m_stream, &comments);
    ogg_stream_packetin(&m_stream, &codebooks);
    // The headers end a page of their own, as players expect.
    ogg_page page;
    while (ogg_stream_flush(&m_stream, &page) != 0) Append(page);
    return true;
  }

  // frames 0 marks the end of the input.
  void Feed(const std::int16_t* pcm, int frames, int channels) {
    if (frames > 0) {
      float** buffer = vorbis_analysis_buffer(&m_dsp, frames);
      for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) buffer[c][i] = pcm[i * channels + c] / 32768.0f;
      }
    }
    vorbis_analysis_wrote(&m_dsp, frames);
    Drain();
  }

  std::vector<unsigned char>& File() { return m_file; }

 private:
  void Drain() {
    while (vorbis_analysis_blockout(&m_dsp, &m_block) == 1) {
      vorbis_analysis(&m_block, nullptr);
      vorbis_bitrate_addblock(&m_block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&m_dsp, &packet) == 1) {
        ogg_stream_packetin(&m_stream, &packet);
        ogg_page page;
        while (ogg_stream_pageout(&m_stream, &page) != 0) Append(page);
      }
    }
    ogg_page page;
    if (ogg_stream_eos(&m_stream)) {
      while (ogg_stream_flush(&m_stream, &page) != 0) Append(page);
    }
  }

  void Append(const ogg_page& page) {
    m_file.insert(m_file.end(), page.header, page.header + page.header_len);
    m_file.insert(m_file.end(), page.body, page.body + page.body_len);
  }

  vorbis_info m_info;
  vorbis_comment m_comment;
  vorbis_dsp_state m_dsp{};
  vorbis_block m_block{};
  ogg_stream_state m_stream{};
  bool m_dspOpen = false;
  bool m_blockOpen = false;
  bool m_streamOpen = false;
  std::vector<unsigned char> m_file;
};

bool IsEncodablePcm(const WAVEFORMATEX& format) {
  return format.wFormatTag == WAVE_FORMAT_PCM && format.wBitsPerSample == 16 &&
         (format.nChannels == 1 || format.nChannels == 2) && format.nSamplesPerSec >= 8000 &&
         format.nSamplesPerSec <= 96000;
}

}  // namespace

void* GetOggEncodeProcessMemory(float quality, const WAVEFORMATEX* format, const void* pcm, DWORD* size,
                                OggStopCheck stop, void* stopContext) {
  if (size == nullptr) return nullptr;
  const DWORD bytes = *size;
  *size = 0;
  if (format == nullptr || !IsEncodablePcm(*format) || (pcm == nullptr && bytes > 0) || !(quality >= -0.1f) ||
      !(quality <= 1.0f)) {
    return nullptr;
  }
  const int channels = format->nChannels;
  VorbisEncoding encoding;
  if (!encoding.Start(channels, static_cast<long>(format->nSamplesPerSec), quality)) return nullptr;
  const auto* samples = static_cast<const std::int16_t*>(pcm);
  const std::size_t frames = bytes / (2u * static_cast<unsigned>(channels));
  for (std::size_t at = 0; at < frames; at += kBlockFrames) {
    if (stop && stop(stopContext)) return nullptr;
    const std::size_t count = frames - at < kBlockFrames ? frames - at : kBlockFrames;
    encoding.Feed(samples + at * static_cast<std::size_t>(channels), static_cast<int>(count), channels);
  }
  encoding.Feed(nullptr, 0, channels);
  const std::vector<unsigned char>& file = encoding.File();
  void* block = LocalAlloc(LMEM_FIXED, file.size());
  if (block == nullptr) return nullptr;
  std::memcpy(block, file.data(), file.size());
  *size = static_cast<DWORD>(file.size());
  return block;
}
