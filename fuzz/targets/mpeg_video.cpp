// The video decoder on an MPEG-1 system stream: the first byte picks the
// order of the requests (in order, backward, or jumping), the rest is the
// stream; a few frames are fetched into a buffer of the opened size.
// Streams whose sequence headers claim pictures over 4 megapixels are only
// opened: decoding (or concealing) dozens of 4095 x 4095 pictures takes
// seconds under the sanitizers for a few kilobytes of input, honest work for
// that size rather than a fault.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "converter/mpeg/mpeg_video.h"
#include "fuzz/fuzz_input.h"

namespace {

constexpr std::int64_t kLargestDecodedArea = 4 << 20;

// The largest picture any sequence header in the bytes claims.
std::int64_t LargestClaimedArea(const std::uint8_t* data, std::size_t size) {
  std::int64_t largest = 0;
  for (std::size_t i = 0; i + 6 < size; ++i) {
    if (data[i] != 0 || data[i + 1] != 0 || data[i + 2] != 1 || data[i + 3] != 0xB3) continue;
    const int width = data[i + 4] << 4 | data[i + 5] >> 4;
    const int height = (data[i + 5] & 15) << 8 | data[i + 6];
    largest = std::max<std::int64_t>(largest, static_cast<std::int64_t>(width) * height);
  }
  return largest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LimitAllocationsAsTheDevice();
  if (size == 0) return 0;
  const int order = data[0];
  const std::string path = WriteFuzzFile(data + 1, size - 1, ".mpg");
  reelpack::MPEG_VIDEO_HANDLE* handle = reelpack::mpegOpen(path.c_str());
  if (handle == nullptr) return 0;
  const std::uint32_t stride = 3 * static_cast<std::uint32_t>(handle->width);
  std::vector<std::uint8_t> frame(static_cast<std::size_t>(stride) * handle->height);
  handle->buffer = frame.data();
  handle->stride = stride;
  handle->bufferSize = static_cast<std::uint32_t>(frame.size());
  const int count = handle->frameCount > 0 ? handle->frameCount : 4;
  const int fetches = LargestClaimedArea(data + 1, size - 1) > kLargestDecodedArea ? 0 : 6;
  for (int i = 0; i < fetches; ++i) {
    const int n = order % 3 == 0 ? i : order % 3 == 1 ? count - i : (i * (order + 7)) % (count + 2);
    handle->frameNumber = n;
    reelpack::mpegGetFrame(handle);
  }
  reelpack::mpegClose(handle);
  return 0;
}
