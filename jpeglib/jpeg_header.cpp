#include "jpeglib/jpeg_header.h"

#include "jpeglib/jpeg_markers.h"

namespace {

bool anyQuantTable(const JpegWorkingState& work) {
  for (const JpegQuantSlot& slot : work.quant) {
    if (slot.base != nullptr) return true;
  }
  return false;
}

bool anyHuffmanTable(const JpegWorkingState& work) {
  for (const JpegHuffmanSlot& slot : work.huffman) {
    if (slot.counts != nullptr) return true;
  }
  return false;
}

JPEG_STATUS buildCodeTables(JpegWorkingState& work) {
  for (int t = 0; t < work.huffmanCount; ++t) {
    const JpegHuffmanSlot& slot = work.huffman[t];
    if (slot.counts == nullptr || slot.id < 0 || slot.id >= 4) return JPEG_BAD_HUFFMAN_TABLE;
    const bool dc = slot.tableClass == 0;
    JpegHuffmanCodes& codes = dc ? work.dcCodes[slot.id] : work.acCodes[slot.id];
    if (JPEG_STATUS status = jpegBuildHuffmanCodes(slot.counts, slot.values, codes)) return status;
    (dc ? work.dcBuilt : work.acBuilt)[slot.id] = true;
  }
  return JPEG_SUCCESS;
}

}  // namespace

JPEG_STATUS jpegPrepareQuantTable(JpegWorkingState& work, JpegQuantSlot& slot) {
  if (work.dctMethod == 1) {
    prepareQuantAccurate(slot.scaled, slot.multipliers);
  } else if (work.dctMethod == 0) {
    prepareQuantFast(slot.scaled, slot.multipliers);
  } else {
    return JPEG_INVALID_PROPERTIES;
  }
  slot.prepared = true;
  return JPEG_SUCCESS;
}

void jpegInstallDefaultTables(JpegWorkingState& work) {
  if (!(work.callerQuantTables && anyQuantTable(work))) {
    work.quant[0].base = kJpegLuminanceQuant;
    work.quant[0].id = 0;
    work.quant[1].base = kJpegChrominanceQuant;
    work.quant[1].id = 1;
    work.quantCount = 2;
  }
  if (!(work.callerHuffmanTables && anyHuffmanTable(work))) {
    work.huffman[0] = {kJpegDcLuminanceCounts, kJpegDcLuminanceValues, 0, 0};
    work.huffman[1] = {kJpegAcLuminanceCounts, kJpegAcLuminanceValues, 1, 0};
    work.huffman[2] = {kJpegDcChrominanceCounts, kJpegDcChrominanceValues, 0, 1};
    work.huffman[3] = {kJpegAcChrominanceCounts, kJpegAcChrominanceValues, 1, 1};
    work.huffmanCount = 4;
    for (int c = 0; c < kJpegMaxComponents; ++c) {
      work.dcSelector[c] = c == 0 ? 0 : 1;
      work.acSelector[c] = c == 0 ? 0 : 1;
    }
  }
}

JPEG_STATUS jpegWriteTables(JpegWorkingState& work) {
  for (int i = 0; i < work.quantCount; ++i) {
    JpegQuantSlot& slot = work.quant[i];
    if (slot.base == nullptr) continue;
    jpegScaleQuantTable(work.fields.quality, slot.base, slot.scaled);
    if (JPEG_STATUS status = writeDqt(work, 0, slot.id, slot.scaled)) return status;
    if (JPEG_STATUS status = jpegPrepareQuantTable(work, slot)) return status;
  }
  // A progressive image writes a fitted table before each scan instead.
  if (work.progressive) return JPEG_SUCCESS;
  if (JPEG_STATUS status = writeDhtAll(work)) return status;
  return buildCodeTables(work);
}

JPEG_STATUS jpegFlushOutput(JpegWorkingState& work) {
  if (JPEG_STATUS status = work.table.writeOutputBytes(nullptr, 0, work.output)) return status;
  return work.output.file != nullptr ? outputWriteStaged(work.output) : JPEG_SUCCESS;
}

JPEG_STATUS jpegWriteHeader(JpegWorkingState& work, std::uint8_t* buffer, std::size_t size) {
  work.table.openOutput(work.output, buffer, size);
  if (JPEG_STATUS status = writeSoi(work)) return status;
  const int mode = work.mode;
  if (mode >= JPEG_WRITE_IMAGE_FILE && mode <= JPEG_WRITE_HEADER_BUFFER) {
    const int color = work.fields.jpegColor;
    JPEG_STATUS status;
    if (color == JPEG_COLOR_RGB || color == JPEG_COLOR_RGBA) {
      status = writeApp14(0, work);
    } else if (color == JPEG_COLOR_YCBCRA) {
      status = writeApp14(2, work);
    } else {
      status = writeApp0(work);
    }
    if (status == JPEG_SUCCESS) status = writeComment(work);
    if (status == JPEG_SUCCESS) status = jpegWriteTables(work);
    if (status != JPEG_SUCCESS) return status;
  } else {
    // Abbreviated data: the tables of an earlier header write stay in force.
    for (int i = 0; i < work.quantCount; ++i) {
      JpegQuantSlot& slot = work.quant[i];
      if (slot.base == nullptr || slot.prepared) continue;
      jpegScaleQuantTable(work.fields.quality, slot.base, slot.scaled);
      if (JPEG_STATUS status = jpegPrepareQuantTable(work, slot)) return status;
    }
    if (!work.progressive) {
      if (JPEG_STATUS status = buildCodeTables(work)) return status;
    }
  }
  const bool accurate = work.dctMethod == 1;
  work.table.forwardDct = accurate ? work.table.fdctAccurate : work.table.fdctFast;
  work.table.quantize = accurate ? work.table.quantizeAccurate : work.table.quantizeFast;
  if (mode == JPEG_WRITE_HEADER_FILE || mode == JPEG_WRITE_HEADER_BUFFER) {
    if (JPEG_STATUS status = writeEoi(work)) return status;
  }
  return work.output.file != nullptr ? jpegFlushOutput(work) : JPEG_SUCCESS;
}
