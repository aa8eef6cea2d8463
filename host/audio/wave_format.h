// The platform's PCM format record, as the converter's audio pass and the
// engine's sound code describe 16-bit PCM with it, and the header of a
// ".wav" file holding such PCM.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/base/win_types.h"

inline constexpr WORD WAVE_FORMAT_PCM = 1;

struct WAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
};

inline constexpr std::size_t kWaveFileHeaderBytes = 44;

// The 44-byte RIFF header of a ".wav" file of 16-bit PCM with dataBytes of data.
void WriteWaveFileHeader(std::uint8_t* out, WORD channels, DWORD rate, DWORD dataBytes);
