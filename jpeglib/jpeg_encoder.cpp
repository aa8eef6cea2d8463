// jpegWrite: validation, set-up of the picture, tables, components and MCU
// geometry, the header, and the sequential encoder with interruption or the
// progressive encoder.
#include <cstdlib>
#include <new>

#include "host/files/file_api.h"
#include "jpeglib/jpeg_header.h"
#include "jpeglib/jpeg_markers.h"
#include "jpeglib/jpeg_mcu_convert.h"
#include "jpeglib/jpeg_mcu_fill.h"
#include "jpeglib/jpeg_progressive.h"
#include "jpeglib/jpeg_scan_encode.h"
#include "jpeglib/jpeg_working_state.h"

void jpegSetUpPicture(JpegWorkingState& work) {
  JpegCallerFields& fields = work.fields;
  JpegSource& source = work.source;
  const bool packed = fields.imageSampling == JPEG_IMAGE_PACKED_422;
  const std::ptrdiff_t bytesPerPixel = packed ? 2 : fields.imageChannels;
  std::ptrdiff_t stride = fields.imageWidth * bytesPerPixel + fields.imageRowPadding;
  source.top = static_cast<const std::uint8_t*>(fields.imagePixels);
  source.width = fields.imageWidth;
  source.height = std::abs(fields.imageHeight);
  if (fields.imageHeight < 0) {
    // Bottom-up rows: start at the last row in memory and walk upwards.
    if (source.height > 0) source.top += (source.height - 1) * stride;
    stride = -stride;
  }
  source.stride = stride;
  source.channels = fields.imageChannels;
  source.color = fields.imageColor;
  source.sampling = fields.imageSampling;
  if (packed && fields.imageColor == JPEG_COLOR_YCBCR && fields.jpegColor == JPEG_COLOR_YCBCR) {
    fields.jpegSampling = JPEG_SAMPLING_422;
  }
}

JPEG_STATUS jpegSetUpFrame(JpegWorkingState& work) {
  const JpegCallerFields& fields = work.fields;
  JpegFrame& frame = work.frame;
  const int count = fields.jpegChannels;
  // One interleaved baseline scan holds at most four components.
  if (count < 1 || count > kJpegMaxComponents) return JPEG_ERROR_COMP;
  frame.componentCount = count;
  frame.convertColour = !(fields.jpegColor == JPEG_COLOR_RGB || fields.jpegColor == JPEG_COLOR_RGBA ||
                          fields.imageColor == JPEG_COLOR_YCBCR || fields.imageColor == JPEG_COLOR_GRAY ||
                          fields.imageColor == JPEG_COLOR_OTHER);

  const int sampling = fields.jpegSampling;
  for (int c = 0; c < count; ++c) {
    JpegComponent& component = frame.components[c];
    component.h = 1;
    component.v = 1;
    const bool big = c == 0 || (c == 3 && (sampling == JPEG_SAMPLING_4204 || sampling == JPEG_SAMPLING_4224));
    if (big && (sampling == JPEG_SAMPLING_420 || sampling == JPEG_SAMPLING_4204)) component.h = component.v = 2;
    if (big && (sampling == JPEG_SAMPLING_422 || sampling == JPEG_SAMPLING_4224)) component.h = 2;
    if (work.callerQuantTables) continue;
    if (sampling == JPEG_SAMPLING_444) {
      if (c == 0) component.quantTable = 0;
      if (c > 0 && frame.convertColour) component.quantTable = 1;
    } else {
      component.quantTable = (c == 1 || c == 2) && fields.convertColor != 0 ? 1 : 0;
    }
  }

  frame.width = fields.jpegWidth;
  frame.height = fields.jpegHeight;
  frame.hMax = frame.vMax = 1;
  frame.subsampled = false;
  for (int c = 0; c < count; ++c) {
    frame.hMax = std::max(frame.hMax, frame.components[c].h);
    frame.vMax = std::max(frame.vMax, frame.components[c].v);
    frame.subsampled = frame.subsampled || frame.components[c].h != 1 || frame.components[c].v != 1;
  }
  frame.mcuWidth = 8 * frame.hMax;
  frame.mcuHeight = 8 * frame.vMax;
  frame.mcusPerRow = (frame.width + frame.mcuWidth - 1) / frame.mcuWidth;
  frame.mcuRows = (frame.height + frame.mcuHeight - 1) / frame.mcuHeight;
  frame.mcuCount = frame.mcusPerRow * frame.mcuRows;
  return JPEG_SUCCESS;
}

