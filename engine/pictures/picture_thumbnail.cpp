#include "engine/pictures/picture_thumbnail.h"

#include <cstring>
#include <string>

#include "common/jbp1_format.h"
#include "common/byte_order.h"
#include "common/sjis_string.h"
#include "engine/runtime/file_helpers.h"
#include "engine/pictures/picture_object.h"
#include "engine/pictures/picture_rgb565.h"
#include "host/memory/memory_api.h"

namespace {

// Save-file header fields (the header is written by the save code).
constexpr std::size_t kSaveStampOffset = 8;
constexpr std::size_t kSaveThumbnailOffsetField = 4;
constexpr std::size_t kSaveTextOffset = 104;
constexpr std::size_t kSaveHeaderNeeded = kSaveTextOffset + kSaveTextSize;

constexpr std::uint32_t kThumbnailMaxSide = 4096;


// Average of the box of boxW x boxH source pixels at (left, top), clipped to
// the source; black when nothing of it lies inside.
std::uint16_t AverageBox(const std::uint16_t* pixels, std::uint64_t srcW, std::uint64_t srcH, std::uint64_t left,
                         std::uint64_t top, std::uint64_t boxW, std::uint64_t boxH) {
  std::uint64_t red = 0, green = 0, blue = 0, count = 0;
  for (std::uint64_t y = top; y < top + boxH && y < srcH; ++y) {
    for (std::uint64_t x = left; x < left + boxW && x < srcW; ++x) {
      const std::uint16_t p = pixels[y * srcW + x];
      red += Red8(p);
      green += Green8(p);
      blue += Blue8(p);
      ++count;
    }
  }
  if (count == 0) return 0;
  return PackRgb565(static_cast<std::uint32_t>(red / count), static_cast<std::uint32_t>(green / count),
                    static_cast<std::uint32_t>(blue / count));
}

std::uint32_t TwoDigits(const char* text) { return static_cast<std::uint32_t>((text[0] - '0') * 10 + (text[1] - '0')); }

}  // namespace

std::uint8_t* BuildThumbnailBitmap(const std::uint16_t* pixels, std::uint32_t srcW, std::uint32_t srcH,
                                   std::uint32_t dstW, std::uint32_t dstH, std::uint32_t* outSize) {
  if (outSize != nullptr) *outSize = 0;
  if (pixels == nullptr || dstW == 0 || dstH == 0 || dstW > kThumbnailMaxSide || dstH > kThumbnailMaxSide) return nullptr;
  const std::uint32_t imageSize = dstW * dstH * 2;
  const std::uint32_t total = imageSize + kBitmapHeadersSize;
  auto* bitmap = static_cast<std::uint8_t*>(LocalAlloc(LMEM_FIXED, total));
  if (bitmap == nullptr) return nullptr;
  if (outSize != nullptr) *outSize = total;

  std::memset(bitmap, 0, kBitmapHeadersSize);
  bitmap[0] = 'B';
  bitmap[1] = 'M';
  WriteLe32(bitmap + 2, total);
  WriteLe32(bitmap + 10, kBitmapHeadersSize);
  WriteLe32(bitmap + 14, 40);
  WriteLe32(bitmap + 18, dstW);
  WriteLe32(bitmap + 22, dstH);  // positive: bottom-up rows
  WriteLe16(bitmap + 26, 1);
  WriteLe16(bitmap + 28, 16);
  WriteLe32(bitmap + 34, imageSize);

  // Steps in 1/1024 source pixels.
  const std::uint64_t stepX = (std::uint64_t{srcW} << 10) / dstW;
  const std::uint64_t stepY = (std::uint64_t{srcH} << 10) / dstH;
  for (std::uint32_t j = 0; j < dstH; ++j) {
    std::uint8_t* row = bitmap + kBitmapHeadersSize + std::size_t{dstH - 1 - j} * dstW * 2;
    for (std::uint32_t i = 0; i < dstW; ++i) {
      const std::uint16_t value = stepY < 1024 ? 0
                                               : AverageBox(pixels, srcW, srcH, (i * stepX) >> 10, (j * stepY) >> 10,
                                                            stepX >> 10, stepY >> 10);
      WriteLe16(row + std::size_t{i} * 2, value);
    }
  }
  return bitmap;
}

