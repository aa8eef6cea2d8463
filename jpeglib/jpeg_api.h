// Public interface of the JPEG codec library: one caller-zeroed record, the
// entry points that work on it, the I/O modes, status codes and colour and
// sampling codes.
//
// Usage: zero a JPEG_PROPERTIES, jpegInit, fill the caller fields, call
// jpegWrite as often as needed, jpegFree in every case.
#pragma once

#include <cstdint>

using JPEG_STATUS = int;
using JPEG_IO_MODE = int;

// Even modes use jpegFileName, odd modes jpegBuffer and jpegBufferSize.
inline constexpr JPEG_IO_MODE JPEG_READ_INFO_FILE = 0;
inline constexpr JPEG_IO_MODE JPEG_READ_INFO_BUFFER = 1;
inline constexpr JPEG_IO_MODE JPEG_READ_IMAGE_FILE = 2;
inline constexpr JPEG_IO_MODE JPEG_READ_IMAGE_BUFFER = 3;
inline constexpr JPEG_IO_MODE JPEG_READ_HEADER_FILE = 4;
inline constexpr JPEG_IO_MODE JPEG_READ_HEADER_BUFFER = 5;
inline constexpr JPEG_IO_MODE JPEG_READ_DATA_FILE = 6;
inline constexpr JPEG_IO_MODE JPEG_READ_DATA_BUFFER = 7;
inline constexpr JPEG_IO_MODE JPEG_WRITE_IMAGE_FILE = 8;
inline constexpr JPEG_IO_MODE JPEG_WRITE_IMAGE_BUFFER = 9;
inline constexpr JPEG_IO_MODE JPEG_WRITE_HEADER_FILE = 10;
inline constexpr JPEG_IO_MODE JPEG_WRITE_HEADER_BUFFER = 11;
inline constexpr JPEG_IO_MODE JPEG_WRITE_DATA_FILE = 12;
inline constexpr JPEG_IO_MODE JPEG_WRITE_DATA_BUFFER = 13;
inline constexpr JPEG_IO_MODE JPEG_READ_HALF_FILE = 14;
inline constexpr JPEG_IO_MODE JPEG_READ_HALF_BUFFER = 15;
inline constexpr JPEG_IO_MODE JPEG_READ_QUARTER_FILE = 16;
inline constexpr JPEG_IO_MODE JPEG_READ_QUARTER_BUFFER = 17;
inline constexpr JPEG_IO_MODE JPEG_READ_EIGHTH_FILE = 18;
inline constexpr JPEG_IO_MODE JPEG_READ_EIGHTH_BUFFER = 19;
inline constexpr JPEG_IO_MODE JPEG_READ_THUMBNAIL_FILE = 20;
inline constexpr JPEG_IO_MODE JPEG_READ_THUMBNAIL_BUFFER = 21;

inline constexpr JPEG_STATUS JPEG_SUCCESS = 0;
inline constexpr JPEG_STATUS JPEG_INTERRUPT_SUCCESS = 1;
inline constexpr JPEG_STATUS JPEG_ROI_SUCCESS = 2;
inline constexpr JPEG_STATUS JPEG_EXCEPTION = -1;
inline constexpr JPEG_STATUS JPEG_INVALID_ENCODER = -2;
inline constexpr JPEG_STATUS JPEG_UNSUPPORTED_SUBSAMPLING = -3;
inline constexpr JPEG_STATUS JPEG_UNSUPPORTED_BYTES_PER_PIXEL = -4;
inline constexpr JPEG_STATUS JPEG_MEMORY_ERROR = -5;
inline constexpr JPEG_STATUS JPEG_BAD_HUFFMAN_TABLE = -6;
inline constexpr JPEG_STATUS JPEG_BAD_QUANT_TABLE = -7;
inline constexpr JPEG_STATUS JPEG_INVALID_PROPERTIES = -8;
inline constexpr JPEG_STATUS JPEG_ERROR_CLOSE_FILE = -9;
inline constexpr JPEG_STATUS JPEG_INVALID_FILE_NAME = -10;
inline constexpr JPEG_STATUS JPEG_ERROR_EOF = -11;
inline constexpr JPEG_STATUS JPEG_NOT_SUPPORTED = -12;
inline constexpr JPEG_STATUS JPEG_NOT_JPEG = -13;
inline constexpr JPEG_STATUS JPEG_ERROR_COMP = -14;
inline constexpr JPEG_STATUS JPEG_ERROR_SOF = -15;
inline constexpr JPEG_STATUS JPEG_ERROR_DNL = -16;
inline constexpr JPEG_STATUS JPEG_NO_HUFFMAN_TABLE = -17;
inline constexpr JPEG_STATUS JPEG_NO_QUANT_TABLE = -18;
inline constexpr JPEG_STATUS JPEG_NO_FRAME = -19;
inline constexpr JPEG_STATUS JPEG_MULTIPLE_FRAMES = -20;
inline constexpr JPEG_STATUS JPEG_DATA_ERROR = -21;
inline constexpr JPEG_STATUS JPEG_NO_IMAGE = -22;
inline constexpr JPEG_STATUS JPEG_FILE_ERROR = -23;
inline constexpr JPEG_STATUS JPEG_INTERNAL_ERROR = -24;
inline constexpr JPEG_STATUS JPEG_BAD_RST_MARKER = -25;
inline constexpr JPEG_STATUS JPEG_THUMBNAIL_TOO_SMALL = -26;
inline constexpr JPEG_STATUS JPEG_THUMBNAIL_WRONG_COLOR = -27;
inline constexpr JPEG_STATUS JPEG_OUTPUT_TOO_SMALL = -28;
inline constexpr JPEG_STATUS JPEG_UNSUPPORTED_FRAME = -29;
inline constexpr JPEG_STATUS JPEG_COMMENT_ACCESS_ERROR = -30;
inline constexpr JPEG_STATUS JPEG_RESERVED = -99;

