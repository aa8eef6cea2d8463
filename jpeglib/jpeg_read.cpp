// jpegRead: the read entry and its marker loop, for parameter, table,
// thumbnail and image reads.
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "host/files/file_api.h"
#include "jpeglib/jpeg_input_segments.h"
#include "jpeglib/jpeg_scan_decode.h"
#include "jpeglib/jpeg_segment_parsers.h"
#include "jpeglib/jpeg_working_state.h"

namespace {

bool isFileMode(int mode) { return mode % 2 == 0; }
bool isParameterMode(int mode) { return mode <= JPEG_READ_INFO_BUFFER || mode >= JPEG_READ_THUMBNAIL_FILE; }
bool isTableMode(int mode) { return mode == JPEG_READ_HEADER_FILE || mode == JPEG_READ_HEADER_BUFFER; }
bool isImageMode(int mode) { return !isParameterMode(mode) && !isTableMode(mode); }

bool isUnsupportedFrame(int code) {
  return code == 0xC3 || (code >= 0xC5 && code <= 0xC7) || (code >= 0xC8 && code <= 0xCB) ||
         (code >= 0xCD && code <= 0xCF);
}

// `heldBack` receives the count of bytes taken but left for the next read.
int samplingCode(const JpegFrame& frame) {
  const auto factors = [&](int c) { return frame.components[c].h * 16 + frame.components[c].v; };
  bool othersPlain = true;
  for (int c = 1; c < frame.componentCount; ++c) {
    if (c != 3 && factors(c) != 0x11) othersPlain = false;
  }
  switch (frame.componentCount) {
    case 1:
      return JPEG_SAMPLING_444;
    case 2:
      return factors(0) == 0x11 && factors(1) == 0x11 ? JPEG_SAMPLING_444 : JPEG_SAMPLING_OTHER;
    case 3:
      if (!othersPlain) return JPEG_SAMPLING_OTHER;
      return factors(0) == 0x11 ? JPEG_SAMPLING_444
             : factors(0) == 0x22 ? JPEG_SAMPLING_420
             : factors(0) == 0x21 ? JPEG_SAMPLING_422
                                  : JPEG_SAMPLING_OTHER;
    case 4:
      if (!othersPlain) return JPEG_SAMPLING_OTHER;
      if (factors(0) == 0x11 && factors(3) == 0x11) return JPEG_SAMPLING_444;
      if (factors(0) == 0x22 && factors(3) == 0x22) return JPEG_SAMPLING_4204;
      if (factors(0) == 0x21 && factors(3) == 0x21) return JPEG_SAMPLING_4224;
      return JPEG_SAMPLING_OTHER;
    default:
      return JPEG_SAMPLING_OTHER;
  }
}

// The colours the markers imply, into the working fields.
void deriveColours(JpegWorkingState& work) {
  JpegCallerFields& f = work.fields;
  const JpegReadState& read = work.read;
  const int count = work.frame.componentCount;
  if (read.adobeSeen && (work.mode == JPEG_READ_INFO_FILE || work.mode == JPEG_READ_INFO_BUFFER)) {
    f.imageChannels = count;
    if (count == 1) f.jpegColor = JPEG_COLOR_GRAY;
    if (count == 3) f.jpegColor = read.adobeTransform != 0 ? JPEG_COLOR_YCBCR : JPEG_COLOR_RGB;
    if (count == 4) {
      f.jpegColor = read.adobeTransform != 0 ? JPEG_COLOR_YCBCRA : JPEG_COLOR_RGBA;
      f.imageColor = JPEG_COLOR_RGBA;
    }
  } else if (count == 1) {
    f.jpegColor = JPEG_COLOR_GRAY;
  } else if (count == 3 && read.jfifSeen) {
    f.jpegColor = JPEG_COLOR_YCBCR;
  }
  if (f.imageColor == JPEG_COLOR_YCBCR && f.jpegColor == JPEG_COLOR_YCBCR) f.imageSampling = JPEG_IMAGE_PACKED_422;
  f.jpegWidth = work.frame.width;
  f.jpegHeight = work.frame.height;
  f.jpegChannels = count;
  f.jpegSampling = samplingCode(work.frame);
  f.thumbWidth = read.thumbWidth;
  f.thumbHeight = read.thumbHeight;
}

// A scan of an image read: decoded, or kept pending when interrupted.
JPEG_STATUS decodeImageScan(JpegWorkingState& work, const JPEG_SCAN& header) {
  if (work.pendingRead == nullptr) {
    deriveColours(work);
    if (const JPEG_STATUS status = jpegPrepareImageRead(work)) return status;
    work.pendingRead = std::make_unique<JPEG_SCAN>(header);
    // The padding bits of the scan before are not this scan's.
    work.read.input.bits = 0;
    work.read.input.bitCount = 0;
  }
  const JPEG_STATUS status = jpegDecodeScan(work, *work.pendingRead);
  if (status != JPEG_INTERRUPT_SUCCESS) work.pendingRead.reset();
  return status;
}

// A progressive or one-component-a-scan picture that the last scan left
// unwritten is written when the data end.
JPEG_STATUS endOfImage(JpegWorkingState& work) {
  jpegOutputStore(work);
  return JPEG_SUCCESS;
}

JPEG_STATUS readMarkers(JpegWorkingState& work, std::size_t& heldBack) {
  JpegReadState& read = work.read;
  JpegInputStream& in = read.input;
  int code = 0;
  JPEG_STATUS status = JPEG_SUCCESS;
  const bool image = isImageMode(work.mode);
  if (work.pendingRead != nullptr) {
    status = decodeImageScan(work, *work.pendingRead);
    if (status != JPEG_SUCCESS) return status;
  } else if (!image) {
    status = jpegNextMarker(in, code);
    if (status < 0) return status;
    if (code != 0xD8) return JPEG_NOT_JPEG;
  }
  bool afterEoi = false;
  for (;;) {
    status = jpegNextMarker(in, code);
    if (status < 0) return status;
    const bool goalReached = image ? read.image.scanDecoded : read.frameTaken;
    if (code == kJpegEndOfData) {
      if (image && goalReached) return endOfImage(work);
      return isTableMode(work.mode) || goalReached ? JPEG_SUCCESS : JPEG_NO_IMAGE;
    }
    if (afterEoi && code != 0xD8) return JPEG_NO_IMAGE;
    afterEoi = false;
    if (code >= 0xC0 && code <= 0xC2) {
      if (isTableMode(work.mode)) {
        // The frame marker stays for the data read that follows.
        heldBack = 2;
        return JPEG_SUCCESS;
      }
      if (read.frameTaken) return JPEG_MULTIPLE_FRAMES;
      status = parseSof(work);
      if (status < 0) return status;
      read.frameTaken = true;
      read.frameWanted = false;
      read.progressive = code == 0xC2;
    } else if (isUnsupportedFrame(code)) {
      return JPEG_UNSUPPORTED_FRAME;
    } else if (code == 0xC4) {
      status = parseDht(work);
    } else if (code >= 0xD0 && code <= 0xD7) {
      continue;
    } else if (code == 0xD8) {
      work.restartInterval = 0;
    } else if (code == 0xD9) {
      if (image && goalReached) return endOfImage(work);
      if (isTableMode(work.mode) || goalReached) return JPEG_SUCCESS;
      afterEoi = true;
    } else if (code == 0xDA) {
      if (read.frameWanted) return JPEG_NO_FRAME;
      JPEG_SCAN scan;
      status = parseSos(work, scan);
      if (status < 0) return status;
      // Parameter reads stop at the first scan.
      if (!image) return JPEG_SUCCESS;
      status = decodeImageScan(work, scan);
      if (status == JPEG_INTERRUPT_SUCCESS) return status;
    } else if (code == 0xDB) {
      status = parseDqt(work);
    } else if (code == 0xDD) {
      status = parseDri(work);
    } else if (code == 0xE0) {
      status = parseApp0(work);
    } else if (code == 0xEE) {
      status = parseApp14(work);
    } else if (code == 0xFE) {
      status = parseCom(work);
    } else {
      status = jpegSkipSegment(in);
    }
    if (status < 0) return status;
  }
}

void returnFields(JPEG_PROPERTIES& props, const JpegCallerFields& f) {
  props.jpegWidth = f.jpegWidth;
  props.jpegHeight = f.jpegHeight;
  props.jpegChannels = f.jpegChannels;
  props.thumbWidth = f.thumbWidth;
  props.thumbHeight = f.thumbHeight;
  props.convertColor = f.convertColor;
  props.resample = f.resample;
  props.jpegColor = f.jpegColor;
  props.imageColor = f.imageColor;
  props.imageChannels = f.imageChannels;
  props.imageSampling = f.imageSampling;
  props.jpegSampling = f.jpegSampling;
}

void closeReadFile(JpegReadState& read) {
  if (read.input.file != nullptr) CloseHandle(read.input.file);
  read.input.file = nullptr;
}

// After a 1 the region names the MCU just produced, in output pixels.
void reportProducedMcu(JpegWorkingState& work) {
  const JpegImageRead& image = work.read.image;
  const int left = work.lastMcuColumn * image.mcuPixelsWide;
  const int top = work.lastMcuRow * image.mcuPixelsHigh;
  work.regionOfInterest[0] = left;
  work.regionOfInterest[1] = top;
  work.regionOfInterest[2] = std::min(left + image.mcuPixelsWide, image.outputWidth);
  work.regionOfInterest[3] = std::min(top + image.mcuPixelsHigh, image.outputHeight);
}

JPEG_STATUS continueImageRead(JPEG_PROPERTIES& props, JpegWorkingState& work) {
  std::size_t heldBack = 0;
  JPEG_STATUS status = readMarkers(work, heldBack);
  if (status == JPEG_INTERRUPT_SUCCESS) {
    work.interruptRequest = 0;
    reportProducedMcu(work);
    return status;
  }
  work.read.image = JpegImageRead{};
  if (status < 0) return status;
  returnFields(props, work.fields);
  if (isFileMode(work.mode)) {
    const BOOL closed = CloseHandle(work.read.input.file);
    work.read.input.file = nullptr;
    if (!closed) return JPEG_ERROR_CLOSE_FILE;
  }
  return status;
}

JPEG_STATUS runRead(JPEG_PROPERTIES& props, JpegWorkingState& work, int mode) {
  JpegReadState& read = work.read;
  if (work.pendingRead != nullptr) {
    if (isImageMode(mode)) return continueImageRead(props, work);
    work.pendingRead.reset();
  }
  read.image = JpegImageRead{};
  read.frameWanted = true;
  read.frameTaken = false;
  read.jfifSeen = read.adobeSeen = false;
  read.thumbWidth = read.thumbHeight = 0;
  if (isFileMode(mode) && read.input.file == nullptr) {
    HANDLE file = CreateFileA(work.fields.jpegFileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return JPEG_INVALID_FILE_NAME;
    inputBeginFile(read.input, file);
  } else if (!isFileMode(mode)) {
    closeReadFile(read);
    inputBeginBuffer(read.input, work.fields.jpegBuffer, work.fields.jpegBufferSize);
  }
  if (mode == JPEG_READ_THUMBNAIL_FILE) {
    if (SetFilePointer(read.input.file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
      return JPEG_FILE_ERROR;
    }
    inputBeginFile(read.input, read.input.file);
  }
  if (isImageMode(mode)) return continueImageRead(props, work);
  std::size_t heldBack = 0;
  JPEG_STATUS status = readMarkers(work, heldBack);
  if (status < 0) return status;
  if (read.frameTaken) deriveColours(work);
  JpegInputStream& in = read.input;
  if (!isFileMode(mode)) {
    in.position -= heldBack;
    in.bytesLeft += heldBack;
    in.bytesConsumed -= heldBack;
  } else if (in.bytesLeft + heldBack > 0) {
    // The file stands where the input stops, for the read that follows.
    const auto back = -static_cast<LONG>(in.bytesLeft + heldBack);
    if (SetFilePointer(in.file, back, nullptr, FILE_CURRENT) == INVALID_SET_FILE_POINTER) return JPEG_FILE_ERROR;
    inputBeginFile(in, in.file);
  }
  returnFields(props, work.fields);
  if (mode == JPEG_READ_HEADER_FILE) {
    const BOOL closed = CloseHandle(read.input.file);
    read.input.file = nullptr;
    if (!closed) return JPEG_ERROR_CLOSE_FILE;
  }
  return status;
}

}  // namespace

JPEG_STATUS jpegRead(JPEG_PROPERTIES* props, JPEG_IO_MODE mode) {
  if (props == nullptr || props->work == nullptr) return JPEG_INVALID_PROPERTIES;
  JpegWorkingState& work = *props->work;
  if (mode > JPEG_READ_DATA_BUFFER && mode < JPEG_READ_HALF_FILE) return JPEG_INVALID_PROPERTIES;
  const JPEG_STATUS valid = jpegValidateProperties(*props, mode);
  if (valid < 0) return valid;
  work.mode = mode;
  if (!props->keepWorkingState) work.fields = *props;
  const JPEG_STATUS status = runRead(*props, work, mode);
  if (work.table.endSimd) work.table.endSimd();
  if (status < 0) closeReadFile(work.read);
  return status;
}
