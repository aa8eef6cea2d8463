#include "jpeg_image_reader.h"

ImageReader::ImageReader(int processorClass) {
  jpegInit(&props);
  if (processorClass >= 0) jpegFillProcessorTable(props.work->table, processorClass);
}

ImageReader::~ImageReader() { jpegFree(&props); }

JPEG_STATUS ImageReader::Parameters(std::vector<std::uint8_t>& stream) {
  props.jpegBuffer = stream.data();
  props.jpegBufferSize = static_cast<std::uint32_t>(stream.size());
  return jpegRead(&props, JPEG_READ_INFO_BUFFER);
}

JPEG_STATUS ImageReader::Read(std::vector<std::uint8_t>& stream, int mode, Picture& picture, int color, int channels,
                              bool clear) {
  picture.channels = channels;
  if (clear) picture.pixels.assign(static_cast<std::size_t>(picture.width) * picture.height * channels, 0xA5);
  props.imagePixels = picture.pixels.data();
  props.imageWidth = picture.width;
  props.imageHeight = picture.height;
  props.imageChannels = channels;
  props.imageColor = color;
  props.imageRowPadding = 0;
  props.jpegBuffer = stream.data();
  props.jpegBufferSize = static_cast<std::uint32_t>(stream.size());
  return jpegRead(&props, mode);
}

int ScaleOf(int mode) { return mode >= 18 ? 8 : mode >= 16 ? 4 : mode >= 14 ? 2 : 1; }

Picture ReadOurs(std::vector<std::uint8_t> stream, int mode, int processorClass, JPEG_STATUS& status) {
  ImageReader reader(processorClass);
  Picture picture;
  status = reader.Parameters(stream);
  if (status != JPEG_SUCCESS) return picture;
  const int scale = ScaleOf(mode);
  picture.width = (reader.props.jpegWidth + scale - 1) / scale;
  picture.height = (reader.props.jpegHeight + scale - 1) / scale;
  const bool grey = reader.props.jpegChannels == 1;
  status = reader.Read(stream, mode, picture, grey ? JPEG_COLOR_GRAY : JPEG_COLOR_RGB, grey ? 1 : 3);
  return picture;
}
