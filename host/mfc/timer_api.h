// Window timers on the host clock (real or virtual): a due timer posts one
// WM_TIMER and posts the next only after that one was delivered, so a late
// loop sees one message, not a backlog.
#pragma once

#include "host/mfc/afx_message_map.h"

using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

// Starts or restarts timer id of the window; elapse in milliseconds.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC callback);
BOOL KillTimer(HWND window, UINT_PTR id);

// Posts WM_TIMER for every due timer that has none waiting (the message
// loops call it before they look at the queue).
void HostPostDueTimers();
// Milliseconds until the next timer is due (INFINITE when there is none).
DWORD HostTimeToNextTimer();
// Called as a WM_TIMER is dispatched: false when the timer was killed since
// (the message is dropped); otherwise it counts again from now.
bool HostTimerDelivered(HWND window, WPARAM id);
void HostKillTimersOf(HWND window);
