// The platform's PCM format record, as the converter's audio pass and the
// engine's sound code describe 16-bit PCM with it.
#pragma once

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
