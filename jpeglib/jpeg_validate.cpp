// The checks every read and write runs on the caller's fields; the first
// failing rule decides the status.
#include "jpeglib/jpeg_working_state.h"

namespace {

bool movesPixels(int mode) {
  return mode == 2 || mode == 3 || (mode >= 6 && mode <= 9) || mode == 12 || mode == 13 || mode >= 14;
}
bool isWrite(int mode) { return mode >= JPEG_WRITE_IMAGE_FILE && mode <= JPEG_WRITE_DATA_BUFFER; }

struct ColourPair {
  int color;
  int channels;
};

bool pairIn(ColourPair pair, std::initializer_list<ColourPair> accepted) {
  for (const ColourPair& candidate : accepted) {
    if (candidate.color == pair.color && candidate.channels == pair.channels) return true;
  }
  return false;
}

bool writePairAccepted(const JpegCallerFields& f) {
  const ColourPair image{f.imageColor, f.imageChannels};
  const ColourPair jpeg{f.jpegColor, f.jpegChannels};
  if (image.color == JPEG_COLOR_OTHER) return jpeg.color == JPEG_COLOR_OTHER && image.channels >= jpeg.channels;
  if (pairIn(image, {{4, 1}})) return pairIn(jpeg, {{4, 1}, {3, 3}});
  if (pairIn(image, {{1, 3}, {2, 3}})) return pairIn(jpeg, {{4, 1}, {1, 3}, {3, 3}});
  if (pairIn(image, {{1, 4}})) return pairIn(jpeg, {{3, 3}});
  if (pairIn(image, {{5, 4}})) return pairIn(jpeg, {{5, 4}, {6, 4}});
  if (pairIn(image, {{3, 3}})) return pairIn(jpeg, {{3, 3}});
  return false;
}

bool readPairAccepted(const JpegCallerFields& f) {
  const ColourPair image{f.imageColor, f.imageChannels};
  const ColourPair jpeg{f.jpegColor, f.jpegChannels};
  if (jpeg.color == JPEG_COLOR_OTHER) return image.color == JPEG_COLOR_OTHER;
  if (pairIn(jpeg, {{4, 1}})) return pairIn(image, {{4, 1}, {1, 3}, {2, 3}, {5, 4}});
  if (pairIn(jpeg, {{1, 3}})) return pairIn(image, {{1, 3}, {2, 3}, {5, 4}});
  if (pairIn(jpeg, {{3, 3}})) return pairIn(image, {{4, 1}, {1, 3}, {2, 3}, {5, 4}}) || image.color == 3;
  if (pairIn(jpeg, {{5, 4}, {6, 4}})) return pairIn(image, {{5, 4}});
  return false;
}

bool samplingFitsChannels(int sampling, int channels) {
  switch (channels) {
    case 1:
      return sampling == 0;
    case 3:
      return sampling == 0 || sampling == 1 || sampling == 2;
    case 4:
      return sampling == 0 || sampling == 3 || sampling == 4;
    default:
      return sampling == 0;
  }
}

}  // namespace

JPEG_STATUS jpegValidateProperties(const JPEG_PROPERTIES& props, int mode) {
  // With keepWorkingState the fields in force are the working copy; they are
  // checked like the caller's so a stale state cannot reach the kernels.
  const JpegCallerFields& f =
      props.keepWorkingState && props.work ? props.work->fields : static_cast<const JpegCallerFields&>(props);
  if (mode < 0 || mode > JPEG_READ_THUMBNAIL_BUFFER) return JPEG_INVALID_PROPERTIES;

  // Component planes replace the picture, so its fields are not checked.
  const bool planes = props.work != nullptr && props.work->planeSource.attached();
  if (movesPixels(mode) && !planes) {
    if (f.imagePixels == nullptr || f.imageWidth < 1 || f.imageWidth > 65535 || f.imageHeight < -65535 ||
        f.imageHeight > 65535) {
      return JPEG_INVALID_PROPERTIES;
    }
    if (mode >= JPEG_READ_THUMBNAIL_FILE && f.imageColor != JPEG_COLOR_RGB && f.imageColor != JPEG_COLOR_BGR) {
      return JPEG_THUMBNAIL_WRONG_COLOR;
    }
    if (f.imageRowPadding < 0 || f.imageChannels < 1 || f.imageChannels > 255) return JPEG_INVALID_PROPERTIES;
    if (f.imageSampling != 0 && !(f.imageSampling == JPEG_IMAGE_PACKED_422 && f.imageColor == JPEG_COLOR_YCBCR)) {
      return JPEG_UNSUPPORTED_SUBSAMPLING;
    }
  }
  if (mode % 2 == 0 ? f.jpegFileName == nullptr : (f.jpegBuffer == nullptr || f.jpegBufferSize == 0)) {
    return JPEG_INVALID_PROPERTIES;
  }
  if (f.jpegChannels < 1 || f.jpegChannels > 256) return JPEG_INVALID_PROPERTIES;

  if (isWrite(mode)) {
    if (movesPixels(mode)) {
      // The MCU grid follows the JPEG size while the pixels are read by the
      // picture size, so the two must agree.
      const bool sizesAgree = planes || (f.jpegWidth == f.imageWidth && f.imageHeight != 0 &&
                                         f.jpegHeight == (f.imageHeight < 0 ? -f.imageHeight : f.imageHeight));
      if (f.jpegWidth < 1 || f.jpegWidth > 65535 || f.jpegHeight < 1 || f.jpegHeight > 65535 || !sizesAgree) {
        return JPEG_INVALID_PROPERTIES;
      }
    }
    if (f.imageChannels < f.jpegChannels && f.imageColor != JPEG_COLOR_GRAY && f.jpegColor != JPEG_COLOR_YCBCR) {
      return JPEG_INVALID_PROPERTIES;
    }
    if (!samplingFitsChannels(f.jpegSampling, f.jpegChannels)) return JPEG_UNSUPPORTED_SUBSAMPLING;
    if (!writePairAccepted(f)) return JPEG_INVALID_PROPERTIES;
  } else if (!readPairAccepted(f)) {
    return JPEG_INVALID_PROPERTIES;
  }

  const int dctMethod = props.work ? props.work->dctMethod : 1;
  if (dctMethod != 0 && dctMethod != 1) return JPEG_INVALID_PROPERTIES;
  return JPEG_SUCCESS;
}
