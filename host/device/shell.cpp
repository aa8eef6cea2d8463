#include "host/run/call_log.h"
#include "host/device/shell_api.h"

BOOL SHFullScreen(HWND window, DWORD /*state*/) {
  HostCallLogRecord("SHFullScreen");
  return IsWindow(window) && !HostCallFails("SHFullScreen") ? TRUE : FALSE;
}
