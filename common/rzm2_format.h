// The ".rzm2" movie: what the converter that writes it and the engine that
// plays it must agree on. Little-endian throughout: a 48-byte header, one
// 24-byte index entry per frame, then the frame records in frame order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The engine reads frame records ahead into buffers of this size, chosen by
// the movie's stored frame size; a record larger than one buffer cannot be
// played, so the converter never writes one.
inline constexpr std::size_t kMovieReadBufferBytes = 65536;
inline constexpr std::size_t kLargeMovieReadBufferBytes = 262144;

constexpr std::size_t MovieReadBufferBytes(int storedWidth, int storedHeight) {
  return storedWidth >= 640 || storedHeight >= 640 ? kLargeMovieReadBufferBytes : kMovieReadBufferBytes;
}

inline constexpr std::size_t kRzm2HeaderBytes = 48;
inline constexpr std::size_t kRzm2IndexEntryBytes = 24;

// Header and index together: a reader learns the index length from the
// frame count alone.
constexpr std::uint64_t Rzm2IndexBlockBytes(std::uint32_t frameCount) {
  return (static_cast<std::uint64_t>(frameCount) + 2) * kRzm2IndexEntryBytes;
}

// The header as the engine uses it, dimensions already in plain form.
struct Rzm2Header {
  bool version2 = false;
  std::uint32_t frameCount = 0;
  std::uint32_t rateNumerator = 0;
  std::uint32_t timeBase = 0;  // frames per second = rateNumerator / timeBase
  std::uint32_t storedWidth = 0;   // the 240/480 side: rows of the turned frame
  std::uint32_t storedHeight = 0;  // the 320/640 side
};

struct Rzm2FrameEntry {
  std::uint32_t recordBytes = 0;
  std::uint32_t offset = 0;  // counted from the end of the index
};

// Reads the first 48 bytes; version-2 dimensions are stored complemented.
Rzm2Header ReadRzm2Header(const std::uint8_t* header);
// Entry `frame` of a whole index block (header included).
Rzm2FrameEntry ReadRzm2FrameEntry(const std::uint8_t* indexBlock, std::uint32_t frame);

// Checks a whole index block against the file: a frame rate that can be
// divided by, an index that fits the file and records in frame order, not
// overlapping, each inside the file. False for a file that cannot be played.
bool ValidateRzm2Index(const std::uint8_t* indexBlock, std::uint64_t indexBlockBytes, std::uint64_t fileBytes);

// Header and index of a finished movie whose records, of the sizes given,
// follow back to back. Version 1 keeps the dimensions plain and marks the
// file "RZM1".
std::vector<std::uint8_t> BuildRzm2IndexBlock(const Rzm2Header& header, const std::vector<std::uint32_t>& recordBytes);
