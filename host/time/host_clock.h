// The host's own millisecond clock: what GetTickCount and the multimedia
// timer read. Host code reads it directly, so the timer's object is linked
// only into programs that call the timer themselves.
#pragma once

#include "host/base/win_types.h"

DWORD HostClockMs();
