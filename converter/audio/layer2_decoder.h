// MPEG-1 Layer II frame decoder in integer arithmetic: header parse, bit
// allocation, scale factors, requantisation in units of 1/32768 and the
// polyphase synthesis filter. Every frame yields 1,152 interleaved stereo
// sample pairs; a single-channel frame is decoded once and written to both.
#pragma once

#include <cstddef>
#include <cstdint>

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

// What carries over from frame to frame: the last 1,024 matrixed samples of
// each channel in a ring, each written twice (at p and p + 1024) so that
// every window read is contiguous, and the ring position, which steps back
// by 64 per time slot.
struct SynthesisState {
  std::int32_t v[2][2048];
  std::int32_t offset;
};

// Bit cursor over one frame body; reads past its end see zero bits.
struct AudioBitCursor {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t bitPosition;
};
// The next n bits (n up to 16), most significant first.
std::uint32_t AudioGetBits(AudioBitCursor* cursor, int n);

// 1 when the header word is a usable MPEG-1 header of the Layer II bit-rate
// table, else 0 (the fields derived so far are left in the record).
int ParseAudioHeader(MpegAudioHeader* header, std::uint32_t word);
// The position of the first header at or after `position` that parses and is
// Layer II, with its record; `size` when no 4 bytes before `size` hold one.
std::size_t FindLayer2Header(const std::uint8_t* data, std::size_t size, std::size_t position,
                             MpegAudioHeader* header);
// Decodes one Layer II frame body into output (signed 16-bit little-endian,
// left then right). Returns the PCM bytes written: kLayer2FramePcmBytes, or 0
// for a frame that is not Layer II.
std::uint32_t DecodeFrame(const MpegAudioHeader& header, const std::uint8_t* body, std::size_t bodyBytes,
                          std::uint8_t* output, SynthesisState* state);
std::uint32_t DecodeLayer2Frame(std::uint8_t* output, const MpegAudioHeader& header, const std::uint8_t* body,
                                std::size_t bodyBytes, SynthesisState* state);
void ClearSynthesisState(SynthesisState* state);

// The requantisation of one value v of quantisation class `quantClass` (1 to
// 17) with scale factor index `scaleIndex`, in units of 1/32768.
std::int32_t Requantize(std::uint32_t v, int quantClass, int scaleIndex);

}  // namespace reelpack
