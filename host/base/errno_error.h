// Internal to the host layer: the platform error code for a Linux errno.
#pragma once

#include "host/base/win_types.h"

DWORD HostErrorFromErrno(int error);
// Sets the last error from errno; for the failure paths of Linux calls.
void HostSetLastErrorFromErrno();
