// Scan decoding: MCU loops, restart intervals, interruption and the
// coefficient store.
#include "jpeglib/jpeg_scan_decode.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "jpeglib/jpeg_input_segments.h"
#include "jpeglib/jpeg_pixel_writer.h"
#include "jpeglib/jpeg_smooth_output.h"

namespace {

int blockSideOfMode(int mode) {
  switch (mode) {
    case JPEG_READ_HALF_FILE:
    case JPEG_READ_HALF_BUFFER:
      return 4;
    case JPEG_READ_QUARTER_FILE:
    case JPEG_READ_QUARTER_BUFFER:
      return 2;
    case JPEG_READ_EIGHTH_FILE:
    case JPEG_READ_EIGHTH_BUFFER:
      return 1;
    default:
      return 8;
  }
}

int transformIndex(int blockSide) { return blockSide == 8 ? 0 : blockSide == 4 ? 1 : blockSide == 2 ? 2 : 3; }

int ceilDiv(int a, int b) { return (a + b - 1) / b; }

// Layouts with a per-MCU converter of the processor class at full size.
bool hasFastConverter(const JpegFrame& frame, int blockSide) {
  if (blockSide != 8) return false;
  const auto factors = [&](int c) { return frame.components[c].h * 16 + frame.components[c].v; };
  const auto lumaFits = [](int f) { return f == 0x11 || f == 0x21 || f == 0x22; };
  switch (frame.componentCount) {
    case 1:
      return true;
    case 3:
      return lumaFits(factors(0)) && factors(1) == 0x11 && factors(2) == 0x11;
    case 4:
      return lumaFits(factors(0)) && factors(3) == factors(0) && factors(1) == 0x11 && factors(2) == 0x11;
    default:
      return false;
  }
}

bool rawOutputWanted(const JpegWorkingState& work) {
  return work.rawCoefficients != nullptr && work.rawCoefficients->flag == 0;
}

// Every component needs a plane that holds its blocks.
JPEG_STATUS checkRawPlanes(const JpegWorkingState& work) {
  for (int c = 0; c < work.frame.componentCount; ++c) {
    const JpegComponentLayout& layout = work.read.image.layout[c];
    const std::size_t needed = static_cast<std::size_t>(layout.storeWide) * layout.storeHigh * 64;
    if (work.rawCoefficients->planes[c] == nullptr || work.rawCoefficients->capacity[c] < needed) {
      return JPEG_INVALID_PROPERTIES;
    }
  }
  return JPEG_SUCCESS;
}

// No bits held and nothing more to take before the next marker.
bool inputSpent(const JpegInputStream& in) { return in.bitCount == 0 && (in.atEnd || in.marker != 0); }

// At a restart boundary: drop the held bits and take the marker there,
// whatever its code.
JPEG_STATUS takeRestartMarker(JpegInputStream& in) {
  in.bits = 0;
  in.bitCount = 0;
  if (in.marker != 0) {
    in.marker = 0;
    return JPEG_SUCCESS;
  }
  if (in.atEnd) return JPEG_SUCCESS;
  int code = 0;
  return jpegNextMarker(in, code);
}

// Counts an MCU (or a block of a one-component scan); at each interval's
// end, except after the last, the restart marker is taken and the
// predictors and the end-of-band run start again.
JPEG_STATUS restartStep(JpegWorkingState& work, JPEG_SCAN& scan, bool last, int& eobRun) {
  if (work.restartInterval == 0 || last) return JPEG_SUCCESS;
  if (++scan.restartCounter < static_cast<unsigned>(work.restartInterval)) return JPEG_SUCCESS;
  scan.restartCounter = 0;
  std::fill(std::begin(scan.dcPredictor), std::end(scan.dcPredictor), std::int16_t{0});
  eobRun = 0;
  return takeRestartMarker(work.read.input);
}

// Eight samples (0..255 in 16 bits) as eight bytes, four at a time in
// 64-bit little-endian words.
void storeSampleRow(const std::int16_t samples[8], std::uint8_t* target) {
  std::uint64_t words[2];
  std::memcpy(words, samples, sizeof words);
  std::uint32_t bytes[2];
  for (int half = 0; half < 2; ++half) {
    std::uint64_t w = words[half];
    w = (w | (w >> 8)) & 0x0000FFFF0000FFFFull;
    bytes[half] = static_cast<std::uint32_t>(w | (w >> 16));
  }
  std::memcpy(target, bytes, sizeof bytes);
}

// Dequantises and transforms `block` at its component's scale into the
// component's plane at (x, y) blocks.
void transformBlock(JpegWorkingState& work, int c, std::int16_t block[64], int bx, int by, JpegMcuPlanes& planes) {
  const JpegComponentLayout& layout = work.read.image.layout[c];
  if (layout.blockSide == 8 && work.dctMethod != 0 && work.table.transformAccurate8 != nullptr) {
    work.table.transformAccurate8(block, work.read.dequantFactors[work.frame.components[c].quantTable],
                                  planes.samples[c] + by * 8 * kJpegPlaneStride + bx * 8, kJpegPlaneStride);
    return;
  }
  jpegInverseTransform(work, c, block);
  const int side = layout.blockSide;
  std::uint8_t* target = planes.samples[c] + by * side * kJpegPlaneStride + bx * side;
  if (side == 8) {
    for (int y = 0; y < 8; ++y) storeSampleRow(block + y * 8, target + y * kJpegPlaneStride);
    return;
  }
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) target[y * kJpegPlaneStride + x] = static_cast<std::uint8_t>(block[y * side + x]);
  }
}