// Colour codes of imageColor and jpegColor.
inline constexpr int JPEG_COLOR_RGB = 1;
inline constexpr int JPEG_COLOR_BGR = 2;
inline constexpr int JPEG_COLOR_YCBCR = 3;
inline constexpr int JPEG_COLOR_GRAY = 4;
inline constexpr int JPEG_COLOR_RGBA = 5;
inline constexpr int JPEG_COLOR_YCBCRA = 6;
inline constexpr int JPEG_COLOR_OTHER = 255;

// jpegSampling: 0 all 1x1; 1 first 2x2, others 1x1; 2 first 2x1, others 1x1;
// 3 four components, first and fourth 2x2; 4 first and fourth 2x1.
inline constexpr int JPEG_SAMPLING_444 = 0;
inline constexpr int JPEG_SAMPLING_420 = 1;
inline constexpr int JPEG_SAMPLING_422 = 2;
inline constexpr int JPEG_SAMPLING_4204 = 3;
inline constexpr int JPEG_SAMPLING_4224 = 4;
inline constexpr int JPEG_SAMPLING_OTHER = 255;

// imageSampling 2: packed Y0 Cb Y1 Cr, two bytes a pixel (imageColor 3 only).
inline constexpr int JPEG_IMAGE_PACKED_422 = 2;

// The fields a caller fills; defaults are set by jpegInit.
struct JpegCallerFields {
  std::int32_t keepWorkingState;  // non-zero: use the working state as it stands
  void* imagePixels;
  std::int32_t imageWidth;
  std::int32_t imageHeight;  // negative: rows stored bottom-up
  std::int32_t imageRowPadding;
  std::int32_t imageChannels;
  std::int32_t imageColor;
  std::int32_t imageSampling;
  const char* jpegFileName;  // Shift-JIS path for the file modes
  std::uint8_t* jpegBuffer;
  std::uint32_t jpegBufferSize;  // in: capacity; out: bytes written
  std::int32_t jpegWidth;
  std::int32_t jpegHeight;
  std::int32_t jpegChannels;
  std::int32_t jpegColor;
  std::int32_t jpegSampling;
  std::int32_t thumbWidth;
  std::int32_t thumbHeight;
  std::int32_t convertColor;  // a write uses it only to pick the chroma table
  std::int32_t resample;
  std::int32_t quality;
};

struct JpegWorkingState;

struct JPEG_PROPERTIES : JpegCallerFields {
  std::int32_t reserved;
  JpegWorkingState* work;  // owned by the library from jpegInit to jpegFree
};

struct JPEG_VERSION {
  int major;
  int minor;
  int build;
  const char* libraryName;
  const char* versionText;
  const char* internalVersion;
  const char* buildDate;
  const char* callingConvention;
};

JPEG_STATUS jpegInit(JPEG_PROPERTIES* props);
JPEG_STATUS jpegWrite(JPEG_PROPERTIES* props, JPEG_IO_MODE mode);
JPEG_STATUS jpegRead(JPEG_PROPERTIES* props, JPEG_IO_MODE mode);
JPEG_STATUS jpegFree(JPEG_PROPERTIES* props);
const char* jpegStatusText(JPEG_STATUS status);

// For a caller that codes one picture at several qualities: the picture is
// converted and transformed once, then quantised per quality, giving the
// very blocks jpegWrite in JPEG_WRITE_IMAGE_BUFFER mode would entropy-code.
//
// jpegTransformImage takes the caller fields as that jpegWrite does (a
// sequential picture without restart markers or component planes) and
// writes the JPEG's bytes ahead of the scan data into jpegBuffer
// (jpegBufferSize out: their count). `blocks` receives every block after the
// forward DCT, MCUs in raster order, components in frame order, a
// component's blocks row by row: 64 values each, *blockCount blocks, at
// most blockRoom (-28 beyond). -12 for a picture these entries do not take.
JPEG_STATUS jpegTransformImage(JPEG_PROPERTIES* props, std::int16_t* blocks, std::uint32_t blockRoom,
                               std::uint32_t* blockCount);
// The transformed blocks of the record's last jpegTransformImage quantised
// at quality 1..100 into `quantised` (same layout, natural order within a
// block); tables[t] receives quantisation table t as its DQT segment
// carries it (zigzag order).
JPEG_STATUS jpegQuantizeImage(JPEG_PROPERTIES* props, int quality, const std::int16_t* transformed,
                              std::int16_t* quantised, std::uint16_t tables[2][64]);
// The bits of the scan data jpegWrite would write for quantised blocks (the
// layout above), before byte stuffing and the final padding; -6 where a
// value has no code, as the write would fail.
JPEG_STATUS jpegCountScanBits(JPEG_PROPERTIES* props, const std::int16_t* quantised, std::uint64_t* bits);
const JPEG_VERSION* jpegGetVersion();
