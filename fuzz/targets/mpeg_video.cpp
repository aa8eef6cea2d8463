// The video decoder on an MPEG-1 system stream: the first byte picks the
// order of the requests (in order, backward, or jumping), the rest is the
// stream; a few frames are fetched into a buffer of the opened size.
#include <cstdint>
#include <vector>

#include "converter/mpeg/mpeg_video.h"
#include "fuzz/fuzz_input.h"

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
  for (int i = 0; i < 6; ++i) {
    const int n = order % 3 == 0 ? i : order % 3 == 1 ? count - i : (i * (order + 7)) % (count + 2);
    handle->frameNumber = n;
    reelpack::mpegGetFrame(handle);
  }
  reelpack::mpegClose(handle);
  return 0;
}
