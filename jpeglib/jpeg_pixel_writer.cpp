// The decoder's generic output stage: per pixel, the samples that cover it
// (chroma repeated over the pixels it spans), converted and stored.
#include "jpeglib/jpeg_pixel_writer.h"

#include <algorithm>

#include "jpeglib/jpeg_ycc_colour.h"

namespace {

int componentsFor(int jpegColor) {
  switch (jpegColor) {
    case JPEG_COLOR_GRAY:
      return 1;
    case JPEG_COLOR_RGB:
    case JPEG_COLOR_YCBCR:
      return 3;
    case JPEG_COLOR_RGBA:
    case JPEG_COLOR_YCBCRA:
      return 4;
    default:
      return 0;  // any count
  }
}

JPEG_STATUS conversionFor(const JpegCallerFields& f, JpegConversion& conversion) {
  const int jpeg = f.jpegColor;
  const int picture = f.imageColor;
  const int channels = f.imageChannels;
  if (picture == JPEG_COLOR_YCBCR) {
    if (channels != 2) return JPEG_INVALID_PROPERTIES;
    if (jpeg != JPEG_COLOR_YCBCR) return JPEG_NOT_SUPPORTED;
    conversion = JpegConversion::PackedYcc;
  } else if (picture == JPEG_COLOR_GRAY && channels == 1) {
    if (jpeg != JPEG_COLOR_GRAY && jpeg != JPEG_COLOR_YCBCR) return JPEG_NOT_SUPPORTED;
    conversion = JpegConversion::Copy;
  } else if ((picture == JPEG_COLOR_RGB || picture == JPEG_COLOR_BGR) && channels == 3) {
    const bool bgr = picture == JPEG_COLOR_BGR;
    if (jpeg == JPEG_COLOR_GRAY) {
      conversion = JpegConversion::GreyToColour;
    } else if (jpeg == JPEG_COLOR_YCBCR) {
      conversion = bgr ? JpegConversion::YccToBgr : JpegConversion::YccToRgb;
    } else if (jpeg == JPEG_COLOR_RGB) {
      conversion = bgr ? JpegConversion::CopyReversed : JpegConversion::Copy;
    } else {
      return JPEG_NOT_SUPPORTED;
    }
  } else if (picture == JPEG_COLOR_RGBA && channels == 4) {
    switch (jpeg) {
      case JPEG_COLOR_GRAY:
        conversion = JpegConversion::GreyToColour;
        break;
      case JPEG_COLOR_YCBCR:
        conversion = JpegConversion::YccToRgba;
        break;
      case JPEG_COLOR_RGB:
        conversion = JpegConversion::CopyOpaque;
        break;
      case JPEG_COLOR_RGBA:
        conversion = JpegConversion::Copy;
        break;
      case JPEG_COLOR_YCBCRA:
        conversion = JpegConversion::YcckToRgba;
        break;
      default:
        return JPEG_NOT_SUPPORTED;
    }
  } else if (picture == JPEG_COLOR_OTHER && jpeg == JPEG_COLOR_OTHER) {
    conversion = JpegConversion::Copy;
  } else {
    return JPEG_NOT_SUPPORTED;
  }
  return JPEG_SUCCESS;
}

JpegRgb yccPixel(JpegColourForm form, const JPEG_PROCESSOR_TABLE& table, bool opaque, const int s[4]) {
  if (form == JpegColourForm::InPlace) return yccToRgbInPlace(s[0], s[1], s[2]);
  return (opaque ? table.yccPixelOpaque : table.yccPixel)(s[0], s[1], s[2]);
}

void storePixel(JpegConversion conversion, const int s[4], int components, int channels, bool oddColumn,
                JpegColourForm form, const JPEG_PROCESSOR_TABLE& table, std::uint8_t* out) {
  switch (conversion) {
    case JpegConversion::Copy:
      for (int k = 0; k < std::min(components, channels); ++k) out[k] = static_cast<std::uint8_t>(s[k]);
      break;
    case JpegConversion::CopyReversed:
      out[0] = static_cast<std::uint8_t>(s[2]);
      out[1] = static_cast<std::uint8_t>(s[1]);
      out[2] = static_cast<std::uint8_t>(s[0]);
      break;
    case JpegConversion::CopyOpaque:
      for (int k = 0; k < 3; ++k) out[k] = static_cast<std::uint8_t>(s[k]);
      out[3] = 255;
      break;
    case JpegConversion::GreyToColour:
      out[0] = out[1] = out[2] = static_cast<std::uint8_t>(s[0]);
      if (channels == 4) out[3] = 255;
      break;
    case JpegConversion::YccToRgb:
    case JpegConversion::YccToBgr: {
      const JpegRgb rgb = yccPixel(form, table, false, s);
      const bool bgr = conversion == JpegConversion::YccToBgr;
      out[0] = bgr ? rgb.b : rgb.r;
      out[1] = rgb.g;
      out[2] = bgr ? rgb.r : rgb.b;
      break;
    }
    case JpegConversion::YccToRgba: {
      const JpegRgb rgb = yccPixel(form, table, true, s);
      out[0] = rgb.r;
      out[1] = rgb.g;
      out[2] = rgb.b;
      out[3] = 255;
      break;
    }
    case JpegConversion::YcckToRgba: {
      const JpegRgb rgb = yccPixel(form, table, true, s);
      out[0] = static_cast<std::uint8_t>(255 - rgb.r);
      out[1] = static_cast<std::uint8_t>(255 - rgb.g);
      out[2] = static_cast<std::uint8_t>(255 - rgb.b);
      out[3] = static_cast<std::uint8_t>(s[3]);
      break;
    }
    case JpegConversion::PackedYcc:
      out[0] = static_cast<std::uint8_t>(s[0]);
      out[1] = static_cast<std::uint8_t>(oddColumn ? s[2] : s[1]);
      break;
  }
}

}  // namespace

