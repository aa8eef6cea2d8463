#include "converter/audio/wave_chunks.h"

#include <algorithm>
#include <cstring>

namespace reelpack {
namespace {

constexpr std::uint32_t kMinFormatBytes = 14;

std::uint32_t ReadLe32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace

const std::uint8_t* FindWaveChunks(const std::uint8_t* image, std::uint32_t imageLength, std::uint8_t* formatOut,
                                   std::uint32_t* dataSize) {
  if (image == nullptr || imageLength < 12 || std::memcmp(image, "RIFF", 4) != 0 ||
      std::memcmp(image + 8, "WAVE", 4) != 0) {
    return nullptr;
  }
  const std::uint64_t end = std::min<std::uint64_t>(8ull + ReadLe32(image + 4), imageLength);
  bool haveFormat = false;
  const std::uint8_t* data = nullptr;
  std::uint32_t dataLength = 0;
  for (std::uint64_t at = 12; at + 8 <= end;) {
    const std::uint8_t* chunk = image + at;
    const std::uint32_t length = ReadLe32(chunk + 4);
    const std::uint64_t bodyEnd = at + 8 + length;
    if (bodyEnd > end) return nullptr;
    if (!haveFormat && std::memcmp(chunk, "fmt ", 4) == 0) {
      if (length < kMinFormatBytes) return nullptr;
      std::memcpy(formatOut, chunk + 8, std::min(length, kWaveFormatRecordBytes));
      haveFormat = true;
    } else if (dataLength == 0 && std::memcmp(chunk, "data", 4) == 0) {
      data = chunk + 8;
      dataLength = length;
    }
    if (haveFormat && dataLength > 0) {
      *dataSize = dataLength;
      return data;
    }
    at = bodyEnd + (length & 1);
  }
  return nullptr;
}

}  // namespace reelpack
