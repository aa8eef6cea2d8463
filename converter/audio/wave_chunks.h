// Finding the format and the PCM in a RIFF/WAVE image.
#pragma once

#include <cstdint>

namespace reelpack {

// The size of the format record FindWaveChunks fills.
inline constexpr std::uint32_t kWaveFormatRecordBytes = 1024;

// The PCM of the image's data chunk, or null when the image (imageLength
// bytes) is no RIFF/WAVE image or has no format chunk of at least 14 bytes
// and no data chunk of non-zero length within it. The first "fmt " body goes
// to formatOut (kWaveFormatRecordBytes, a longer body is cut); the first
// non-empty "data" chunk is taken, and a chunk that runs past the image or the
// RIFF size is refused, as is a data chunk that does.
const std::uint8_t* FindWaveChunks(const std::uint8_t* image, std::uint32_t imageLength, std::uint8_t* formatOut,
                                   std::uint32_t* dataSize);

}  // namespace reelpack
