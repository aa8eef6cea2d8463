// libjpeg-turbo's library as a black-box reader of our streams: the
// quantised coefficients it reads, and the samples it decodes, with every
// warning it gives. Loaded at run time, so the test program has no link-time
// tie to it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ReferenceComponent {
  int id = 0;
  int h = 1;
  int v = 1;
  int quantTable = 0;
  int widthInBlocks = 0;  // the component's own size (T.81), not its padded MCU area
  int heightInBlocks = 0;
  std::vector<std::int16_t> coefficients;  // 64 a block in natural order, blocks row by row
};

struct ReferenceRead {
  bool ok = false;
  std::string messages;  // the error or the warnings, empty when clean
  int warnings = 0;
  bool progressive = false;
  int width = 0;
  int height = 0;
  std::vector<ReferenceComponent> components;  // coefficient reads
  int outputComponents = 0;                    // sample decodes
  std::vector<std::uint8_t> samples;
};

// Available when the library could be loaded.
bool ReferenceLibraryLoaded();
ReferenceRead ReadCoefficientsWithReference(const std::vector<std::uint8_t>& stream);
// Decodes to the library's default output colour (RGB for YCbCr, grey for
// grey, the components as stored otherwise).
ReferenceRead DecodeSamplesWithReference(const std::vector<std::uint8_t>& stream);
// Decodes with the integer transform and chroma repeated, or interpolated
// when `smooth`, at 1 / scaleDenom; `keepYcc` leaves YCbCr unconverted.
ReferenceRead DecodePlainWithReference(const std::vector<std::uint8_t>& stream, bool keepYcc, int scaleDenom,
                                       bool smooth = false);