// One block of an interleaved MCU, with what its decoding and transform
// take worked out once a scan.
struct McuBlock {
  int component;
  int bx;
  int by;
  const JpegHuffmanDecodeTable* dc;
  const JpegHuffmanDecodeTable* ac;
  std::int16_t* predictor;
  // The whole block step's factors and target, or null for the separate
  // steps of transformBlock.
  const std::int16_t* stepFactors;
  std::uint8_t* stepTarget;
};

// The blocks of one MCU in stream order; their count.
int listMcuBlocks(JpegWorkingState& work, JPEG_SCAN& scan, JpegMcuPlanes& planes,
                  McuBlock blocks[kJpegMaxMcuBlocks]) {
  const JpegFrame& frame = work.frame;
  int count = 0;
  for (int i = 0; i < scan.componentCount; ++i) {
    const int c = scan.component[i];
    const JpegComponent& component = frame.components[c];
    const bool wholeStep = work.read.image.layout[c].blockSide == 8 && work.dctMethod != 0 &&
                           work.table.transformAccurate8 != nullptr;
    for (int by = 0; by < component.v; ++by) {
      for (int bx = 0; bx < component.h; ++bx) {
        McuBlock& b = blocks[count++];
        b.component = c;
        b.bx = bx;
        b.by = by;
        b.dc = &work.read.dcTables[work.dcSelector[i]];
        b.ac = &work.read.acTables[work.acSelector[i]];
        b.predictor = &scan.dcPredictor[i];
        b.stepFactors = wholeStep ? work.read.dequantFactors[component.quantTable] : nullptr;
        b.stepTarget = planes.samples[c] + by * 8 * kJpegPlaneStride + bx * 8;
      }
    }
  }
  return count;
}

