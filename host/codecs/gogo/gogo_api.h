// The MP3 encoder module "gogo.dll": its entry points (C names, loaded by
// name), the settings it takes and the two functions it calls back. The
// caller hands it 16-bit PCM through the input function and gets the encoded
// bytes through the output function, one frame per MPGE_processFrame.
#pragma once

#include <cstdint>

#if defined(GOGO_MODULE_BUILD)
#define GOGO_EXPORT extern "C" __attribute__((visibility("default")))
#else
#define GOGO_EXPORT extern "C"
#endif

// Fills buffer with n bytes of PCM: 0 when data was given (what the input
// lacks is zeros), 1 when no input is left.
using Mp3InputFunction = std::int32_t (*)(void* buffer, std::uint32_t n);
// Takes n encoded bytes; returns 0.
using Mp3OutputFunction = std::int32_t (*)(const void* data, std::uint32_t n);

// The input description of setting 1. The function comes first, at pointer
// width, then four 32-bit values.
struct Mp3InputDesc {
  Mp3InputFunction read;
  std::uint32_t size;           // input bytes
  std::uint32_t bitsPerSample;  // 16
  std::uint32_t sampleRate;
  std::uint32_t channels;  // 1 or 2
};

// Settings of MPGE_setConfigure (setting, value, pointer).
inline constexpr std::uint32_t kGogoInput = 1;        // value 2, pointer the Mp3InputDesc
inline constexpr std::uint32_t kGogoOutput = 2;       // value 2, pointer the Mp3OutputFunction
inline constexpr std::uint32_t kGogoChannelMode = 3;  // 1 joint stereo, 0 mono
inline constexpr std::uint32_t kGogoBitRate = 4;      // kbit/s
inline constexpr std::uint32_t kGogoOutputRate = 6;   // Hz: the input's rate (no resampling)
// Settings 8, 9 and 10 are accepted and have no effect.
inline constexpr std::uint32_t kGogoInputByFunction = 2;
inline constexpr std::uint32_t kGogoOutputByFunction = 2;
inline constexpr std::uint32_t kGogoJointStereo = 1;
inline constexpr std::uint32_t kGogoMono = 0;

// Results: 0 = done; MPGE_processFrame gives kGogoFinished once the last
// bytes are out.
inline constexpr std::uint32_t kGogoNoError = 0;
inline constexpr std::uint32_t kGogoFinished = 1;
inline constexpr std::uint32_t kGogoRefused = 2;

GOGO_EXPORT std::uint32_t MPGE_initializeWork();
GOGO_EXPORT std::uint32_t MPGE_setConfigure(std::uint32_t setting, std::uintptr_t value, std::uintptr_t pointer);
// Answers for settings 3, 4 and 6 (the value at pointer, a std::uint32_t).
GOGO_EXPORT std::uint32_t MPGE_getConfigure(std::uint32_t setting, void* pointer);
// 0 when the settings make an encoding: 16-bit input of 1 or 2 channels at
// the output rate, both functions set, a rate and bit rate LAME accepts (a
// bit rate the frame cannot carry becomes the nearest it can).
GOGO_EXPORT std::uint32_t MPGE_detectConfigure();
GOGO_EXPORT std::uint32_t MPGE_processFrame();
GOGO_EXPORT std::uint32_t MPGE_closeCoder();
GOGO_EXPORT std::uint32_t MPGE_endCoder();
// The module's version number (major in the high 16 bits).
GOGO_EXPORT std::uint32_t MPGE_getVersion(std::uint32_t* version);
// Frames encoded so far in *frames.
GOGO_EXPORT std::uint32_t MPGE_getUnitStates(std::uint32_t* frames);

using MpgeInitializeWork = decltype(&MPGE_initializeWork);
using MpgeSetConfigure = decltype(&MPGE_setConfigure);
using MpgeGetConfigure = decltype(&MPGE_getConfigure);
using MpgeDetectConfigure = decltype(&MPGE_detectConfigure);
using MpgeProcessFrame = decltype(&MPGE_processFrame);
using MpgeCloseCoder = decltype(&MPGE_closeCoder);
using MpgeEndCoder = decltype(&MPGE_endCoder);
using MpgeGetVersion = decltype(&MPGE_getVersion);
using MpgeGetUnitStates = decltype(&MPGE_getUnitStates);
