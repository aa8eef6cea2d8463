// Save-file thumbnails: the 16-bit BMP image the save writer stores, and the
// packed time stamp of a save.
#pragma once

#include <cstdint>

// A new local-heap block holding a BMP file image of dstW x dstH RGB565
// pixels (54 bytes of headers, 16 bits per pixel, bottom-up rows, no row
// padding), each pixel the average of its box of srcW x srcH pixels; its size
// goes to *outSize when given. A target larger than the source comes out
// black. Null for a zero target size or when memory runs out.
std::uint8_t* BuildThumbnailBitmap(const std::uint16_t* pixels, std::uint32_t srcW, std::uint32_t srcH,
                                   std::uint32_t dstW, std::uint32_t dstH, std::uint32_t* outSize);

// "YYYY-MM-DD hh:mm:ss" packed as year % 100 in bits 25-31, month 21-24,
// day 16-20, hour 11-15, minute 5-10 and second / 2 in 0-4. 0 for a text
// shorter than that form.
std::uint32_t PackSaveTimeStamp(const char* text);

inline constexpr std::uint32_t kBitmapHeadersSize = 54;
