// jpegTransformImage, jpegQuantizeImage and jpegCountScanBits: the steps of a
// sequential buffer write, taken apart so that a picture is converted and
// transformed once and then quantised and measured at several qualities.
#include <cstring>

#include "jpeglib/jpeg_block_kernels.h"
#include "jpeglib/jpeg_header.h"
#include "jpeglib/jpeg_markers.h"
#include "jpeglib/jpeg_mcu_convert.h"
#include "jpeglib/jpeg_mcu_fill.h"
#include "jpeglib/jpeg_working_state.h"

namespace {

int mcuBlocks(const JpegFrame& frame) {
  int blocks = 0;
  for (int c = 0; c < frame.componentCount; ++c) blocks += frame.components[c].h * frame.components[c].v;
  return blocks;
}

std::size_t imageBlocks(const JpegFrame& frame) {
  return static_cast<std::size_t>(frame.mcuCount) * static_cast<std::size_t>(mcuBlocks(frame));
}

// The tables every component needs, checked as the scan coder checks them.
JPEG_STATUS checkComponentTables(const JpegWorkingState& work) {
  for (int c = 0; c < work.frame.componentCount; ++c) {
    const int dc = work.dcSelector[c], ac = work.acSelector[c];
    if (dc >= 4 || ac >= 4 || !work.dcBuilt[dc] || !work.acBuilt[ac]) return JPEG_NO_HUFFMAN_TABLE;
    const int table = work.frame.components[c].quantTable;
    if (table < 0 || table >= 4 || !work.quant[table].prepared) return JPEG_NO_QUANT_TABLE;
  }
  return JPEG_SUCCESS;
}

// Set-up and header of a buffer write, as jpegWrite runs them.
JPEG_STATUS beginTransform(JPEG_PROPERTIES& props, JpegWorkingState& work) {
  if (work.scan != nullptr || work.progressive || work.restartInterval != 0 || work.planeSource.attached()) {
    return JPEG_NOT_SUPPORTED;
  }
  work.mode = JPEG_WRITE_IMAGE_BUFFER;
  if (JPEG_STATUS status = jpegValidateProperties(props, JPEG_WRITE_IMAGE_BUFFER)) return status;
  if (!props.keepWorkingState) work.fields = props;
  jpegSetUpPicture(work);
  jpegInstallDefaultTables(work);
  if (JPEG_STATUS status = jpegSetUpFrame(work)) return status;
  if (JPEG_STATUS status = jpegWriteHeader(work, work.fields.jpegBuffer, work.fields.jpegBufferSize)) return status;
  if (JPEG_STATUS status = writeSof0(work)) return status;
  if (JPEG_STATUS status = writeSos(work, work.frame.componentCount)) return status;
  if (JPEG_STATUS status = jpegFlushOutput(work)) return status;
  if (JPEG_STATUS status = checkComponentTables(work)) return status;
  return jpegSelectMcuConverter(work);
}

bool transformed(const JpegWorkingState& work) {
  return work.frame.mcuCount > 0 && work.mode == JPEG_WRITE_IMAGE_BUFFER && work.table.quantize != nullptr;
}

}  // namespace

JPEG_STATUS jpegTransformImage(JPEG_PROPERTIES* props, std::int16_t* blocks, std::uint32_t blockRoom,
                               std::uint32_t* blockCount) {
  if (props == nullptr || props->work == nullptr || blocks == nullptr || blockCount == nullptr) {
    return JPEG_INVALID_PROPERTIES;
  }
  JpegWorkingState& work = *props->work;
  *blockCount = 0;
  JPEG_STATUS status = beginTransform(*props, work);
  const JpegFrame& frame = work.frame;
  if (status == JPEG_SUCCESS && imageBlocks(frame) > blockRoom) status = JPEG_OUTPUT_TOO_SMALL;
  if (status != JPEG_SUCCESS) {
    work.frame.mcuCount = 0;
    work.table.endSimd();
    return status;
  }
  const int perMcu = mcuBlocks(frame);
  const std::size_t mcuValues = static_cast<std::size_t>(perMcu) * 64;
  std::int16_t* out = blocks;
  for (int row = 0; row < frame.mcuRows; ++row) {
    for (int column = 0; column < frame.mcusPerRow; ++column, out += mcuValues) {
      jpegFillMcuBlocks(work, column, row, perMcu);
      std::memcpy(out, work.mcuBlocks, mcuValues * sizeof(std::int16_t));
    }
  }
  work.table.endSimd();
  *blockCount = static_cast<std::uint32_t>(imageBlocks(frame));
  props->jpegBufferSize = static_cast<std::uint32_t>(work.output.bytesWritten);
  return JPEG_SUCCESS;
}

JPEG_STATUS jpegQuantizeImage(JPEG_PROPERTIES* props, int quality, const std::int16_t* transformedBlocks,
                              std::int16_t* quantised, std::uint16_t tables[2][64]) {
  if (props == nullptr || props->work == nullptr || transformedBlocks == nullptr || quantised == nullptr ||
      tables == nullptr || quality < 1 || quality > 100) {
    return JPEG_INVALID_PROPERTIES;
  }
  JpegWorkingState& work = *props->work;
  if (!transformed(work)) return JPEG_INVALID_PROPERTIES;
  work.fields.quality = quality;
  for (int t = 0; t < work.quantCount; ++t) {
    JpegQuantSlot& slot = work.quant[t];
    if (slot.base == nullptr) continue;
    jpegScaleQuantTable(quality, slot.base, slot.scaled);
    if (JPEG_STATUS status = jpegPrepareQuantTable(work, slot)) return status;
  }
  for (int t = 0; t < 2; ++t) std::memcpy(tables[t], work.quant[t].scaled, sizeof work.quant[t].scaled);

  const JpegFrame& frame = work.frame;
  const std::int16_t* from = transformedBlocks;
  std::int16_t* block = quantised;
  for (int mcu = 0; mcu < frame.mcuCount; ++mcu) {
    for (int c = 0; c < frame.componentCount; ++c) {
      const std::uint16_t* multipliers = work.quant[frame.components[c].quantTable].multipliers;
      for (int k = 0; k < frame.components[c].h * frame.components[c].v; ++k, block += 64, from += 64) {
        std::memcpy(block, from, 64 * sizeof(std::int16_t));
        work.table.quantize(block, multipliers);
      }
    }
  }
  work.table.endSimd();
  return JPEG_SUCCESS;
}

JPEG_STATUS jpegCountScanBits(JPEG_PROPERTIES* props, const std::int16_t* quantised, std::uint64_t* bits) {
  if (props == nullptr || props->work == nullptr || quantised == nullptr || bits == nullptr) {
    return JPEG_INVALID_PROPERTIES;
  }
  const JpegWorkingState& work = *props->work;
  if (!transformed(work)) return JPEG_INVALID_PROPERTIES;
  *bits = 0;
  const JpegFrame& frame = work.frame;
  std::int16_t predictors[kJpegMaxComponents] = {};
  const std::int16_t* block = quantised;
  for (int mcu = 0; mcu < frame.mcuCount; ++mcu) {
    for (int c = 0; c < frame.componentCount; ++c) {
      const JpegHuffmanCodes& dc = work.dcCodes[work.dcSelector[c]];
      const JpegHuffmanCodes& ac = work.acCodes[work.acSelector[c]];
      for (int k = 0; k < frame.components[c].h * frame.components[c].v; ++k, block += 64) {
        if (JPEG_STATUS status = countBlockHuffmanBits(dc, ac, predictors[c], block, *bits)) return status;
      }
    }
  }
  return JPEG_SUCCESS;
}
