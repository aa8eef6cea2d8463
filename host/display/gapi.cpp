#include "host/display/gapi.h"

#include "host/run/call_log.h"
#include "host/display/display_api.h"

namespace {

struct GameApiState {
  bool displayOpen = false;
  bool inputOpen = false;
  bool suspended = false;
};

GameApiState& State() {
  static GameApiState state;
  return state;
}

// Records the call and tells whether a test made it fail.
bool Call(const char* name) {
  HostCallLogRecord(name);
  return !HostCallFails(name);
}

}  // namespace

int GXOpenDisplay(HWND window, DWORD /*flags*/) {
  if (!Call("GXOpenDisplay") || !IsWindow(window) || State().displayOpen) return 0;
  State().displayOpen = true;
  return 1;
}

int GXCloseDisplay() {
  Call("GXCloseDisplay");
  const bool wasOpen = State().displayOpen;
  State().displayOpen = false;
  return wasOpen ? 1 : 0;
}

int GXOpenInput() {
  if (!Call("GXOpenInput")) return 0;
  State().inputOpen = true;
  return 1;
}

int GXCloseInput() {
  Call("GXCloseInput");
  const bool wasOpen = State().inputOpen;
  State().inputOpen = false;
  return wasOpen ? 1 : 0;
}

// The keys of a PC keyboard that stand in for the device's buttons: the
// arrows for the pad, Z, X and Enter for A, B and C, Escape for start.
GXKeyList GXGetDefaultKeys(int /*options*/) {
  Call("GXGetDefaultKeys");
  const std::int16_t codes[8] = {static_cast<std::int16_t>(VK_UP),     static_cast<std::int16_t>(VK_DOWN),
                                 static_cast<std::int16_t>(VK_LEFT),   static_cast<std::int16_t>(VK_RIGHT),
                                 'Z',                                  'X',
                                 static_cast<std::int16_t>(VK_RETURN), static_cast<std::int16_t>(VK_ESCAPE)};
  GXKeyList list{};
  for (int i = 0; i < 8; ++i) list.keys[i] = GXKeyRecord{codes[i], POINT{0, 0}};
  return list;
}

int GXSuspend() {
  Call("GXSuspend");
  State().suspended = true;
  return 1;
}

int GXResume() {
  Call("GXResume");
  State().suspended = false;
  return 1;
}

GXDisplayProperties GXGetDisplayProperties() {
  GXDisplayProperties properties{};
  // The call has no failure result; a failing driver reports an empty record.
  if (!Call("GXGetDisplayProperties")) return properties;
  const HostPanel& panel = HostDisplayPanel();
  properties.cBPP = 16;
  properties.ffFormat = kfDirect | kfDirect565;
  if (panel.width <= panel.height) {
    properties.cxWidth = static_cast<DWORD>(panel.width);
    properties.cyHeight = static_cast<DWORD>(panel.height);
    properties.cbxPitch = 2;
    properties.cbyPitch = HostDisplayRowBytes();
  } else {
    // Seen as portrait: the panel's columns become rows, walked backwards.
    properties.cxWidth = static_cast<DWORD>(panel.height);
    properties.cyHeight = static_cast<DWORD>(panel.width);
    properties.cbxPitch = HostDisplayRowBytes();
    properties.cbyPitch = -2;
  }
  return properties;
}

void* GXBeginDraw() {
  if (!Call("GXBeginDraw") || !State().displayOpen || State().suspended) return nullptr;
  const HostPanel& panel = HostDisplayPanel();
  std::uint16_t* memory = HostDisplayMemory();
  return panel.width <= panel.height ? memory : memory + (panel.width - 1);
}

int GXEndDraw() {
  Call("GXEndDraw");
  return 1;
}
