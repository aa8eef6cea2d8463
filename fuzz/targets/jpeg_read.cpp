// A JPEG stream read by jpegRead. The first ten bytes choose the read: mode
// (parameters, or an image at one of the four scales), picture colour and
// channels, picture size (up to 512 x 512, often smaller than the image;
// cut to the scaled frame and a margin, as no read writes past it), a region, interruption after every MCU, processor class 0 or 6, smooth
// chroma up-sampling, and a second read of the region moved down (which
// starts from the rows the first read remembered). The picture sits
// between guard bytes that must stay untouched. Frames over 4 megapixels are
// read for their parameters only: an image read of one zeroes and walks a
// coefficient store as large as the header claims (up to the library's
// 256 MiB), seconds under the sanitizers for a few input bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "jpeglib/jpeg_api.h"
#include "jpeglib/jpeg_working_state.h"

namespace {

struct Layout {
  int color;
  int channels;
  int jpegColor;
  int jpegChannels;
};

constexpr Layout kLayouts[] = {
    {JPEG_COLOR_BGR, 3, JPEG_COLOR_YCBCR, 3},   {JPEG_COLOR_RGB, 3, JPEG_COLOR_YCBCR, 3},
    {JPEG_COLOR_RGBA, 4, JPEG_COLOR_YCBCR, 3},  {JPEG_COLOR_GRAY, 1, JPEG_COLOR_GRAY, 1},
    {JPEG_COLOR_YCBCR, 2, JPEG_COLOR_YCBCR, 3}, {JPEG_COLOR_RGBA, 4, JPEG_COLOR_YCBCRA, 4},
    {JPEG_COLOR_BGR, 3, JPEG_COLOR_RGB, 3},     {JPEG_COLOR_OTHER, 2, JPEG_COLOR_OTHER, 2},
};

constexpr int kModes[] = {JPEG_READ_IMAGE_BUFFER,     JPEG_READ_HALF_BUFFER, JPEG_READ_QUARTER_BUFFER,
                          JPEG_READ_EIGHTH_BUFFER,    JPEG_READ_INFO_BUFFER, JPEG_READ_HEADER_BUFFER,
                          JPEG_READ_THUMBNAIL_BUFFER, JPEG_READ_IMAGE_BUFFER};

constexpr std::size_t kGuard = 32;
constexpr std::size_t kSettings = 10;
constexpr std::int64_t kLargestImageReadArea = 4 << 20;
constexpr int kSpareMargin = 17;

bool IsImageRead(int mode) {
  return mode == JPEG_READ_IMAGE_BUFFER || mode == JPEG_READ_HALF_BUFFER || mode == JPEG_READ_QUARTER_BUFFER ||
         mode == JPEG_READ_EIGHTH_BUFFER;
}

int ScaleOf(int mode) {
  return mode == JPEG_READ_HALF_BUFFER ? 2 : mode == JPEG_READ_QUARTER_BUFFER ? 4 : mode == JPEG_READ_EIGHTH_BUFFER ? 8 : 1;
}

// The frame's size as a parameter read finds it; 0 x 0 when none is found.
struct FrameSize {
  std::int64_t width = 0;
  std::int64_t height = 0;
};

FrameSize FrameOf(const std::vector<std::uint8_t>& stream) {
  // An image read takes a stream without a start-of-image marker, a
  // parameter read refuses it: asked with one in front, the parameter read
  // finds every frame the image read would decode.
  std::vector<std::uint8_t> marked{0xFF, 0xD8};
  marked.insert(marked.end(), stream.begin(), stream.end());
  JPEG_PROPERTIES info{};
  if (jpegInit(&info) != JPEG_SUCCESS) return {};
  info.jpegBuffer = marked.data();
  info.jpegBufferSize = static_cast<std::uint32_t>(marked.size());
  FrameSize frame;
  if (jpegRead(&info, JPEG_READ_INFO_BUFFER) == JPEG_SUCCESS) frame = {info.jpegWidth, info.jpegHeight};
  jpegFree(&info);
  return frame;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LimitAllocationsAsTheDevice();
  if (size < kSettings) return 0;
  int mode = kModes[data[0] & 7];
  const bool interrupt = (data[0] & 8) != 0;
  const int processorClass = (data[0] & 16) != 0 ? 6 : 0;
  const bool bottomUp = (data[0] & 32) != 0;
  const bool smooth = (data[0] & 64) != 0;
  const int reads = (data[0] & 128) != 0 ? 2 : 1;
  const Layout& layout = kLayouts[data[1] & 7];
  int width = 1 + ((data[2] | (data[3] & 1) << 8) & 511);
  int height = 1 + ((data[4] | (data[5] & 1) << 8) & 511);
  const int region[4] = {data[6] * 4, data[7] * 4, data[6] * 4 + data[8] * 4, data[7] * 4 + data[9] * 4};
  std::vector<std::uint8_t> stream(data + kSettings, data + size);
  if (stream.empty()) return 0;
  if (IsImageRead(mode)) {
    const FrameSize frame = FrameOf(stream);
    if (frame.width * frame.height > kLargestImageReadArea) mode = JPEG_READ_INFO_BUFFER;
    // Picture area past the scaled frame and a spare margin is never
    // written; filling and guarding it only costs time.
    const int scale = ScaleOf(mode);
    if (frame.width > 0) {
      width = static_cast<int>(std::min<std::int64_t>(width, (frame.width + scale - 1) / scale + kSpareMargin));
      height = static_cast<int>(std::min<std::int64_t>(height, (frame.height + scale - 1) / scale + kSpareMargin));
    }
  }
  // Information and table reads leave the picture alone.
  if (!IsImageRead(mode) && mode != JPEG_READ_THUMBNAIL_BUFFER) width = height = 1;

  std::vector<std::uint8_t> memory(2 * kGuard + static_cast<std::size_t>(width) * height * layout.channels, 0x5A);
  JPEG_PROPERTIES props{};
  if (jpegInit(&props) != JPEG_SUCCESS) return 0;
  jpegFillProcessorTable(props.work->table, processorClass);
  props.imagePixels = memory.data() + kGuard;
  props.imageWidth = width;
  props.imageHeight = bottomUp ? -height : height;
  props.imageChannels = layout.channels;
  props.imageColor = layout.color;
  props.jpegColor = layout.jpegColor;
  props.jpegChannels = layout.jpegChannels;
  props.jpegBuffer = stream.data();
  props.jpegBufferSize = static_cast<std::uint32_t>(stream.size());
  props.work->upsamplingMode = smooth ? 1 : 0;
  for (int read = 0; read < reads; ++read) {
    const int down = read * data[9] * 2;
    for (int i = 0; i < 4; ++i) props.work->regionOfInterest[i] = region[i] + (i % 2 == 1 ? down : 0);
    // An interrupted read is followed for a while, then abandoned.
    for (int call = 0; call < 64; ++call) {
      props.work->interruptRequest = interrupt ? 1 : 0;
      if (jpegRead(&props, mode) != JPEG_INTERRUPT_SUCCESS) break;
    }
  }
  jpegFree(&props);
  for (std::size_t i = 0; i < kGuard; ++i) {
    if (memory[i] != 0x5A || memory[memory.size() - 1 - i] != 0x5A) std::abort();
  }
  return 0;
}
