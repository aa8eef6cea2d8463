// What an image read keeps while it runs: the picture's geometry at the
// read's scale, the part of it that is written, the output conversion, and
// the coefficient store of progressive and non-interleaved images.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// How component samples become picture bytes.
enum class JpegConversion {
  Copy,          // component k into channel k
  CopyReversed,  // RGB components into a BGR picture
  CopyOpaque,    // three components, then 255
  GreyToColour,  // grey into three channels, 255 into a fourth
  YccToRgb,
  YccToBgr,
  YccToRgba,
  YcckToRgba,  // complemented colour, then the fourth component
  PackedYcc,   // Y0 Cb Y1 Cr, two bytes a pixel
};

// Colour arithmetic of the YCbCr conversions (see jpeg_ycc_colour.h): that
// of the processor class's per-MCU converters, or the in-place form.
enum class JpegColourForm { Converter, InPlace };

struct JpegComponentLayout {
  int blockSide = 8;  // samples along a block's side at the read's scale
  int repeatX = 1;    // output pixels a sample covers
  int repeatY = 1;
  int blocksWide = 0;  // the component's own size in blocks
  int blocksHigh = 0;
  int storeWide = 0;  // padded to whole MCUs
  int storeHigh = 0;
};

struct JpegImageRead {
  bool prepared = false;
  int blockSide = 8;  // 8, 4, 2 or 1 at full, half, quarter or eighth size
  int mcuPixelsWide = 8;
  int mcuPixelsHigh = 8;
  int outputWidth = 0;
  int outputHeight = 0;
  // Output pixels written, [left, right) x [top, bottom); they land on the
  // picture moved by (left, top).
  int clip[4] = {};
  bool regionGiven = false;
  JpegConversion conversion = JpegConversion::Copy;
  bool fastLayout = false;  // a per-MCU converter of the processor class serves this layout
  bool whole420 = false;    // ... and whole 4:2:0 MCUs go to RGB or BGR in one kernel call
  JpegComponentLayout layout[4];

  std::vector<std::int16_t> store[4];  // 64 coefficients a block, natural order
  bool scanned[4] = {};                // a scan has brought the component's DC
  bool storeChanged = false;           // decoded since the picture was last written from it
  bool scanDecoded = false;
};

// A caller's request for an image read's quantised coefficients instead of
// pixels. Each component's plane holds its blocks padded to whole MCUs:
// block (bx, by) row r starts at value (8 by + r) x (8 x blocks per row)
// + 8 bx, coefficients in natural order.
struct RAW_COEFFICIENT_OUTPUT {
  std::int32_t flag = 0;  // 0 delivers coefficients; anything else decodes to pixels
  std::int16_t* planes[4] = {};
  std::size_t capacity[4] = {};  // values each plane can take
};

// Largest coefficient store an image may ask for.
inline constexpr std::size_t kJpegStoreLimit = std::size_t{256} << 20;
