// The sound track of an MPEG-1 system stream: the first byte picks the
// buffering mode (0, 1 or 2 with its thread), the rest is the stream, decoded
// in two steps and then whole into a WAVE image.
#include <cstdint>
#include <vector>

#include "converter/audio/audio_decoder.h"
#include "fuzz/fuzz_input.h"
#include "host/memory/memory_api.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LimitAllocationsAsTheDevice();
  if (size == 0) return 0;
  const int mode = data[0] % 3;
  const std::string path = WriteFuzzFile(data + 1, size - 1, ".mpg");
  reelpack::CMpegAudioDecoder decoder(path.c_str(), mode);
  decoder.StartStreaming();
  std::vector<std::uint8_t> pcm;
  decoder.DecodeFrames(&pcm, 2);
  std::uint32_t bytes = 0;
  LocalFree(reelpack::BuildWaveImage(&decoder, &bytes));
  return 0;
}
