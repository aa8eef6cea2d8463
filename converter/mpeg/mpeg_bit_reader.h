// The video decoder's bit reader over the first video stream of a system
// stream: blocks of up to 512 KiB of elementary-stream bytes, positions as
// file offsets.
#pragma once

#include <cstdint>
#include <string>

#include "converter/mpeg/mpeg_byte_reader.h"
#include "converter/mpeg/mpeg_system_stream.h"

namespace reelpack {

class MPEG_BIT_STREAM final : public MpegBlockBuffer {
 public:
  MPEG_BIT_STREAM() = default;
  ~MPEG_BIT_STREAM() override;
  MPEG_BIT_STREAM(const MPEG_BIT_STREAM&) = delete;
  MPEG_BIT_STREAM& operator=(const MPEG_BIT_STREAM&) = delete;

  std::string fileName;
  STREAM_HANDLE* source = nullptr;
  // What a seek to the end gives: the file offset of the last payload.
  std::int64_t streamSize = 0;
  // File offset just past the last payload byte. Bisection and probes span
  // up to here, so GOPs inside a long last packet stay reachable.
  std::int64_t streamEnd = 0;

 protected:
  std::int64_t readRun(std::uint8_t* destination, std::int64_t capacity, std::int64_t* position) override;
  std::int64_t sourceTell() override { return streamTell(source); }

  friend int bitsOpenStream(const char* path, MPEG_BIT_STREAM& stream);
  friend std::int64_t bitsSeek(MPEG_BIT_STREAM& stream, std::int64_t position, int whence);
};

// Opens the first video stream of the file; 0 when that fails.
int bitsOpenStream(const char* path, MPEG_BIT_STREAM& stream);
void bitsCloseStream(MPEG_BIT_STREAM& stream);

// The next n bits (1 to 32) without consuming them; zeros past the end.
inline std::uint32_t bitsPeek(MPEG_BIT_STREAM& stream, int n) { return stream.peekBits(n); }
inline std::uint32_t bitsGet(MPEG_BIT_STREAM& stream, int n) { return stream.getBits(n); }
// 0 when the stream ended first.
inline int bitsSkip(MPEG_BIT_STREAM& stream, int n) { return stream.consumeBits(n) ? 1 : 0; }
// Byte-aligns and advances to the next 00 00 01; 1 when found (the next 32
// bits are the start code), 0 at the end of the stream.
inline int bitsNextStartCode(MPEG_BIT_STREAM& stream) { return stream.nextStartCode() ? 1 : 0; }
// whence 0: to the first stream byte at or after the file offset; whence 2:
// to the last packet of the stream. Returns bitsTell.
std::int64_t bitsSeek(MPEG_BIT_STREAM& stream, std::int64_t position, int whence);
// File offset of the first byte not yet consumed.
inline std::int64_t bitsTell(MPEG_BIT_STREAM& stream) { return stream.tell(); }

}  // namespace reelpack
