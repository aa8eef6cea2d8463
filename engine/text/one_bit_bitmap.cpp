#include "engine/text/one_bit_bitmap.h"

#include "host/display/display_api.h"

namespace {

// The header and its two palette entries, black then white.
struct TwoColourInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colours[2];
};

}  // namespace

int OneBitBitmap::Create(int sideLength) {
  Release();
  TwoColourInfo info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = sideLength;
  info.header.biHeight = -sideLength;
  info.header.biPlanes = 1;
  info.header.biBitCount = 1;
  info.header.biCompression = BI_RGB;
  info.colours[0] = RGBQUAD{0, 0, 0, 0};
  info.colours[1] = RGBQUAD{255, 255, 255, 0};
  HDC screen = GetDC(nullptr);
  void* pixels = nullptr;
  bitmap = CreateDIBSection(screen, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
  dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  bits = static_cast<std::uint8_t*>(pixels);
  side = sideLength;
  rowBytes = (sideLength + 31) / 32 * 4;
  if (!bitmap || !dc) {
    Release();
    return 0;
  }
  return 1;
}

void OneBitBitmap::Release() {
  if (bitmap) DeleteObject(bitmap);
  if (dc) DeleteDC(dc);
  bitmap = nullptr;
  dc = nullptr;
  bits = nullptr;
  side = 0;
  rowBytes = 0;
}
