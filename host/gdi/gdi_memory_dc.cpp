#include <cstdint>
#include <utility>

#include "host/gdi/gdi_api.h"
#include "host/gdi/gdi_objects.h"

namespace {

struct StockObjects {
  HGDIOBJ bitmapHandle;
  std::shared_ptr<GdiBitmap> bitmap;
  HGDIOBJ fontHandle;
  std::shared_ptr<GdiFont> font;
};

// What a new memory context holds: a 1 x 1 bitmap and a font that draws
// nothing. They are never deleted.
const StockObjects& Stock() {
  static const StockObjects stock = [] {
    StockObjects objects;
    objects.bitmap = std::make_shared<GdiBitmap>();
    objects.bitmap->width = 1;
    objects.bitmap->height = 1;
    objects.bitmap->rowBytes = 4;
    objects.bitmap->palette[1] = RGBQUAD{255, 255, 255, 0};
    objects.bitmap->bits.assign(4, 0);
    objects.bitmapHandle = HostHandleAdd(objects.bitmap);
    objects.font = std::make_shared<GdiFont>();
    objects.fontHandle = HostHandleAdd(objects.font);
    return objects;
  }();
  return stock;
}

bool IsStock(HGDIOBJ object) { return object == Stock().bitmapHandle || object == Stock().fontHandle; }

}  // namespace

std::shared_ptr<GdiDc> GdiFindDc(HDC dc) {
  if (!dc) return nullptr;
  return std::dynamic_pointer_cast<GdiDc>(HostHandleGet(reinterpret_cast<HANDLE>(dc)));
}

HDC CreateCompatibleDC(HDC /*dc*/) {
  auto memory = std::make_shared<GdiDc>();
  memory->background = RGB(255, 255, 255);
  memory->text = RGB(0, 0, 0);
  memory->bitmap = Stock().bitmap;
  memory->bitmapHandle = Stock().bitmapHandle;
  memory->font = Stock().font;
  memory->fontHandle = Stock().fontHandle;
  return reinterpret_cast<HDC>(HostHandleAdd(std::move(memory)));
}

BOOL DeleteDC(HDC dc) {
  if (!GdiFindDc(dc)) return FALSE;
  return HostHandleRemove(reinterpret_cast<HANDLE>(dc)) ? TRUE : FALSE;
}

HBITMAP CreateDIBSection(HDC /*dc*/, const BITMAPINFO* info, UINT usage, void** bits, HANDLE /*section*/,
                         DWORD /*offset*/) {
  if (bits) *bits = nullptr;
  if (!info || usage != DIB_RGB_COLORS) return nullptr;
  const BITMAPINFOHEADER& header = info->bmiHeader;
  // A bitmap larger than this is no glyph or text bitmap.
  constexpr LONG kSideLimit = 4096;
  const LONG height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
  if (header.biBitCount != 1 || header.biCompression != BI_RGB || header.biWidth <= 0 ||
      header.biWidth > kSideLimit || height == 0 || height > kSideLimit) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto bitmap = std::make_shared<GdiBitmap>();
  bitmap->width = header.biWidth;
  bitmap->height = height;
  bitmap->topDown = header.biHeight < 0;
  bitmap->rowBytes = (header.biWidth + 31) / 32 * 4;
  const RGBQUAD* colors = info->bmiColors;
  bitmap->palette[0] = colors[0];
  bitmap->palette[1] = colors[1];
  bitmap->bits.assign(static_cast<std::size_t>(bitmap->rowBytes) * height, 0);
  if (bits) *bits = bitmap->bits.data();
  return reinterpret_cast<HBITMAP>(HostHandleAdd(std::move(bitmap)));
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  const std::shared_ptr<GdiDc> memory = GdiFindDc(dc);
  if (!memory || !object) return nullptr;
  const std::shared_ptr<HostObject> found = HostHandleGet(object);
  if (auto bitmap = std::dynamic_pointer_cast<GdiBitmap>(found)) {
    memory->bitmap = std::move(bitmap);
    return std::exchange(memory->bitmapHandle, object);
  }
  if (auto font = std::dynamic_pointer_cast<GdiFont>(found)) {
    memory->font = std::move(font);
    return std::exchange(memory->fontHandle, object);
  }
  return nullptr;
}

BOOL DeleteObject(HGDIOBJ object) {
  if (!object || IsStock(object)) return FALSE;
  if (object == GetStockObject(BLACK_BRUSH)) return TRUE;
  const std::shared_ptr<HostObject> found = HostHandleGet(object);
  if (!std::dynamic_pointer_cast<GdiBitmap>(found) && !std::dynamic_pointer_cast<GdiFont>(found)) return FALSE;
  return HostHandleRemove(object) ? TRUE : FALSE;
}
