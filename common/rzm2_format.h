// The ".rzm2" movie: what the converter that writes it and the engine that
// plays it must agree on.
#pragma once

#include <cstddef>

// The engine reads frame records ahead into buffers of this size, chosen by
// the movie's stored frame size; a record larger than one buffer cannot be
// played, so the converter never writes one.
inline constexpr std::size_t kMovieReadBufferBytes = 65536;
inline constexpr std::size_t kLargeMovieReadBufferBytes = 262144;

constexpr std::size_t MovieReadBufferBytes(int storedWidth, int storedHeight) {
  return storedWidth >= 640 || storedHeight >= 640 ? kLargeMovieReadBufferBytes : kMovieReadBufferBytes;
}
