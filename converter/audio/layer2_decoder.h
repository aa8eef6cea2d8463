// MPEG-1 Layer II frame decoder in integer arithmetic: header parse, bit
// allocation, scale factors, requantisation in units of 1/32768 and the
// polyphase synthesis filter. Every frame yields 1,152 interleaved stereo
// sample pairs; a single-channel frame is decoded once and written to both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "converter/audio/layer2_requantize.h"
#include "converter/audio/layer2_synthesis.h"

namespace reelpack {

inline constexpr std::uint32_t kLayer2FramePcmBytes = 1152 * 2 * 2;

struct MpegAudioHeader {
  std::int32_t mpeg1 = 0;
  std::int32_t layer = 0;  // 2 for Layer II; other layers are recorded, not decoded
  std::int32_t crc = 0;
  std::int32_t bitRate = 0;
  std::int32_t sampleRate = 0;
  std::int32_t padding = 0;
  std::int32_t channels = 0;
  std::int32_t bound = 0;
  std::int32_t emphasis = 0;
  std::int32_t sblimit = 0;
  std::int32_t bodyLength = 0;  // frame bytes after the 4 header bytes
  std::uint32_t word = 0;
};

// Bit cursor over one frame body; reads past its end see zero bits.
struct AudioBitCursor {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t bitPosition;
};
// The next 57 bits or more at the top of a word, most significant first.
inline std::uint64_t AudioPeekWord(const AudioBitCursor* cursor) {
  const std::size_t byte = cursor->bitPosition >> 3;
  std::uint64_t window = 0;
  if (byte + 8 <= cursor->size) {
    std::memcpy(&window, cursor->data + byte, 8);
    window = __builtin_bswap64(window);
  } else {
    for (std::size_t i = 0; i < 8; ++i) window = (window << 8) | (byte + i < cursor->size ? cursor->data[byte + i] : 0);
  }
  return window << (cursor->bitPosition & 7);
}
// The top n bits of a word (n from 0 to 32).
inline std::uint32_t AudioTopBits(std::uint64_t word, int n) { return static_cast<std::uint32_t>((word >> 1) >> (63 - n)); }
// The next n bits (n from 0 to 32), most significant first.
inline std::uint32_t AudioGetBits(AudioBitCursor* cursor, int n) {
  const std::uint32_t bits = AudioTopBits(AudioPeekWord(cursor), n);
  cursor->bitPosition += static_cast<std::size_t>(n);
  return bits;
}
// 1 when the header word is a usable MPEG-1 header of the Layer II bit-rate
// table, else 0 (the fields derived so far are left in the record).
int ParseAudioHeader(MpegAudioHeader* header, std::uint32_t word);
// The position of the first header at or after `position` that parses and is
// Layer II, with its record; `size` when no 4 bytes before `size` hold one.
std::size_t FindLayer2Header(const std::uint8_t* data, std::size_t size, std::size_t position,
                             MpegAudioHeader* header);
// The forms of the requantisation and the filter bank a decode runs.
struct Layer2Forms {
  RequantizeFrameForm requantize;
  SynthesizeFrameForm synthesize;
};
inline constexpr Layer2Forms kFastestLayer2Forms{RequantizeFrame, SynthesizeFrame};
inline constexpr Layer2Forms kPortableLayer2Forms{RequantizeFramePortable, SynthesizeFramePortable};
// Decodes one Layer II frame body into output (signed 16-bit little-endian,
// left then right). Returns the PCM bytes written: kLayer2FramePcmBytes, or 0
// for a frame that is not Layer II.
std::uint32_t DecodeFrame(const MpegAudioHeader& header, const std::uint8_t* body, std::size_t bodyBytes,
                          std::uint8_t* output, SynthesisState* state,
                          const Layer2Forms& forms = kFastestLayer2Forms);
std::uint32_t DecodeLayer2Frame(std::uint8_t* output, const MpegAudioHeader& header, const std::uint8_t* body,
                                std::size_t bodyBytes, SynthesisState* state,
                                const Layer2Forms& forms = kFastestLayer2Forms);

}  // namespace reelpack
