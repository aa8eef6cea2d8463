// The encoder's input stage: per-MCU converters that turn the caller's
// pixels into level-shifted 16-bit blocks in MCU order (each component's V
// rows of H blocks, component after component), and their choice per scan.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jpeglib/jpeg_api.h"
#include "jpeglib/jpeg_processor.h"

// Fixed-point colour transform; results are already shifted by -128.
inline int jpegLuma(int r, int g, int b) { return (77 * r + 150 * g + 29 * b - 32640) >> 8; }
inline int jpegCb(int r, int g, int b) { return (128 * b - 43 * r - 85 * g + 128) >> 8; }
inline int jpegCr(int r, int g, int b) { return (128 * r - 107 * g - 21 * b + 128) >> 8; }

// Colour-converting full-MCU kernels (table entries).
void convertRgbBlock(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void convertRgbBlock422(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void convertRgbBlock411(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void convertBgrBlock(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void convertBgrBlock422(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void convertBgrBlock411(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void convertRgbaBlock(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void convertRgbaBlock422(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void convertRgbaBlock411(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);

// Level-shift kernels without a colour transform (table entries).
void copyBlockGrey(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void copyBlock3(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void copyBlock4(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void subsampleBlock422(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void subsampleBlock411(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void unpackBlock422(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);

// Per-MCU converters (JpegMcuConverter), by kind code.
void convertRgbMcu(JpegWorkingState& work, int column, int row);      // 1
void convertBgrMcu(JpegWorkingState& work, int column, int row);      // 2
void convertRgbMcu411(JpegWorkingState& work, int column, int row);   // 3
void convertBgrMcu411(JpegWorkingState& work, int column, int row);   // 4
void convertRgbMcu422(JpegWorkingState& work, int column, int row);   // 5
void convertBgrMcu422(JpegWorkingState& work, int column, int row);   // 6
void convertRgbaMcu(JpegWorkingState& work, int column, int row);     // 10
void convertRgbaMcu411(JpegWorkingState& work, int column, int row);  // 11
void convertRgbaMcu422(JpegWorkingState& work, int column, int row);  // 12
void convertCopyMcu4(JpegWorkingState& work, int column, int row);    // 14
void convertCopyMcu3(JpegWorkingState& work, int column, int row);    // 15
void convertSubsampleMcu411(JpegWorkingState& work, int column, int row);  // 16
void convertSubsampleMcu422(JpegWorkingState& work, int column, int row);  // 17
void convertPackedMcu422(JpegWorkingState& work, int column, int row);     // 18
void convertGreyMcu(JpegWorkingState& work, int column, int row);          // 20
// Generic converters (kind 0). convertMcuGenericSample serves both the
// subsampling and the pass-through cases (a 1x1 average is the byte itself).
void convertMcuGenericColour(JpegWorkingState& work, int column, int row);
void convertMcuToGrey(JpegWorkingState& work, int column, int row);
void convertMcuGenericSample(JpegWorkingState& work, int column, int row);

// Kind codes stored with the chosen converter (0: a generic converter).
inline constexpr int kJpegKindGeneric = 0;

// Chooses the scan's converter into table.convertMcu and its kind code.
// -14 for a component count outside 1..255; -12 when no converter fits.
JPEG_STATUS jpegSelectMcuConverter(JpegWorkingState& work);
