// Display memory: the device's frame buffer, reached through the raw
// frame-buffer escape on the screen's device context. The host owns one
// RGB565 block for the whole run, so the address the engine keeps stays valid.
#pragma once

#include <cstdint>
#include <string>

#include "host/base/win_types.h"
#include "host/window/window_api.h"

inline constexpr int GETRAWFRAMEBUFFER = 0x00020001;
inline constexpr WORD FORMAT_565 = 1;

struct RawFrameBufferInfo {
  WORD wFormat;
  WORD wBPP;
  void* pFramePointer;
  int cxStride;  // bytes from one pixel to the next in a row
  int cyStride;  // bytes from one row to the next
  int cxPixels;
  int cyPixels;
};

// GetDC(null) is the screen.
HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
// GETRAWFRAMEBUFFER fills a RawFrameBufferInfo (outSize is not checked
// against the record: its size differs between 32- and 64-bit builds).
// Returns 1 on success, 0 for an unknown escape, leaving out untouched.
int ExtEscape(HDC dc, int escape, int inSize, LPCSTR in, int outSize, LPSTR out);

// Host side. The panel as the device holds it: width x height pixels, rows of
// width pixels plus rowPaddingBytes. Portrait panels are narrower than high;
// a landscape panel (wider than high) is what the engine sees rotated.
struct HostPanel {
  int width = 480;
  int height = 640;
  int rowPaddingBytes = 0;
};
// Parses "480x640", "240x320", "640x480" with an optional "+N" row padding.
bool HostParsePanel(const std::string& text, HostPanel* panel);
// Replaces display memory (cleared to black). Call before the program first
// reads the display geometry.
void HostDisplaySetPanel(const HostPanel& panel);
const HostPanel& HostDisplayPanel();
// The device context GetDC(null) gives for the screen.
HDC HostScreenDc();
std::uint16_t* HostDisplayMemory();
int HostDisplayRowBytes();
// The panel's pixel (x, y).
std::uint16_t HostDisplayPixel(int x, int y);
