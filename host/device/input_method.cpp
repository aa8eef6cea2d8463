#include <cstdint>
#include <map>

#include "host/run/call_log.h"
#include "host/device/input_method_api.h"

HIMC ImmAssociateContext(HWND window, HIMC context) {
  HostCallLogRecord(context ? "ImmAssociateContext(restore)" : "ImmAssociateContext(off)");
  // Every window starts with the system's one default context.
  static std::map<HWND, HIMC> attached;
  static HIMC const systemDefault = reinterpret_cast<HIMC>(std::uintptr_t{0x1C0});
  const auto found = attached.find(window);
  HIMC previous = found == attached.end() ? systemDefault : found->second;
  attached[window] = context;
  return previous;
}
