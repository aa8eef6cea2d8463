// jpegWrite with every caller field taken from the input: picture size and
// row order, layout, colours, sampling, quality, restart interval, baseline
// or progressive, processor class, output buffer size and the write mode. The
// pixels are the rest of the input, repeated to fill the picture.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "jpeglib/jpeg_api.h"
#include "jpeglib/jpeg_processor.h"
#include "jpeglib/jpeg_working_state.h"

namespace {

constexpr std::size_t kFieldBytes = 18;
constexpr int kColours[] = {JPEG_COLOR_RGB,  JPEG_COLOR_BGR,    JPEG_COLOR_YCBCR, JPEG_COLOR_GRAY,
                            JPEG_COLOR_RGBA, JPEG_COLOR_YCBCRA, JPEG_COLOR_OTHER, 0};
constexpr int kSamplings[] = {JPEG_SAMPLING_444,  JPEG_SAMPLING_420,  JPEG_SAMPLING_422,
                              JPEG_SAMPLING_4204, JPEG_SAMPLING_4224, JPEG_SAMPLING_OTHER};
constexpr int kClasses[] = {kJpegClassPlain, kJpegClassMmx, kJpegClassMmx2, kJpegClassSse, kJpegClassSse2};

template <std::size_t N>
int Pick(const int (&choices)[N], std::uint8_t byte) {
  return choices[byte % N];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LimitAllocationsAsTheDevice();
  if (size < kFieldBytes) return 0;
  const std::uint8_t* f = data;
  const int width = 1 + (f[0] | f[1] << 8) % 320;
  const int height = 1 + (f[2] | f[3] << 8) % 240;
  const bool packed = f[7] & 1;
  const int imageChannels = 1 + f[5] % 5;
  const int padding = f[12] % 8;
  const std::size_t stride = static_cast<std::size_t>(width) * (packed ? 2 : imageChannels) + padding;

  std::vector<std::uint8_t> pixels(stride * height);
  const std::uint8_t* source = data + kFieldBytes;
  const std::size_t sourceSize = size - kFieldBytes;
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = sourceSize ? source[i % sourceSize] : 0;

  JPEG_PROPERTIES props{};
  if (jpegInit(&props) != JPEG_SUCCESS) return 0;
  props.imagePixels = pixels.data();
  props.imageWidth = width;
  props.imageHeight = (f[4] & 1) ? -height : height;
  props.imageRowPadding = padding;
  props.imageChannels = imageChannels;
  props.imageColor = Pick(kColours, f[6]);
  props.imageSampling = packed ? JPEG_IMAGE_PACKED_422 : 0;
  props.jpegWidth = width;
  // Now and then a JPEG size that disagrees with the picture's.
  props.jpegHeight = (f[4] & 2) ? height + 1 : height;
  props.jpegChannels = 1 + f[8] % 4;
  props.jpegColor = Pick(kColours, f[9]);
  props.jpegSampling = Pick(kSamplings, f[10]);
  props.quality = f[11] % 110;
  props.work->restartInterval = f[13] % 4 == 0 ? f[13] / 4 : 0;
  props.work->progressive = f[14] & 1;
  jpegFillProcessorTable(props.work->table, Pick(kClasses, f[14] >> 1));

  // From far too small up to room for the whole picture and its headers.
  std::vector<std::uint8_t> buffer(1 + (pixels.size() * 3 + 2048) * f[15] / 255);
  props.jpegBuffer = buffer.data();
  props.jpegBufferSize = static_cast<std::uint32_t>(buffer.size());
  const bool toFile = f[16] & 1;
  std::string fileName;
  if (toFile) {
    const EngineFileName file = EngineNameOf(WriteFuzzFile(nullptr, 0, ".jpg"));
    fileName = file.folder + file.name;
    props.jpegFileName = fileName.c_str();
  }
  if (f[16] & 2) {
    // Header and data written by separate calls.
    const JPEG_STATUS status = jpegWrite(&props, toFile ? JPEG_WRITE_HEADER_FILE : JPEG_WRITE_HEADER_BUFFER);
    if (status == JPEG_SUCCESS) {
      props.jpegBufferSize = static_cast<std::uint32_t>(buffer.size());
      props.keepWorkingState = f[17] & 1;
      jpegWrite(&props, toFile ? JPEG_WRITE_DATA_FILE : JPEG_WRITE_DATA_BUFFER);
    }
  } else {
    jpegWrite(&props, toFile ? JPEG_WRITE_IMAGE_FILE : JPEG_WRITE_IMAGE_BUFFER);
  }
  jpegFree(&props);
  return 0;
}
