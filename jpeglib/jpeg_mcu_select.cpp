// Choice of the per-MCU input routine for a scan, from the picture's
// channels, colour and packing and the JPEG's components, colour and factors.
#include "jpeglib/jpeg_mcu_convert.h"
#include "jpeglib/jpeg_working_state.h"

namespace {

struct Choice {
  JpegMcuConverter converter = nullptr;
  int kind = kJpegKindGeneric;
};

Choice choose(const JpegWorkingState& work) {
  const JpegFrame& frame = work.frame;
  const JpegSource& source = work.source;
  const int count = frame.componentCount;
  const int jpegColor = work.fields.jpegColor;
  auto factors = [&](int c, int h, int v) { return frame.components[c].h == h && frame.components[c].v == v; };
  const bool chromaWhole = count >= 3 && factors(1, 1, 1) && factors(2, 1, 1);
  const bool luma411 = factors(0, 2, 2) && chromaWhole;
  const bool luma422 = factors(0, 2, 1) && chromaWhole;
  const bool rgb = source.color == JPEG_COLOR_RGB;
  const bool bgr = source.color == JPEG_COLOR_BGR;

  if (frame.subsampled && frame.convertColour) {
    if (count == 3 && source.channels == 3 && (rgb || bgr)) {
      if (luma411) return rgb ? Choice{convertRgbMcu411, 3} : Choice{convertBgrMcu411, 4};
      if (luma422) return rgb ? Choice{convertRgbMcu422, 5} : Choice{convertBgrMcu422, 6};
    } else if (count == 3 && source.channels == 4 && rgb) {
      return {convertMcuGenericColour};
    } else if (count == 4 && source.channels == 4 && source.color == JPEG_COLOR_RGBA) {
      if (luma411 && factors(3, 2, 2)) return {convertRgbaMcu411, 11};
      if (luma422 && factors(3, 2, 1)) return {convertRgbaMcu422, 12};
    }
    return {};
  }
  if (frame.subsampled) {
    if (count == 3 && source.channels == 3 && !bgr && (luma411 || luma422)) {
      if (luma411) return {convertSubsampleMcu411, 16};
      if (source.sampling == JPEG_IMAGE_PACKED_422) return {convertPackedMcu422, 18};
      return {convertSubsampleMcu422, 17};
    }
    return {convertMcuGenericSample};
  }
  if (frame.convertColour) {
    if (count == 1 && source.channels == 3 && (rgb || bgr)) return {convertMcuToGrey};
    if (count == 3 && source.channels == 3) {
      if (rgb) return {convertRgbMcu, 1};
      if (bgr) return {convertBgrMcu, 2};
      return {};
    }
    if (count == 3 && source.channels == 4) return {convertMcuGenericColour};
    if (count == 4 && source.channels == 4 && source.color == JPEG_COLOR_RGBA) return {convertRgbaMcu, 10};
    return {};
  }
  if (count == 1 && source.channels == 1 && source.color == JPEG_COLOR_GRAY && jpegColor == JPEG_COLOR_GRAY) {
    return {convertGreyMcu, 20};
  }
  if (count == 4 && source.channels == 4) return {convertCopyMcu4, 14};
  if (count == 3 && source.channels == 3 && !bgr) return {convertCopyMcu3, 15};
  if (count == 3 && ((source.channels == 1 && jpegColor == JPEG_COLOR_YCBCR) || source.channels == 4 || bgr)) {
    return {convertMcuGenericSample};
  }
  if (source.color == JPEG_COLOR_OTHER && jpegColor == JPEG_COLOR_OTHER) return {convertMcuGenericSample};
  return {};
}

// The generic sampler reads byte k for component k; a picture with fewer
// bytes a pixel can only feed it as grey coded to YCbCr.
bool readsWithinPixel(const JpegWorkingState& work, const Choice& choice) {
  if (choice.converter != convertMcuGenericSample) return true;
  const bool greyToColour =
      work.source.color == JPEG_COLOR_GRAY && work.fields.jpegColor == JPEG_COLOR_YCBCR;
  return greyToColour || work.source.channels >= work.frame.componentCount;
}

}  // namespace

JPEG_STATUS jpegSelectMcuConverter(JpegWorkingState& work) {
  work.table.convertMcu = nullptr;
  work.converterKind = kJpegKindGeneric;
  if (work.frame.componentCount < 1 || work.frame.componentCount > kJpegMaxComponents) return JPEG_ERROR_COMP;
  // Component planes stand in for the picture: no converter reads it.
  if (work.planeSource.attached()) return JPEG_SUCCESS;
  const Choice choice = choose(work);
  // Packed pictures hold two bytes a pixel; only their own converter reads them.
  const bool packedMismatch =
      work.source.sampling == JPEG_IMAGE_PACKED_422 && choice.converter != convertPackedMcu422;
  if (choice.converter == nullptr || packedMismatch || !readsWithinPixel(work, choice)) {
    return JPEG_NOT_SUPPORTED;
  }
  work.table.convertMcu = choice.converter;
  work.converterKind = choice.kind;
  return JPEG_SUCCESS;
}