JPEG_STATUS jpegSelectConversion(JpegWorkingState& work) {
  const JpegCallerFields& f = work.fields;
  const int needed = componentsFor(f.jpegColor);
  if (needed != 0 && needed != work.frame.componentCount) return JPEG_INVALID_PROPERTIES;
  return conversionFor(f, work.read.image.conversion);
}

bool jpegMcuVisible(const JpegImageRead& image, int column, int row) {
  const int left = column * image.mcuPixelsWide;
  const int top = row * image.mcuPixelsHigh;
  return left < image.clip[2] && left + image.mcuPixelsWide > image.clip[0] && top < image.clip[3] &&
         top + image.mcuPixelsHigh > image.clip[1];
}

void jpegWriteMcu(JpegWorkingState& work, const JpegMcuPlanes& planes, int column, int row, JpegColourForm form) {
  const JpegImageRead& image = work.read.image;
  const JpegSource& picture = work.source;
  const int mcuLeft = column * image.mcuPixelsWide;
  const int mcuTop = row * image.mcuPixelsHigh;
  const int x0 = std::max(mcuLeft, image.clip[0]);
  const int x1 = std::min(mcuLeft + image.mcuPixelsWide, image.clip[2]);
  const int y0 = std::max(mcuTop, image.clip[1]);
  const int y1 = std::min(mcuTop + image.mcuPixelsHigh, image.clip[3]);
  const int components = work.frame.componentCount;
  const bool wholeMcu = x0 == mcuLeft && x1 == mcuLeft + 16 && y0 == mcuTop && y1 == mcuTop + 16;
  if (wholeMcu && image.whole420 && form == JpegColourForm::Converter) {
    std::uint8_t* out = const_cast<std::uint8_t*>(picture.top) +
                        static_cast<std::ptrdiff_t>(y0 - image.clip[1]) * picture.stride + (x0 - image.clip[0]) * 3;
    const JpegMcuWriter420 write =
        image.conversion == JpegConversion::YccToBgr ? work.table.writeBgr420 : work.table.writeRgb420;
    write(planes.samples[0], planes.samples[1], planes.samples[2], kJpegPlaneStride, out, picture.stride);
    return;
  }
  const std::ptrdiff_t pixelBytes = image.conversion == JpegConversion::PackedYcc ? 2 : picture.channels;
  auto* pictureTop = const_cast<std::uint8_t*>(picture.top);
  for (int y = y0; y < y1; ++y) {
    std::uint8_t* line = pictureTop + static_cast<std::ptrdiff_t>(y - image.clip[1]) * picture.stride;
    const std::uint8_t* planeRows[kJpegMaxComponents];
    for (int c = 0; c < components; ++c) {
      planeRows[c] = planes.samples[c] + ((y - mcuTop) / image.layout[c].repeatY) * kJpegPlaneStride;
    }
    for (int x = x0; x < x1; ++x) {
      int s[4] = {};
      for (int c = 0; c < components; ++c) s[c] = planeRows[c][(x - mcuLeft) / image.layout[c].repeatX];
      const int pictureX = x - image.clip[0];
      storePixel(image.conversion, s, components, picture.channels, (pictureX & 1) != 0, form, work.table,
                 line + pictureX * pixelBytes);
    }
  }
}

void jpegWritePixel(JpegWorkingState& work, int x, int y, const int samples[4], JpegColourForm form) {
  const JpegImageRead& image = work.read.image;
  const JpegSource& picture = work.source;
  const std::ptrdiff_t pixelBytes = image.conversion == JpegConversion::PackedYcc ? 2 : picture.channels;
  const int pictureX = x - image.clip[0];
  std::uint8_t* out = const_cast<std::uint8_t*>(picture.top) +
                      static_cast<std::ptrdiff_t>(y - image.clip[1]) * picture.stride + pictureX * pixelBytes;
  storePixel(image.conversion, samples, work.frame.componentCount, picture.channels, (pictureX & 1) != 0, form,
             work.table, out);
}
