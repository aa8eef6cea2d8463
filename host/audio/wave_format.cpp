#include "host/audio/wave_format.h"

#include <cstring>

namespace {

void Put(std::uint8_t* out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

void WriteWaveFileHeader(std::uint8_t* out, WORD channels, DWORD rate, DWORD dataBytes) {
  const DWORD blockAlign = channels * 2u;
  std::memcpy(out, "RIFF", 4);
  Put(out + 4, dataBytes + 36, 4);
  std::memcpy(out + 8, "WAVEfmt ", 8);
  Put(out + 16, 16, 4);
  Put(out + 20, WAVE_FORMAT_PCM, 2);
  Put(out + 22, channels, 2);
  Put(out + 24, rate, 4);
  Put(out + 28, blockAlign * rate, 4);
  Put(out + 32, blockAlign, 2);
  Put(out + 34, 16, 2);
  std::memcpy(out + 36, "data", 4);
  Put(out + 40, dataBytes, 4);
}