// Sequential scan over every component: each MCU is decoded, transformed
// and written; MCUs outside the written part keep only their DC values.
JPEG_STATUS decodeDirect(JpegWorkingState& work, JPEG_SCAN& scan) {
  const JpegFrame& frame = work.frame;
  JpegImageRead& image = work.read.image;
  JpegInputStream& in = work.read.input;
  const JpegColourForm form = image.fastLayout ? JpegColourForm::Converter : JpegColourForm::InPlace;
  const int lastVisibleRow = ceilDiv(image.clip[3], image.mcuPixelsHigh) - 1;
  int eobRun = 0;
  JpegMcuPlanes planes;
  McuBlock blocks[kJpegMaxMcuBlocks];
  const int blockCount = listMcuBlocks(work, scan, planes, blocks);
  const JpegBlockStep step = work.table.transformAccurate8;
  // A region read starts at the last remembered row before its region.
  if (image.regionGiven && scan.resumeRow == 0 && scan.resumeColumn == 0) {
    const int row = jpegRowResumeStart(work, scan, image.clip[1] / image.mcuPixelsHigh);
    if (row < 0) return row;
    scan.resumeRow = row;
  }
  for (int row = scan.resumeRow; row < frame.mcuRows; ++row) {
    const int firstColumn = row == scan.resumeRow ? scan.resumeColumn : 0;
    if (image.regionGiven && firstColumn == 0) jpegRowResumeSave(work, scan, row);
    for (int column = firstColumn; column < frame.mcusPerRow; ++column) {
      const bool visible = jpegMcuVisible(image, column, row);
      const bool spent = inputSpent(in);
      // With no restart to come, the rest of the scan is empty: only the
      // written MCUs are still worth visiting.
      if (spent && (in.atEnd || work.restartInterval == 0) && !visible) {
        if (row > lastVisibleRow) return JPEG_SUCCESS;
        continue;
      }
      const JpegBlockDecoder decode = visible ? work.table.decodeBlock : work.table.decodeBlockDcOnly;
      std::int16_t* block = work.mcuBlocks;
      for (int b = 0; b < blockCount; ++b, block += 64) {
        const McuBlock& m = blocks[b];
        if (spent) {
          std::memset(block, 0, 64 * sizeof block[0]);
        } else if (const JPEG_STATUS status = decode(in, *m.dc, *m.ac, *m.predictor, block); status < 0) {
          return status;
        }
        if (!visible) continue;
        if (m.stepFactors != nullptr) {
          step(block, m.stepFactors, m.stepTarget, kJpegPlaneStride);
        } else {
          transformBlock(work, m.component, block, m.bx, m.by, planes);
        }
      }
      if (visible) jpegWriteMcu(work, planes, column, row, form);
      const bool last = row == frame.mcuRows - 1 && column == frame.mcusPerRow - 1;
      if (const JPEG_STATUS status = restartStep(work, scan, last, eobRun)) return status;
      if (work.interruptRequest != 0 && !last) {
        work.lastMcuColumn = column;
        work.lastMcuRow = row;
        scan.resumeColumn = (column + 1) % frame.mcusPerRow;
        scan.resumeRow = scan.resumeColumn == 0 ? row + 1 : row;
        return JPEG_INTERRUPT_SUCCESS;
      }
    }
  }
  return JPEG_SUCCESS;
}

JPEG_STATUS allocateStore(JpegWorkingState& work) {
  JpegImageRead& image = work.read.image;
  if (!image.store[0].empty()) return JPEG_SUCCESS;
  std::size_t total = 0;
  for (int c = 0; c < work.frame.componentCount; ++c) {
    const JpegComponentLayout& layout = image.layout[c];
    total += static_cast<std::size_t>(layout.storeWide) * layout.storeHigh * 64 * sizeof(std::int16_t);
  }
  if (total > kJpegStoreLimit) return JPEG_MEMORY_ERROR;
  try {
    for (int c = 0; c < work.frame.componentCount; ++c) {
      const JpegComponentLayout& layout = image.layout[c];
      image.store[c].assign(static_cast<std::size_t>(layout.storeWide) * layout.storeHigh * 64, 0);
    }
  } catch (const std::bad_alloc&) {
    for (auto& plane : image.store) plane.clear();
    return JPEG_MEMORY_ERROR;
  }
  return JPEG_SUCCESS;
}

std::int16_t* storedBlock(JpegImageRead& image, int c, int bx, int by) {
  return image.store[c].data() + (static_cast<std::size_t>(by) * image.layout[c].storeWide + bx) * 64;
}

// The store's blocks into the caller's planes, row by row of samples.
void copyStoreToRawPlanes(JpegWorkingState& work) {
  JpegImageRead& image = work.read.image;
  for (int c = 0; c < work.frame.componentCount; ++c) {
    const JpegComponentLayout& layout = image.layout[c];
    const std::size_t rowValues = static_cast<std::size_t>(layout.storeWide) * 8;
    for (int by = 0; by < layout.storeHigh; ++by) {
      for (int bx = 0; bx < layout.storeWide; ++bx) {
        const std::int16_t* block = storedBlock(image, c, bx, by);
        std::int16_t* target = work.rawCoefficients->planes[c] + static_cast<std::size_t>(by) * 8 * rowValues + bx * 8;
        for (int r = 0; r < 8; ++r) std::memcpy(target + r * rowValues, block + r * 8, 8 * sizeof(std::int16_t));
      }
    }
  }
}

