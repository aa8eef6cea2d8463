// The progressive encoder: the whole picture's quantised coefficients are
// gathered once, then a fixed scan script runs over them, each scan coded
// with Huffman tables fitted to its own symbol counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "jpeglib/jpeg_working_state.h"

// Quantised coefficient blocks of the whole picture, MCU after MCU, each MCU
// in the order of the MCU block buffer; each block in zigzag order, as the
// scans read it.
struct JpegCoefficientStore {
  std::unique_ptr<std::int16_t[]> values;
  int blocksPerMcu = 0;
  int firstBlock[kJpegMaxComponents] = {};  // a component's first block inside an MCU

  // Block (h, k) of component `c` in MCU (column, row).
  const std::int16_t* block(const JpegFrame& frame, int c, int column, int row, int h, int k) const {
    const std::size_t mcu = static_cast<std::size_t>(row) * static_cast<std::size_t>(frame.mcusPerRow) +
                            static_cast<std::size_t>(column);
    const int inMcu = firstBlock[c] + k * frame.components[c].h + h;
    return values.get() + (mcu * static_cast<std::size_t>(blocksPerMcu) + static_cast<std::size_t>(inMcu)) * 64;
  }
};

// Symbol counts of one scan: DC first scans count component 0 into table 0
// and the other components into table 1; AC scans use table 0 only.
struct JpegScanStatistics {
  std::uint64_t counts[2][256];
};

// The scans for the JPEG's colour and component count; -8 for a pair
// without a script, -5 when the script cannot be allocated.
JPEG_STATUS jpegBuildProgressiveScript(const JpegWorkingState& work, std::unique_ptr<JPEG_SCAN[]>& script,
                                       int& scanCount);

// Sizes and allocates the store (-5 on failure), then converts, transforms
// and quantises every MCU into it (-18 for a component without its table).
JPEG_STATUS gatherProgressiveCoefficients(JpegWorkingState& work, JpegCoefficientStore& store);

// Counts every symbol that encodeProgressiveScan will code for `scan`.
void countProgressiveScanSymbols(const JpegWorkingState& work, const JpegCoefficientStore& store,
                                 const JPEG_SCAN& scan, JpegScanStatistics& statistics);

// Codes `scan` with `codes[0]` (and `codes[1]` for the later components of a
// DC first scan), ending with its pending end-of-band run and correction
// bits and a closed last byte. 0, -28 or -23.
JPEG_STATUS encodeProgressiveScan(JpegWorkingState& work, const JpegCoefficientStore& store, const JPEG_SCAN& scan,
                                  const JpegHuffmanCodes* const codes[2]);

// SOF2, every scan of the script with its tables, EOI and the final flush;
// written after the header step.
JPEG_STATUS jpegEncodeProgressive(JpegWorkingState& work);
