// Clocks and sleeping. Two modes, chosen before the program's first call:
// real (monotonic milliseconds since start) and virtual, where time moves only
// through Sleep and HostClockAdvance, so whole runs are deterministic and fast.
// Unless HostClockSetMode chooses first, the environment variable
// NOVEL_CLOCK=virtual selects virtual mode at the first clock call. Real time
// counts from that first call (wrapping at 32 bits); virtual time starts at 0.
// All of it may be used from any thread.
#pragma once

#include "host/base/win_types.h"

using MMRESULT = UINT;
inline constexpr MMRESULT TIMERR_NOERROR = 0;
inline constexpr MMRESULT TIMERR_NOCANDO = 97;

struct TIMECAPS {
  UINT wPeriodMin;
  UINT wPeriodMax;
};

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};

DWORD timeGetTime();
DWORD GetTickCount();
void Sleep(DWORD milliseconds);
MMRESULT timeGetDevCaps(TIMECAPS* caps, UINT capsSize);
MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);
void GetLocalTime(SYSTEMTIME* time);

// Test mode.
enum class HostClockMode { Real, Virtual };
void HostClockSetMode(HostClockMode mode);
HostClockMode HostClockGetMode();
// Virtual mode: runs at each Sleep before time moves, so threads that work by
// the clock (audio drivers) catch up first and a run does not depend on how
// the machine happens to schedule them. Null: none.
void HostClockSetBeforeVirtualSleep(void (*settle)());
// Virtual mode: moves time forward (each Sleep does the same for its
// duration, whichever thread calls it).
void HostClockAdvance(DWORD milliseconds);
// Virtual mode: sets the millisecond counter, and the local time GetLocalTime
// reports (2000-01-01 00:00 until set), so saves and time stamps are
// reproducible. The local time then runs on with virtual time.
void HostClockSetVirtualNow(DWORD milliseconds);
void HostClockSetLocalTime(const SYSTEMTIME& time);
