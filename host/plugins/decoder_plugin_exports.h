// The entry points of the two decoder plug-ins, "Kestrine.ovl" (MP3) and
// "Tamberwick.ovl" (Ogg Vorbis), as both sides see them: the plug-ins define
// them with C linkage, the engine resolves them by name into its tables. A
// plug-in keeps no global state: every call works on its handle only.
#pragma once

#include <cstdint>

// The first 17 32-bit words of an MP3 handle are read by the engine.
inline constexpr int kMp3WordChannels = 3;     // 1 or 2 (low 16 bits)
inline constexpr int kMp3WordFrameBytes = 12;  // the current frame's length, header and padding included
inline constexpr int kMp3WordBitRate = 15;     // kbit/s
inline constexpr int kMp3WordSampleRate = 16;  // Hz
inline constexpr int kMp3HandleWords = 17;

// The largest MPEG audio frame (MPEG-2.5 Layer II at 160 kbit/s and 8 kHz,
// padded: 2,881 bytes), the most PCM one frame gives (1,152 stereo samples)
// and the decode buffer the engine hands over.
inline constexpr std::uint32_t kMp3MaxFrameBytes = 2882;
inline constexpr std::uint32_t kMp3MaxFramePcmBytes = 4608;
inline constexpr std::uint32_t kMp3DecodeBufferBytes = 4610;

inline constexpr std::uint32_t kOggVersionBytes = 128;

extern "C" {

// MP3: a decoder for the stream whose first frame header is given, or null
// when the 4 bytes are no MPEG audio header.
using Mp3CreateFn = void* (*)(const unsigned char* header);
// 0 when a frame of the same stream starts with these 4 bytes (its length
// then in word 12), non-zero otherwise.
using Mp3PredecodeFn = int (*)(void* handle, const unsigned char* header);
// Decodes exactly one frame into out (at most 4,608 bytes); returns the sample
// frames written (silence for a valid frame that cannot be decoded yet), 0 only
// for a short or broken frame.
using Mp3DecodeFn = int (*)(void* handle, void* out, const unsigned char* frame, unsigned int bytes);
using Mp3DestroyFn = void (*)(void* handle);
// The decoder's version text.
using Mp3GetDecVerFn = const char* (*)();

// Ogg Vorbis: a decoder (never null) for the given owner.
using OggCreateFn = void* (*)(void* owner);
using OggFreeFn = void (*)(void* handle);
// Reads the image in place (it must outlive the handle's use); 0 on success.
using OggInputMemoryFn = int (*)(void* handle, const void* data, unsigned int size, int reserved);
// A Shift-JIS platform path; 0 on success.
using OggInputFileOpenFn = int (*)(void* handle, const char* path, int reserved1, int reserved2);
using OggInputFileMapFn = int (*)(void* handle, const char* path, int reserved1, int reserved2);
// Total PCM bytes into *bytes; 0 on success.
using OggPcmSizeFn = int (*)(void* handle, std::uint32_t* bytes);
// A WAVEFORMATEX-shaped record (channels u16 at byte 2, rate u32 at 4, bits
// u16 at 14), valid until the handle is freed.
using OggPcmFormatFn = const void* (*)(void* handle);
using OggReplayFn = int (*)(void* handle);
// Up to `wanted` bytes of 16-bit PCM; 0 only at the end. The loop flag is not
// used: the caller loops through the end flag and replay.
using OggProcessFrameFn = int (*)(void* handle, void* out, unsigned int wanted, int loop);
// Writes a NUL-terminated version text of at most 127 bytes.
using OggTamberVerFn = void (*)(char* out);
// Non-zero once all PCM is out (at once for input that is not Ogg Vorbis).
using OggEofFn = int (*)(void* handle);
// Lets go of a file input and takes it up again at the same sample.
using OggSuspendFn = int (*)(void* handle);
using OggResumeFn = int (*)(void* handle);

}  // extern "C"
