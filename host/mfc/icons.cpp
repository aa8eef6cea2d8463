#include <string>

#include "host/mfc/icon_api.h"
#include "host/run/call_log.h"

HICON LoadIconA(HINSTANCE /*instance*/, UINT resourceId) {
  HostCallLogRecord("LoadIcon(" + std::to_string(resourceId) + ")");
  return reinterpret_cast<HICON>(static_cast<std::uintptr_t>(resourceId) << 4);
}

BOOL DrawIcon(HDC /*dc*/, int x, int y, HICON icon) {
  if (!icon) return FALSE;
  HostCallLogRecord("DrawIcon(" + std::to_string(x) + "," + std::to_string(y) + ")");
  return TRUE;
}
