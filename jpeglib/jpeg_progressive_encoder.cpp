// The progressive image after the header step: SOF2, then every scan of the
// script with the tables fitted to it, then EOI.
#include "jpeglib/jpeg_header.h"
#include "jpeglib/jpeg_huffman_optimize.h"
#include "jpeglib/jpeg_markers.h"
#include "jpeglib/jpeg_mcu_convert.h"
#include "jpeglib/jpeg_progressive.h"

namespace {

// Component 0 codes with tables 0, every other component with tables 1.
constexpr std::uint8_t kSelectors[kJpegMaxComponents] = {0, 1, 1, 1};

// Fits a table to `counts`, writes its DHT and builds its codes.
JPEG_STATUS writeFittedTable(JpegWorkingState& work, const std::uint64_t counts[256], int tableClass, int id,
                             JpegHuffmanCodes& codes) {
  std::uint8_t bits[16];
  std::uint8_t values[256];
  jpegOptimizeHuffman(counts, bits, values);
  if (JPEG_STATUS status = writeDhtTable(work, bits, values, tableClass, id)) return status;
  return jpegBuildHuffmanCodes(bits, values, codes);
}

JPEG_STATUS codeScan(JpegWorkingState& work, const JpegCoefficientStore& store, const JPEG_SCAN& scan) {
  JpegScanStatistics statistics;
  countProgressiveScanSymbols(work, store, scan, statistics);
  JpegHuffmanCodes codes[2];
  const bool dc = scan.spectralStart == 0 && scan.spectralEnd == 0;
  if (!dc) {
    const int id = kSelectors[scan.component[0]];
    if (JPEG_STATUS status = writeFittedTable(work, statistics.counts[0], 1, id, codes[0])) return status;
  } else if (scan.approxHigh == 0) {
    if (JPEG_STATUS status = writeFittedTable(work, statistics.counts[0], 0, 0, codes[0])) return status;
    if (work.frame.componentCount > 1) {
      if (JPEG_STATUS status = writeFittedTable(work, statistics.counts[1], 0, 1, codes[1])) return status;
    }
  }
  if (JPEG_STATUS status = writeSosProgressive(work, scan, kSelectors, kSelectors)) return status;
  const JpegHuffmanCodes* const bound[2] = {&codes[0], &codes[1]};
  return encodeProgressiveScan(work, store, scan, bound);
}

}  // namespace

JPEG_STATUS jpegEncodeProgressive(JpegWorkingState& work) {
  // No progressive scan stops for an interrupt request: it is ignored.
  work.interruptRequest = 0;
  std::unique_ptr<JPEG_SCAN[]> script;
  int scanCount = 0;
  if (JPEG_STATUS status = jpegBuildProgressiveScript(work, script, scanCount)) return status;
  // Restart markers serve sequential images only, so no DRI is written.
  if (JPEG_STATUS status = writeSof2(work)) return status;
  if (JPEG_STATUS status = jpegSelectMcuConverter(work)) return status;
  JpegCoefficientStore store;
  if (JPEG_STATUS status = gatherProgressiveCoefficients(work, store)) return status;
  for (int i = 0; i < scanCount; ++i) {
    if (JPEG_STATUS status = codeScan(work, store, script[i])) return status;
  }
  if (JPEG_STATUS status = writeEoi(work)) return status;
  return jpegFlushOutput(work);
}
