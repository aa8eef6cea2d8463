#include "converter/audio/pcm_conversion.h"

#include "host/codecs/acm_api.h"
#include "host/memory/memory_api.h"

namespace reelpack {
namespace {

// About a second of source between two stop checks.
std::uint32_t BlockBytes(const WAVEFORMATEX& source) { return source.nSamplesPerSec * source.nBlockAlign; }

// Feeds the source block by block into one destination: all blocks but the
// last keep the resampler's state, the last flushes it.
bool ConvertBlocks(HACMSTREAM stream, const WAVEFORMATEX& source, const std::uint8_t* data, std::uint32_t size,
                   std::uint8_t* destination, std::uint32_t capacity, std::uint32_t* used, const StopCheck& stop) {
  const std::uint32_t block = BlockBytes(source);
  *used = 0;
  std::uint32_t at = 0;
  do {
    if (StopRequested(stop)) return false;
    const std::uint32_t count = size - at < block ? size - at : block;
    const bool last = at + count == size;
    ACMSTREAMHEADER header{};
    header.cbStruct = sizeof(header);
    header.pbSrc = const_cast<std::uint8_t*>(data + at);
    header.cbSrcLength = count;
    header.pbDst = destination + *used;
    header.cbDstLength = capacity - *used;
    if (acmStreamPrepareHeader(stream, &header, 0) != MMSYSERR_NOERROR) return false;
    const MMRESULT converted = acmStreamConvert(stream, &header, last ? 0 : ACM_STREAMCONVERTF_BLOCKALIGN);
    acmStreamUnprepareHeader(stream, &header, 0);
    if (converted != MMSYSERR_NOERROR) return false;
    *used += header.cbDstLengthUsed;
    at += count;
  } while (at < size);
  return true;
}

}  // namespace

bool SamePcmLayout(const WAVEFORMATEX& source, const WAVEFORMATEX& target) {
  return source.nSamplesPerSec == target.nSamplesPerSec && source.nChannels == target.nChannels &&
         source.wBitsPerSample == target.wBitsPerSample;
}

std::uint32_t ConvertPcmFormat(const WAVEFORMATEX& source, const WAVEFORMATEX& target, const std::uint8_t* data,
                               std::uint32_t size, std::uint8_t** out, const StopCheck& stop) {
  *out = nullptr;
  HACMSTREAM stream = nullptr;
  if (acmStreamOpen(&stream, nullptr, &source, &target, nullptr, 0, 0, 0) != MMSYSERR_NOERROR) return 0;
  DWORD capacity = 0;
  auto* destination = acmStreamSize(stream, size, &capacity, ACM_STREAMSIZEF_SOURCE) == MMSYSERR_NOERROR
                          ? static_cast<std::uint8_t*>(VirtualAlloc(nullptr, capacity, MEM_COMMIT, PAGE_READWRITE))
                          : nullptr;
  std::uint32_t used = 0;
  const bool converted =
      destination != nullptr && ConvertBlocks(stream, source, data, size, destination, capacity, &used, stop);
  acmStreamClose(stream, 0);
  if (!converted || used == 0) {
    if (destination) VirtualFree(destination, 0, MEM_RELEASE);
    return 0;
  }
  *out = destination;
  return used;
}

}  // namespace reelpack