// One block of a store scan by the scan's kind.
JPEG_STATUS decodeStoredBlock(JpegWorkingState& work, JPEG_SCAN& scan, int i, std::int16_t* block, int& eobRun) {
  JpegReadState& read = work.read;
  const JpegHuffmanDecodeTable& dc = read.dcTables[work.dcSelector[i]];
  const JpegHuffmanDecodeTable& ac = read.acTables[work.acSelector[i]];
  if (!read.progressive) return work.table.decodeBlock(read.input, dc, ac, scan.dcPredictor[i], block);
  if (scan.spectralStart == 0) {
    return scan.approxHigh == 0 ? decodeDcFirst(read.input, dc, block, scan.dcPredictor[i], scan.approxLow)
                                : decodeDcRefine(read.input, block, scan.approxLow);
  }
  return scan.approxHigh == 0
             ? decodeAcFirst(read.input, block, ac, scan.spectralStart, scan.spectralEnd, scan.approxLow, eobRun)
             : decodeAcRefine(read.input, block, ac, scan.spectralStart, scan.spectralEnd, scan.approxLow, eobRun);
}

JPEG_STATUS decodeIntoStore(JpegWorkingState& work, JPEG_SCAN& scan) {
  if (const JPEG_STATUS status = allocateStore(work)) return status;
  const JpegFrame& frame = work.frame;
  JpegImageRead& image = work.read.image;
  JpegInputStream& in = work.read.input;
  // A one-component scan goes block by block over the component's own size;
  // an interleaved one MCU by MCU.
  const bool single = scan.componentCount == 1;
  const JpegComponentLayout& first = image.layout[scan.component[0]];
  const int unitsWide = single ? first.blocksWide : frame.mcusPerRow;
  const int unitsHigh = single ? first.blocksHigh : frame.mcuRows;
  int eobRun = 0;
  for (int row = 0; row < unitsHigh; ++row) {
    for (int column = 0; column < unitsWide; ++column) {
      if (inputSpent(in)) {
        // The rest of the scan is empty, up to the next restart marker.
        if (in.atEnd || work.restartInterval == 0) return JPEG_SUCCESS;
      } else {
        for (int i = 0; i < scan.componentCount; ++i) {
          const int c = scan.component[i];
          const int h = single ? 1 : frame.components[c].h;
          const int v = single ? 1 : frame.components[c].v;
          for (int by = 0; by < v; ++by) {
            for (int bx = 0; bx < h; ++bx) {
              std::int16_t* block = storedBlock(image, c, column * h + bx, row * v + by);
              if (const JPEG_STATUS status = decodeStoredBlock(work, scan, i, block, eobRun); status < 0) {
                return status;
              }
            }
          }
        }
      }
      const bool last = row == unitsHigh - 1 && column == unitsWide - 1;
      if (const JPEG_STATUS status = restartStep(work, scan, last, eobRun)) return status;
    }
  }
  return JPEG_SUCCESS;
}

}  // namespace

void jpegInverseTransform(JpegWorkingState& work, int c, std::int16_t block[64]) {
  const std::int32_t* dequant = work.read.dequant[work.frame.components[c].quantTable];
  const int index = transformIndex(work.read.image.layout[c].blockSide);
  if (work.dctMethod == 0) {
    work.table.dequantizeFast(block, dequant);
    work.table.idctFast[index](block);
  } else {
    work.table.dequantizeAccurate(block, dequant);
    work.table.idctAccurate[index](block);
  }
}

