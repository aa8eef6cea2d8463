// The Game API: exclusive display and key access for full-screen programs.
#pragma once

#include <cstdint>

#include "host/window/window_api.h"

inline constexpr DWORD GX_FULLSCREEN = 0x01;
inline constexpr int GX_NORMALKEYS = 0x02;
inline constexpr int GX_LANDSCAPEKEYS = 0x03;

inline constexpr DWORD kfDirect565 = 0x80;
inline constexpr DWORD kfDirect = 0x20;

struct GXDisplayProperties {
  DWORD cxWidth;
  DWORD cyHeight;
  std::int32_t cbxPitch;
  std::int32_t cbyPitch;
  std::int32_t cBPP;
  DWORD ffFormat;
};

// One hardware key: its virtual-key code and where it sits on the case.
struct GXKeyRecord {
  std::int16_t vkCode;
  POINT position;
};

// Up, down, left, right, A, B, C, start, in this order.
struct GXKeyList {
  GXKeyRecord keys[8];
};

int GXOpenDisplay(HWND window, DWORD flags);
int GXCloseDisplay();
int GXOpenInput();
int GXCloseInput();
GXKeyList GXGetDefaultKeys(int options);
int GXSuspend();
int GXResume();
// The display as a portrait view, and the begin/end pair around access to it.
GXDisplayProperties GXGetDisplayProperties();
void* GXBeginDraw();
int GXEndDraw();