std::uint32_t PackSaveTimeStamp(const char* text) {
  if (text == nullptr || StrLength(text) < 19) return 0;
  const std::uint32_t year = TwoDigits(text + 2) & 0x7F;
  const std::uint32_t month = TwoDigits(text + 5) & 0x0F;
  const std::uint32_t day = TwoDigits(text + 8) & 0x1F;
  const std::uint32_t hour = TwoDigits(text + 11) & 0x1F;
  const std::uint32_t minute = TwoDigits(text + 14) & 0x3F;
  const std::uint32_t second = (TwoDigits(text + 17) / 2) & 0x1F;
  return year << 25 | month << 21 | day << 16 | hour << 11 | minute << 5 | second;
}

int CImage::LoadSaveThumbnail(const char* fileName, const char* folder, char* outText, std::int32_t* outChapter,
                              std::uint32_t* outStamp) {
  if (outStamp != nullptr) *outStamp = 0;
  if (fileName == nullptr || folder == nullptr) return 0;
  const std::string path = std::string(folder) + fileName;
  std::uint32_t size = 0;
  auto* file = static_cast<std::uint8_t*>(ReadWholeFile(path.c_str(), &size, 0));
  if (file == nullptr) return 0;

  const auto fail = [file] {
    LocalFree(file);
    return 0;
  };
  if (size < kSaveHeaderNeeded || std::memcmp(file, "STA", 3) != 0 || file[3] < '0' || file[3] > '9') return fail();
  const std::uint64_t bitmapOffset = ReadLe32(file + kSaveThumbnailOffsetField);
  if (bitmapOffset + kBitmapHeadersSize > size) return fail();
  const std::uint8_t* bitmap = file + bitmapOffset;
  const auto bitmapWidth = static_cast<std::int32_t>(ReadLe32(bitmap + 18));
  const auto bitmapHeight = static_cast<std::int32_t>(ReadLe32(bitmap + 22));
  const std::uint32_t bitsPerPixel = ReadLe16(bitmap + 28);
  if (bitmapWidth <= 0 || bitmapHeight <= 0 || bitmapWidth > static_cast<std::int32_t>(kThumbnailMaxSide) ||
      bitmapHeight > static_cast<std::int32_t>(kThumbnailMaxSide) || bitsPerPixel != 16)
    return fail();
  const auto w = static_cast<std::uint32_t>(bitmapWidth);
  const auto h = static_cast<std::uint32_t>(bitmapHeight);
  if (bitmapOffset + kBitmapHeadersSize + std::uint64_t{w} * h * 2 > size) return fail();

  Free();
  if (!AllocatePixels(std::size_t{w} * h)) return fail();
  const std::uint8_t* rows = bitmap + kBitmapHeadersSize;
  std::uint16_t* out = GetPixels();
  for (std::uint32_t y = 0; y < h; ++y) {
    const std::uint8_t* from = rows + std::size_t{h - 1 - y} * w * 2;
    for (std::uint32_t x = 0; x < w; ++x) out[std::size_t{y} * w + x] = ReadLe16(from + 2 * x);
  }
  width = w;
  height = h;
  flags = 0;
  pixelKind = kPixelKindRgb565;

  // The header's chapter field is always written empty.
  if (outChapter != nullptr) *outChapter = 0;
  if (outText != nullptr) StrCopy(outText, kSaveTextSize, reinterpret_cast<const char*>(file + kSaveTextOffset));
  if (outStamp != nullptr) {
    char stamp[kSaveTextOffset - kSaveStampOffset];
    StrCopy(stamp, 20, reinterpret_cast<const char*>(file + kSaveStampOffset));
    *outStamp = PackSaveTimeStamp(stamp);
  }
  LocalFree(file);
  return 1;
}