JPEG_STATUS jpegPrepareImageRead(JpegWorkingState& work) {
  JpegImageRead& image = work.read.image;
  if (image.prepared) return JPEG_SUCCESS;
  // Every component is transformed, also one that no scan names.
  for (int c = 0; c < work.frame.componentCount; ++c) {
    if (work.frame.components[c].quantTable > 3) return JPEG_DATA_ERROR;
  }
  if (work.upsamplingMode != 0 && work.upsamplingMode != 1) return JPEG_NOT_SUPPORTED;
  if (const JPEG_STATUS status = jpegSelectConversion(work)) return status;
  jpegSetUpPicture(work);
  const JpegFrame& frame = work.frame;
  const int side = blockSideOfMode(work.mode);
  image.blockSide = side;
  image.mcuPixelsWide = frame.hMax * side;
  image.mcuPixelsHigh = frame.vMax * side;
  image.outputWidth = ceilDiv(frame.width * side, 8);
  image.outputHeight = ceilDiv(frame.height * side, 8);
  const int* region = work.regionOfInterest;
  const bool hasRegion = region[2] > region[0] && region[3] > region[1];
  const int left = hasRegion ? std::max(region[0], 0) : 0;
  const int top = hasRegion ? std::max(region[1], 0) : 0;
  int right = hasRegion ? std::min(region[2], image.outputWidth) : image.outputWidth;
  int bottom = hasRegion ? std::min(region[3], image.outputHeight) : image.outputHeight;
  right = std::max(left, std::min(right, left + work.source.width));
  bottom = std::max(top, std::min(bottom, top + work.source.height));
  image.regionGiven = hasRegion;
  image.clip[0] = left;
  image.clip[1] = top;
  image.clip[2] = right;
  image.clip[3] = bottom;
  image.fastLayout = hasFastConverter(frame, side);
  image.whole420 = image.fastLayout && frame.componentCount == 3 && frame.hMax == 2 && frame.vMax == 2 &&
                   (image.conversion == JpegConversion::YccToBgr || image.conversion == JpegConversion::YccToRgb);
  for (int c = 0; c < frame.componentCount; ++c) {
    const JpegComponent& component = frame.components[c];
    JpegComponentLayout& layout = image.layout[c];
    const int fx = frame.hMax / component.h;
    const int fy = frame.vMax / component.v;
    // A reduced read of evenly sub-sampled chroma takes a larger transform
    // instead of repeating samples.
    layout.blockSide = fx == fy && side * fx <= 8 ? side * fx : side;
    layout.repeatX = frame.hMax * side / (component.h * layout.blockSide);
    layout.repeatY = frame.vMax * side / (component.v * layout.blockSide);
    layout.blocksWide = ceilDiv(ceilDiv(frame.width * component.h, frame.hMax), 8);
    layout.blocksHigh = ceilDiv(ceilDiv(frame.height * component.v, frame.vMax), 8);
    layout.storeWide = frame.mcusPerRow * component.h;
    layout.storeHigh = frame.mcuRows * component.v;
  }
  if (rawOutputWanted(work)) {
    if (const JPEG_STATUS status = checkRawPlanes(work)) return status;
  }
  image.prepared = true;
  return JPEG_SUCCESS;
}

JPEG_STATUS jpegDecodeScan(JpegWorkingState& work, JPEG_SCAN& scan) {
  JpegImageRead& image = work.read.image;
  // Coefficients asked for gather in the store, which has their layout;
  // interpolated chroma needs the neighbouring MCUs, which the store keeps.
  const bool direct = !work.read.progressive && scan.componentCount == work.frame.componentCount &&
                      !rawOutputWanted(work) && !jpegSmoothUpsampling(work);
  if (direct) {
    const JPEG_STATUS status = decodeDirect(work, scan);
    if (status == JPEG_SUCCESS) image.scanDecoded = true;
    return status;
  }
  const JPEG_STATUS status = decodeIntoStore(work, scan);
  if (status != JPEG_SUCCESS) return status;
  image.scanDecoded = true;
  image.storeChanged = true;
  for (int i = 0; i < scan.componentCount; ++i) image.scanned[scan.component[i]] = true;
  bool complete = true;
  for (int c = 0; c < work.frame.componentCount; ++c) complete = complete && image.scanned[c];
  if (complete) jpegOutputStore(work);
  return JPEG_SUCCESS;
}

void jpegOutputStore(JpegWorkingState& work) {
  JpegImageRead& image = work.read.image;
  if (!image.storeChanged || image.store[0].empty()) return;
  image.storeChanged = false;
  if (rawOutputWanted(work)) {
    copyStoreToRawPlanes(work);
    return;
  }
  if (jpegSmoothUpsampling(work)) {
    jpegWriteSmoothImage(work);
    return;
  }
  const JpegFrame& frame = work.frame;
  const int lastRow = std::min(frame.mcuRows, ceilDiv(image.clip[3], image.mcuPixelsHigh));
  const int lastColumn = std::min(frame.mcusPerRow, ceilDiv(image.clip[2], image.mcuPixelsWide));
  JpegMcuPlanes planes;
  alignas(16) std::int16_t block[64];
  for (int row = image.clip[1] / image.mcuPixelsHigh; row < lastRow; ++row) {
    for (int column = image.clip[0] / image.mcuPixelsWide; column < lastColumn; ++column) {
      for (int c = 0; c < frame.componentCount; ++c) {
        const JpegComponent& component = frame.components[c];
        for (int by = 0; by < component.v; ++by) {
          for (int bx = 0; bx < component.h; ++bx) {
            std::memcpy(block, storedBlock(image, c, column * component.h + bx, row * component.v + by), sizeof block);
            transformBlock(work, c, block, bx, by, planes);
          }
        }
      }
      jpegWriteMcu(work, planes, column, row, JpegColourForm::InPlace);
    }
  }
}
