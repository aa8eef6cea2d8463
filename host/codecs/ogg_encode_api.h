// The Ogg Vorbis encoder the converter links in: a whole track of 16-bit
// PCM in memory to a whole Ogg Vorbis file in memory.
#pragma once

#include "host/audio/wave_format.h"
#include "host/base/win_types.h"

// Called between blocks of the encoding; true stops it.
using OggStopCheck = bool (*)(void* context);

// Encodes *size bytes of PCM in `format` (16-bit, 1 or 2 channels, 8,000 to
// 96,000 Hz) at the Vorbis quality (-0.1 to 1.0, variable bit rate) into a
// LocalAlloc block holding the whole file, with a fixed stream serial, so
// equal input gives equal bytes; *size becomes its length. Null and *size 0
// for a refused format or quality, an encoder that cannot be set up, memory
// that cannot be had, or a stop.
void* GetOggEncodeProcessMemory(float quality, const WAVEFORMATEX* format, const void* pcm, DWORD* size,
                                OggStopCheck stop = nullptr, void* stopContext = nullptr);
