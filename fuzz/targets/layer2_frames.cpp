// A Layer II elementary stream: every frame found decoded in order through
// one synthesis state; a frame the data ends inside is decoded from the bytes
// there are.
#include <algorithm>
#include <cstdint>

#include "converter/audio/layer2_decoder.h"
#include "fuzz/fuzz_input.h"

using namespace reelpack;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LimitAllocationsAsTheDevice();
  static SynthesisState state;
  ClearSynthesisState(&state);
  static std::uint8_t pcm[kLayer2FramePcmBytes];
  MpegAudioHeader header;
  std::size_t position = 0;
  while ((position = FindLayer2Header(data, size, position, &header)) < size) {
    const std::size_t body = position + 4;
    const std::size_t bodyBytes = std::min(static_cast<std::size_t>(header.bodyLength), size - std::min(size, body));
    DecodeFrame(header, data + body, bodyBytes, pcm, &state);
    position = body + bodyBytes;
  }
  return 0;
}
