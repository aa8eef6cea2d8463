#include "converter/mpeg/mpeg_bit_reader.h"

#include <algorithm>

namespace reelpack {

MPEG_BIT_STREAM::~MPEG_BIT_STREAM() { bitsCloseStream(*this); }

std::int64_t MPEG_BIT_STREAM::readRun(std::uint8_t* destination, std::int64_t capacity,
                                      std::int64_t* position) {
  const int want = static_cast<int>(std::min<std::int64_t>(capacity, 1 << 30));
  const int got = streamRead(source, destination, want);
  // A read never spans two packets, so the bytes end where the stream now stands.
  *position = streamTell(source) - got;
  return got;
}

int bitsOpenStream(const char* path, MPEG_BIT_STREAM& stream) {
  bitsCloseStream(stream);
  stream.fileName = path;
  stream.source = streamOpen(path, kStreamKindVideo);
  if (stream.source == nullptr) return 0;
  stream.streamSize = streamSeek(stream.source, 0, 2);
  stream.streamEnd = stream.streamSize + stream.source->remaining;
  streamSeek(stream.source, 0, 0);
  stream.restart();
  return 1;
}

void bitsCloseStream(MPEG_BIT_STREAM& stream) {
  streamClose(stream.source);
  stream.source = nullptr;
}

std::int64_t bitsSeek(MPEG_BIT_STREAM& stream, std::int64_t position, int whence) {
  streamSeek(stream.source, position, whence);
  stream.restart();
  // The seek lands on the start of a packet; the target may lie inside it.
  if (whence == 0) stream.skipTo(position);
  return stream.tell();
}

}  // namespace reelpack
