// Processor identification, the processor class and the per-record table of
// kernel entry points that every driver calls through.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/registry/registry_api.h"
#include "jpeglib/jpeg_api.h"
#include "jpeglib/jpeg_decode_kernels.h"
#include "jpeglib/jpeg_output.h"
#include "jpeglib/jpeg_tables.h"
#include "jpeglib/jpeg_ycc_colour.h"

struct JpegWorkingState;

struct JPEG_CPU_INFO {
  std::uint32_t brandIndex;
  std::uint32_t processorType;
  std::uint32_t family;  // base family field only
  std::uint32_t model;
  std::uint32_t stepping;
  std::uint32_t featureFlags;  // leaf 1 EDX: bit 23 MMX, 25 SSE, 26 SSE2
  char vendor[13];
};

inline constexpr std::uint32_t kCpuFeatureMmx = 1u << 23;
inline constexpr std::uint32_t kCpuFeatureSse = 1u << 25;
inline constexpr std::uint32_t kCpuFeatureSse2 = 1u << 26;

// Processor classes: 0-2 plain, 3 MMX, 4 MMX with conditional moves, 5 SSE, 6 SSE2.
inline constexpr int kJpegClassPlain = 0;
inline constexpr int kJpegClassMmx = 3;
inline constexpr int kJpegClassMmx2 = 4;
inline constexpr int kJpegClassSse = 5;
inline constexpr int kJpegClassSse2 = 6;

using JpegBlockTransform = void (*)(std::int16_t block[64]);
using JpegQuantizer = void (*)(std::int16_t block[64], const std::uint16_t multipliers[64]);
using JpegBlockCoder = JPEG_STATUS (*)(JpegOutputStream& out, const JpegHuffmanCodes& dc,
                                       const JpegHuffmanCodes& ac, std::int16_t& predictor,
                                       const std::int16_t block[64]);
using JpegBlockDecoder = JPEG_STATUS (*)(JpegInputStream& in, const JpegHuffmanDecodeTable& dc,
                                         const JpegHuffmanDecodeTable& ac, std::int16_t& predictor,
                                         std::int16_t block[64]);
using JpegYccPixel = JpegRgb (*)(int y, int cb, int cr);
// A whole 4:2:0 MCU: luma 16 x 16 and chroma 8 x 8 samples, each plane
// with row stride `planeStride`, into 16 rows of 16 three-byte pixels.
using JpegMcuWriter420 = void (*)(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr,
                                  std::ptrdiff_t planeStride, std::uint8_t* out, std::ptrdiff_t stride);
using JpegDequantizer = void (*)(std::int16_t block[64], const std::int32_t table[80]);
// Dequantise, transform and store 8 x 8 samples as bytes in one step.
using JpegBlockStep = void (*)(const std::int16_t block[64], const std::int16_t factors[64], std::uint8_t* out,
                               std::ptrdiff_t stride);
using JpegOutputOpener = void (*)(JpegOutputStream& out, std::uint8_t* buffer, std::size_t size);
using JpegByteWriter = JPEG_STATUS (*)(const std::uint8_t* bytes, std::size_t count, JpegOutputStream& out);
// One MCU from the picture into the MCU block buffer (strict raster order).
using JpegMcuConverter = void (*)(JpegWorkingState& work, int column, int row);
// A whole MCU: top-left pixel, row stride in bytes, the MCU's blocks in order.
using JpegMcuKernel = void (*)(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);

// The kernel entries. The decoder's active entries (chosen per scan) and its
// output converters join with the decoder.
struct JPEG_PROCESSOR_TABLE {
  // System entries: the registry functions that can force the class.
  decltype(&RegOpenKeyExA) regOpenKey;
  decltype(&RegQueryValueExA) regQueryValue;
  decltype(&RegCloseKey) regCloseKey;

  void (*endSimd)();
  JpegBlockTransform fdctFast;      // method 0
  JpegBlockTransform fdctAccurate;  // method 1
  JpegBlockTransform forwardDct;    // active, chosen with the header
  JpegBlockTransform idctFast[4];      // method 0: 8x8, 4x4, 2x2, 1x1
  JpegBlockTransform idctAccurate[4];  // method 1
  JpegOutputOpener openOutput;
  JpegByteWriter writeOutputBytes;
  JpegMcuConverter convertMcu;  // active, chosen per scan

  JpegMcuKernel greyLevelShift;
  JpegMcuKernel convertRgbBlock, convertRgbBlock422, convertRgbBlock411;
  JpegMcuKernel convertBgrBlock, convertBgrBlock422, convertBgrBlock411;
  JpegMcuKernel copyBlock3, subsampleBlock422, subsampleBlock411;
  JpegMcuKernel packedBlock422;
  JpegMcuKernel convertRgbaBlock, convertRgbaBlock422, convertRgbaBlock411;
  JpegMcuKernel copyBlock4;

  JpegBlockCoder encodeBlock;
  JpegBlockDecoder decodeBlock;
  JpegBlockDecoder decodeBlockDcOnly;
  JpegQuantizer quantizeFast;      // method 0
  JpegQuantizer quantizeAccurate;  // method 1
  JpegQuantizer quantize;          // active
  JpegDequantizer dequantizeFast;      // method 0
  JpegDequantizer dequantizeAccurate;  // method 1
  // Method 1 at full size in one step where a class has it (else null:
  // the dequantiser, the transform and a copy).
  JpegBlockStep transformAccurate8;

  // Decoder output of the per-MCU converters: the colour arithmetic of RGB
  // and BGR, that of RGBA and four-component output, and whole 4:2:0 MCUs.
  JpegYccPixel yccPixel;
  JpegYccPixel yccPixelOpaque;
  JpegMcuWriter420 writeBgr420;
  JpegMcuWriter420 writeRgb420;
};

// CPUID leaves 0 and 1 into the record (left as preset where unsupported).
void identifyProcessor(JPEG_CPU_INFO& info);
// Class from family and feature bits.
int jpegClassFromCpuInfo(const JPEG_CPU_INFO& info);
// The "USECPU" registry value when it is 0..6, else -1.
int jpegReadClassOverride(const JPEG_PROCESSOR_TABLE& table);
// Override, else the class of this processor.
int jpegClassifyProcessor(const JPEG_PROCESSOR_TABLE& table);
// Loads the system entries and fills the table for `processorClass`.
void jpegFillProcessorTable(JPEG_PROCESSOR_TABLE& table, int processorClass);
// Loads the system entries, classifies and fills; returns the class.
int jpegSelectProcessorTable(JPEG_PROCESSOR_TABLE& table);
void jpegReleaseSystemEntries(JPEG_PROCESSOR_TABLE& table);
