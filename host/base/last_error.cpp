#include "host/base/win_types.h"

namespace {
// Each thread sees only the errors of its own calls, as on the devices.
thread_local DWORD lastError = ERROR_SUCCESS;
}  // namespace

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD error) { lastError = error; }
