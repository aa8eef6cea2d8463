#include "jpeglib/jpeg_scan_encode.h"

#include "jpeglib/jpeg_markers.h"
#include "jpeglib/jpeg_mcu_fill.h"

namespace {

struct BoundComponent {
  const JpegHuffmanCodes* dc;
  const JpegHuffmanCodes* ac;
  const std::uint16_t* multipliers;
  int blocks;
};

JPEG_STATUS bindComponents(const JpegWorkingState& work, const JPEG_SCAN& scan, BoundComponent* bound) {
  for (int c = 0; c < scan.componentCount; ++c) {
    const int dc = work.dcSelector[c], ac = work.acSelector[c];
    if (dc >= 4 || ac >= 4 || !work.dcBuilt[dc] || !work.acBuilt[ac]) return JPEG_NO_HUFFMAN_TABLE;
    const JpegComponent& component = work.frame.components[c];
    if (component.quantTable < 0 || component.quantTable >= 4 || !work.quant[component.quantTable].prepared) {
      return JPEG_NO_QUANT_TABLE;
    }
    bound[c] = {&work.dcCodes[dc], &work.acCodes[ac], work.quant[component.quantTable].multipliers,
                component.h * component.v};
  }
  return JPEG_SUCCESS;
}

JPEG_STATUS codeMcu(JpegWorkingState& work, JPEG_SCAN& scan, const BoundComponent* bound, int totalBlocks,
                    int column, int row) {
  JPEG_PROCESSOR_TABLE& table = work.table;
  jpegFillMcuBlocks(work, column, row, totalBlocks);
  const bool quantise = jpegMcuNeedsQuantising(work);
  std::int16_t* block = work.mcuBlocks;
  for (int c = 0; c < scan.componentCount; ++c) {
    for (int k = 0; k < bound[c].blocks; ++k, block += 64) {
      if (quantise) table.quantize(block, bound[c].multipliers);
      const JPEG_STATUS status =
          table.encodeBlock(work.output, *bound[c].dc, *bound[c].ac, scan.dcPredictor[c], block);
      if (status != JPEG_SUCCESS) return status;
    }
  }
  return JPEG_SUCCESS;
}

// After `interval` MCUs (never after the last one): RSTn, n cycling 0..7,
// and fresh DC predictors.
JPEG_STATUS restartStep(JpegWorkingState& work, JPEG_SCAN& scan, bool lastMcu) {
  const auto interval = static_cast<unsigned>(work.restartInterval);
  ++scan.restartCounter;
  if (scan.restartCounter % interval != 0 || lastMcu) return JPEG_SUCCESS;
  const int n = static_cast<int>((scan.restartCounter / interval - 1) % 8);
  if (n == 7) scan.restartCounter = 0;
  if (JPEG_STATUS status = writeRst(n, work)) return status;
  for (std::int16_t& predictor : scan.dcPredictor) predictor = 0;
  return JPEG_SUCCESS;
}

JPEG_STATUS runScan(JpegWorkingState& work, JPEG_SCAN& scan, bool withRestart) {
  BoundComponent bound[kJpegMaxComponents];
  JPEG_STATUS status = bindComponents(work, scan, bound);
  int totalBlocks = 0;
  for (int c = 0; status == JPEG_SUCCESS && c < scan.componentCount; ++c) totalBlocks += bound[c].blocks;

  const JpegFrame& frame = work.frame;
  for (int row = scan.resumeRow; status == JPEG_SUCCESS && row < frame.mcuRows; ++row) {
    const int firstColumn = row == scan.resumeRow ? scan.resumeColumn : 0;
    for (int column = firstColumn; column < frame.mcusPerRow; ++column) {
      status = codeMcu(work, scan, bound, totalBlocks, column, row);
      if (status == JPEG_SUCCESS && withRestart) {
        const bool lastMcu = row == frame.mcuRows - 1 && column == frame.mcusPerRow - 1;
        status = restartStep(work, scan, lastMcu);
      }
      if (status != JPEG_SUCCESS) break;
      if (work.interruptRequest != 0) {
        work.lastMcuColumn = column;
        work.lastMcuRow = row;
        scan.resumeColumn = (column + 1) % frame.mcusPerRow;
        scan.resumeRow = scan.resumeColumn == 0 ? row + 1 : row;
        work.table.endSimd();
        return JPEG_INTERRUPT_SUCCESS;
      }
    }
  }
  work.table.endSimd();
  return status;
}

}  // namespace

JPEG_STATUS encodeSequentialScan(JpegWorkingState& work, JPEG_SCAN& scan) { return runScan(work, scan, false); }

JPEG_STATUS encodeSequentialScanRestart(JpegWorkingState& work, JPEG_SCAN& scan) {
  return runScan(work, scan, true);
}