namespace {

bool isFileMode(int mode) { return mode % 2 == 0; }

JPEG_STATUS encodeSequential(JpegWorkingState& work) {
  if (!work.scan) {
    work.scan.reset(new (std::nothrow) JPEG_SCAN{});
    if (!work.scan) return JPEG_MEMORY_ERROR;
    work.scan->componentCount = work.frame.componentCount;
    JPEG_STATUS status = writeSof0(work);
    if (status == JPEG_SUCCESS && work.restartInterval != 0) status = writeDri(work.restartInterval, work);
    if (status == JPEG_SUCCESS) status = writeSos(work, work.scan->componentCount);
    if (status == JPEG_SUCCESS) status = jpegFlushOutput(work);
    if (status == JPEG_SUCCESS) status = jpegSelectMcuConverter(work);
    if (status != JPEG_SUCCESS) {
      work.scan.reset();
      return status;
    }
  }
  JPEG_STATUS status = work.restartInterval != 0 ? encodeSequentialScanRestart(work, *work.scan)
                                                 : encodeSequentialScan(work, *work.scan);
  if (status == JPEG_INTERRUPT_SUCCESS) {
    work.interruptRequest = 0;
    return status;
  }
  work.scan.reset();
  if (status != JPEG_SUCCESS) return status;
  status = writeEoi(work);
  return status == JPEG_SUCCESS ? jpegFlushOutput(work) : status;
}

JPEG_STATUS runWrite(JpegWorkingState& work, JPEG_PROPERTIES& props, int mode) {
  const bool pending = work.scan != nullptr;
  if (!props.keepWorkingState && !pending) work.fields = props;
  if (!pending) jpegSetUpPicture(work);
  jpegInstallDefaultTables(work);
  if (JPEG_STATUS status = jpegSetUpFrame(work)) return status;

  if (!pending) {
    if (JPEG_STATUS status = jpegCheckPlaneSource(work)) return status;
    if (JPEG_STATUS status = jpegWriteHeader(work, work.fields.jpegBuffer, work.fields.jpegBufferSize)) {
      return status;
    }
    if (mode == JPEG_WRITE_HEADER_FILE || mode == JPEG_WRITE_HEADER_BUFFER) {
      props.jpegBufferSize = static_cast<std::uint32_t>(work.output.bytesWritten);
      return JPEG_SUCCESS;
    }
  }
  const JPEG_STATUS status = work.progressive ? jpegEncodeProgressive(work) : encodeSequential(work);
  if (status >= 0) props.jpegBufferSize = static_cast<std::uint32_t>(work.output.bytesWritten);
  if (status == JPEG_INTERRUPT_SUCCESS) {
    const JpegFrame& frame = work.frame;
    work.regionOfInterest[2] = std::min((work.lastMcuColumn * 8 + 8) * frame.hMax, frame.width);
    work.regionOfInterest[3] = std::min((work.lastMcuRow * 8 + 8) * frame.vMax, frame.height);
  }
  return status;
}

JPEG_STATUS closeWriteFile(JpegWorkingState& work) {
  if (work.output.file == nullptr) return JPEG_SUCCESS;
  const BOOL closed = CloseHandle(work.output.file);
  work.output.file = nullptr;
  return closed ? JPEG_SUCCESS : JPEG_ERROR_CLOSE_FILE;
}

}  // namespace

JPEG_STATUS jpegWrite(JPEG_PROPERTIES* props, JPEG_IO_MODE mode) {
  if (props == nullptr || props->work == nullptr) return JPEG_INVALID_PROPERTIES;
  JpegWorkingState& work = *props->work;
  // A pending interrupted write continues only in the mode that started it.
  const bool modeMismatch = work.scan != nullptr && mode != work.mode;
  work.mode = mode;
  JPEG_STATUS status = modeMismatch ? JPEG_INVALID_PROPERTIES : jpegValidateProperties(*props, mode);
  if (status == JPEG_SUCCESS && (mode < JPEG_WRITE_IMAGE_FILE || mode > JPEG_WRITE_DATA_BUFFER)) {
    status = JPEG_INVALID_PROPERTIES;
  }
  if (status == JPEG_SUCCESS && isFileMode(mode) && work.output.file == nullptr) {
    const char* name = props->keepWorkingState ? work.fields.jpegFileName : props->jpegFileName;
    HANDLE file = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE || file == nullptr) {
      status = JPEG_INVALID_FILE_NAME;
    } else {
      work.output.file = file;
    }
  }
  if (status == JPEG_SUCCESS) status = runWrite(work, *props, mode);
  if (status != JPEG_INTERRUPT_SUCCESS) {
    // A failed call also ends a pending write: its file is closed, so it
    // could not be continued without starting the file again.
    work.scan.reset();
    const JPEG_STATUS closed = closeWriteFile(work);
    if (status == JPEG_SUCCESS) status = closed;
  }
  work.table.endSimd();
  return status;
}
