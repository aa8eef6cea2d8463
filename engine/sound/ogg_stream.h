// An Ogg Vorbis sound decoded by the Ogg plug-in, which parses the input
// itself (a memory image owned by the caller, or a file it opens). Reads
// deliver exactly the bytes asked for except at the end of a sound that does
// not loop; a decoder's surplus beyond the request is kept for the next read.
#pragma once

#include <cstdint>
#include <string>

#include "host/audio/wave_format.h"

class COggStream {
 public:
  // Creates the decoder when the plug-in is loaded; without one the stream is
  // ended from the start.
  COggStream();
  ~COggStream();
  COggStream(const COggStream&) = delete;
  COggStream& operator=(const COggStream&) = delete;

  void Free();
  int OpenMemory(const std::uint8_t* data, std::uint32_t size);
  // path: Shift-JIS, kept for the decoder.
  int OpenFile(const std::string& path, int a, int b);
  // out has room for bytes (the decoder's surplus is bounded by the leftover).
  std::uint32_t ReadPcm(std::uint8_t* out, std::uint32_t bytes, int loop);
  std::uint32_t IsEnded() const { return ended_; }
  // The decoder's format (a cleared record without a decoder).
  WAVEFORMATEX GetFormat() const;
  void Suspend();
  void Resume();

  static constexpr std::uint32_t kLeftoverBytes = 16384;

 private:
  void Restart();

  void* decoder_ = nullptr;
  std::uint32_t ended_ = 0;
  std::uint8_t leftover_[kLeftoverBytes] = {};
  std::uint32_t leftoverRead_ = 0;
  std::uint32_t leftoverFill_ = 0;
  std::uint32_t endOfStream_ = 0;
  bool producedSinceReplay_ = true;
  std::string path_;
};
