// Wave-out: queued PCM buffers played by a device, each handed back through
// the caller's callback (MM_WOM_DONE) from the device's driver thread, one
// call per finished buffer, in the order written. The callback may prepare
// and write buffers again from inside. No call here waits for a callback to
// finish, except waveOutClose, which waits a few milliseconds at most before
// it reports WAVERR_STILLPLAYING; once waveOutClose succeeds no callback runs
// or will run for that device.
#pragma once

#include <cstdint>

#include "host/audio/wave_format.h"
#include "host/time/time_api.h"

struct HWAVEOUT__;
using HWAVEOUT = HWAVEOUT__*;
using DWORD_PTR = std::uintptr_t;

inline constexpr UINT WAVE_MAPPER = 0xFFFFFFFFu;
inline constexpr DWORD CALLBACK_NULL = 0x00000000;
inline constexpr DWORD CALLBACK_FUNCTION = 0x00030000;

inline constexpr UINT MM_WOM_DONE = 0x3BD;

inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_ERROR = 1;
inline constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_NODRIVER = 6;
inline constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT WAVERR_BADFORMAT = 32;
inline constexpr MMRESULT WAVERR_STILLPLAYING = 33;
inline constexpr MMRESULT WAVERR_UNPREPARED = 34;

inline constexpr DWORD WHDR_DONE = 0x01;
inline constexpr DWORD WHDR_PREPARED = 0x02;
inline constexpr DWORD WHDR_INQUEUE = 0x10;

struct WAVEHDR {
  char* lpData;
  DWORD dwBufferLength;
  DWORD dwBytesRecorded;
  DWORD_PTR dwUser;
  DWORD dwFlags;
  DWORD dwLoops;
  WAVEHDR* lpNext;
  DWORD_PTR reserved;
};

inline constexpr UINT TIME_BYTES = 0x0004;

struct MMTIME {
  UINT wType;
  union {
    DWORD ms;
    DWORD sample;
    DWORD cb;
  } u;
};

using WaveOutCallback = void (*)(HWAVEOUT device, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                                 DWORD_PTR param2);

// PCM, 16 bits, one or two channels; device WAVE_MAPPER or 0.
MMRESULT waveOutOpen(HWAVEOUT* device, UINT deviceId, const WAVEFORMATEX* format, DWORD_PTR callback,
                     DWORD_PTR instance, DWORD flags);
MMRESULT waveOutPrepareHeader(HWAVEOUT device, WAVEHDR* header, UINT headerSize);
// WAVERR_STILLPLAYING while the buffer is queued.
MMRESULT waveOutUnprepareHeader(HWAVEOUT device, WAVEHDR* header, UINT headerSize);
MMRESULT waveOutWrite(HWAVEOUT device, WAVEHDR* header, UINT headerSize);
// Stops output and hands every queued buffer back (MM_WOM_DONE each, from the
// driver thread); the position returns to 0.
MMRESULT waveOutReset(HWAVEOUT device);
// WAVERR_STILLPLAYING while buffers are queued or a callback runs.
MMRESULT waveOutClose(HWAVEOUT device);
// Bytes played since the open or the last reset (TIME_BYTES; other types are
// answered in bytes too, as the platform does for formats it does not keep).
MMRESULT waveOutGetPosition(HWAVEOUT device, MMTIME* time, UINT timeSize);
// Left level in the low 16 bits, right in the high 16 bits (0xFFFF = full).
MMRESULT waveOutSetVolume(HWAVEOUT device, DWORD volume);
