// The platform's audio compression manager, as far as the converter needs
// it: 16-bit PCM to 16-bit PCM, one or two channels on each side, 8,000 to
// 96,000 Hz; anything else is refused with ACMERR_NOTPOSSIBLE. Rates are
// changed by a high-quality resampler; two channels become one as their
// rounded mean, one becomes two by copying.
#pragma once

#include <cstdint>

#include "host/audio/wave_format.h"
#include "host/base/win_types.h"

using MMRESULT = UINT;
using DWORD_PTR = std::uintptr_t;
struct AcmStream;
using HACMSTREAM = AcmStream*;
using HACMDRIVER = void*;

inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_NOMEM = 7;
inline constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT ACMERR_NOTPOSSIBLE = 512;
inline constexpr MMRESULT ACMERR_UNPREPARED = 514;

inline constexpr DWORD ACM_STREAMSIZEF_SOURCE = 0x00000000;
inline constexpr DWORD ACM_STREAMSIZEF_DESTINATION = 0x00000001;
inline constexpr DWORD ACM_FORMATSUGGESTF_WFORMATTAG = 0x00010000;
inline constexpr DWORD ACM_FORMATSUGGESTF_NCHANNELS = 0x00020000;
inline constexpr DWORD ACM_FORMATSUGGESTF_NSAMPLESPERSEC = 0x00040000;
inline constexpr DWORD ACM_FORMATSUGGESTF_WBITSPERSAMPLE = 0x00080000;
// Without it a conversion is the end of the source: the resampler is flushed
// and the next conversion starts afresh. With it the resampler keeps what it
// holds for the next block.
inline constexpr DWORD ACM_STREAMCONVERTF_BLOCKALIGN = 0x00000004;

inline constexpr DWORD ACMSTREAMHEADER_STATUSF_DONE = 0x00010000;
inline constexpr DWORD ACMSTREAMHEADER_STATUSF_PREPARED = 0x00020000;

struct ACMSTREAMHEADER {
  DWORD cbStruct;  // sizeof(ACMSTREAMHEADER)
  DWORD fdwStatus;
  DWORD_PTR dwUser;
  BYTE* pbSrc;
  DWORD cbSrcLength;
  DWORD cbSrcLengthUsed;
  DWORD_PTR dwSrcUser;
  BYTE* pbDst;
  DWORD cbDstLength;
  DWORD cbDstLengthUsed;
  DWORD_PTR dwDstUser;
  DWORD dwReservedDriver[10];
};

// Completes dst (cbDst bytes) from src: the fields the flags name are taken
// from dst, the rest from src. Only PCM in and out.
MMRESULT acmFormatSuggest(HACMDRIVER driver, const WAVEFORMATEX* src, WAVEFORMATEX* dst, DWORD cbDst, DWORD flags);
// Driver, filter and callback must be null; flags are not used.
MMRESULT acmStreamOpen(HACMSTREAM* stream, HACMDRIVER driver, const WAVEFORMATEX* src, const WAVEFORMATEX* dst,
                       void* filter, DWORD_PTR callback, DWORD_PTR instance, DWORD flags);
// ACM_STREAMSIZEF_SOURCE: a block-aligned destination length that converting
// `input` source bytes never exceeds; ..._DESTINATION: the source length that
// fills at most `input` destination bytes.
MMRESULT acmStreamSize(HACMSTREAM stream, DWORD input, DWORD* output, DWORD flags);
MMRESULT acmStreamPrepareHeader(HACMSTREAM stream, ACMSTREAMHEADER* header, DWORD flags);
// Converts the whole source block. The output starts at the first source
// sample and holds source frames x target rate / source rate (within one)
// once the source has ended; output the destination has no room for is kept
// for the next call.
MMRESULT acmStreamConvert(HACMSTREAM stream, ACMSTREAMHEADER* header, DWORD flags);
MMRESULT acmStreamUnprepareHeader(HACMSTREAM stream, ACMSTREAMHEADER* header, DWORD flags);
// Drops whatever the resampler holds.
MMRESULT acmStreamReset(HACMSTREAM stream, DWORD flags);
MMRESULT acmStreamClose(HACMSTREAM stream, DWORD flags);
