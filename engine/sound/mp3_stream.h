// An MP3 sound read frame by frame through the MP3 plug-in, from a memory
// image (owned by the caller, who frees it after the stream) or from a mapped
// file. Reads deliver exactly the bytes asked for except at the end of a sound
// that does not loop; what a frame gives beyond that is kept for the next read.
#pragma once

#include <cstdint>
#include <string>

#include "host/audio/wave_format.h"
#include "host/plugins/decoder_plugin_exports.h"

class CMp3Stream {
 public:
  CMp3Stream() = default;
  ~CMp3Stream();
  CMp3Stream(const CMp3Stream&) = delete;
  CMp3Stream& operator=(const CMp3Stream&) = delete;

  // 0, or 1 when the stream cannot play (no plug-in, no decoder, no data);
  // such a stream reports itself ended and reads nothing.
  int OpenMemory(const std::uint8_t* data, std::uint32_t size);
  // size 0: up to the end of the file.
  int OpenFile(const std::string& path, std::uint32_t offset, std::uint32_t size);
  // out has room for bytes plus one decoded frame (4,608 bytes).
  std::uint32_t ReadPcm(std::uint8_t* out, std::uint32_t bytes, int loop);
  std::uint32_t IsEnded() const { return ended_; }
  const WAVEFORMATEX& GetFormat() const { return format_; }
  // Around a suspension: the mapping is let go of and taken up again; reads
  // give silence meanwhile.
  void Unmap();
  void Remap();
  void Close();

 private:
  // Sets the start and end offsets past the tags of the data at offset;
  // false when a tag points past the data.
  bool SkipTags(std::uint32_t offset, std::uint32_t size);
  int CreateDecoder();
  bool MapFile();
  void ReleaseMapping();
  // A failed open: no decoder, cleared format, ended.
  int Fail();

  std::uint32_t ended_ = 0;
  void* decoder_ = nullptr;
  bool mapped_ = false;
  const std::uint8_t* data_ = nullptr;
  std::uint32_t endOffset_ = 0;
  std::uint32_t readOffset_ = 0;
  std::uint32_t startOffset_ = 0;
  void* file_ = nullptr;
  void* mapping_ = nullptr;
  WAVEFORMATEX format_{};
  std::uint32_t bytesPerSecond_ = 0;
  std::uint8_t leftover_[kMp3MaxFramePcmBytes] = {};
  std::uint32_t leftoverRead_ = 0;
  std::uint32_t leftoverFill_ = 0;
  std::uint8_t inputFrame_[kMp3MaxFrameBytes] = {};
  std::uint8_t decodedFrame_[kMp3DecodeBufferBytes] = {};
  std::uint32_t suspended_ = 0;
  // A looping read that restarts without having produced anything since the
  // last restart ends the sound instead.
  bool producedSinceRestart_ = true;
  std::string path_;
};
