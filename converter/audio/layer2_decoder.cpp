#include "converter/audio/layer2_decoder.h"

#include <algorithm>

#include "converter/audio/layer2_tables.h"

namespace reelpack {

using namespace layer2;

namespace {

constexpr int kGranules = 12;

void ReadAllocation(AudioBitCursor* frameCursor, const MpegAudioHeader& header, int channels,
                    FrameAllocation* alloc) {
  // A copy the compiler keeps in registers.
  AudioBitCursor local = *frameCursor;
  AudioBitCursor* cursor = &local;
  const AllocationTable& table = header.sblimit <= 20 ? kAllocationTableS : kAllocationTableL;
  const int bound = std::min(header.bound, header.sblimit);
  for (int band = 0; band < header.sblimit; ++band) {
    if (band < bound) {
      for (int ch = 0; ch < channels; ++ch) {
        alloc->quantClass[ch][band] = table.classOf[band][AudioGetBits(cursor, table.nbal[band])];
      }
    } else {
      std::uint8_t shared = table.classOf[band][AudioGetBits(cursor, table.nbal[band])];
      alloc->quantClass[0][band] = alloc->quantClass[1][band] = shared;
    }
  }
  for (int band = 0; band < header.sblimit; ++band) {
    for (int ch = 0; ch < channels; ++ch) {
      if (alloc->quantClass[ch][band]) alloc->scfsi[ch][band] = static_cast<std::uint8_t>(AudioGetBits(cursor, 2));
    }
  }
  for (int band = 0; band < header.sblimit; ++band) {
    for (int ch = 0; ch < channels; ++ch) {
      if (!alloc->quantClass[ch][band]) continue;
      // The selection says which of up to three 6-bit fields each part
      // takes: 0 all three, 1 the first twice, 2 one for all, 3 the second
      // twice; a table instead of a jump on it.
      static constexpr std::uint8_t kSecond[4] = {1, 0, 0, 1};
      static constexpr std::uint8_t kThird[4] = {2, 1, 0, 1};
      static constexpr std::uint8_t kBits[4] = {18, 12, 6, 12};
      const int selection = alloc->scfsi[ch][band];
      const std::uint64_t word = AudioPeekWord(cursor);
      const std::uint8_t fields[3] = {static_cast<std::uint8_t>(AudioTopBits(word, 6)),
                                      static_cast<std::uint8_t>(AudioTopBits(word << 6, 6)),
                                      static_cast<std::uint8_t>(AudioTopBits(word << 12, 6))};
      std::uint8_t* sf = alloc->scaleIndex[ch][band];
      sf[0] = fields[0];
      sf[1] = fields[kSecond[selection]];
      sf[2] = fields[kThird[selection]];
      cursor->bitPosition += kBits[selection];
    }
  }
  *frameCursor = local;
}

// How the three values of one subband and channel in a granule are read: a
// first code of `firstBits`, then two of `restBits` (0 when the first code
// groups all three, lowest value first), `bits` in all. Dividing by `steps`
// is multiplying by `reciprocal` and shifting by 16, exact for codes below
// 2^10; ungrouped codes take 65536 steps, which leaves them whole.
struct TripleReader {
  int bits;
  int restBits;
  std::uint32_t restMask;
  std::uint32_t steps;
  std::uint32_t reciprocal;
};

TripleReader ReaderOf(int quantClass) {
  const QuantClass& q = kQuantClasses[quantClass];
  const auto steps = static_cast<std::uint32_t>(q.steps);
  if (q.grouped) return {q.bits, 0, 0, steps, (65536 + steps - 1) / steps};
  return {3 * q.bits, q.bits, (1u << q.bits) - 1, 65536, 1};
}

// Three values from one look at the bits (at most 48 of them), without a
// branch on the class.
inline void ReadTriple(AudioBitCursor* cursor, const TripleReader& r, std::int32_t values[3]) {
  const std::uint64_t codes = AudioPeekWord(cursor) >> (64 - r.bits);
  cursor->bitPosition += static_cast<std::size_t>(r.bits);
  const std::uint32_t code = static_cast<std::uint32_t>(codes >> (2 * r.restBits));
  const auto secondCode = static_cast<std::uint32_t>(codes >> r.restBits) & r.restMask;
  const auto thirdCode = static_cast<std::uint32_t>(codes) & r.restMask;
  const std::uint32_t rest = (code * r.reciprocal) >> 16;
  const std::uint32_t last = (rest * r.reciprocal) >> 16;
  values[0] = static_cast<std::int32_t>(code - rest * r.steps);
  values[1] = static_cast<std::int32_t>(rest - last * r.steps + secondCode);
  values[2] = static_cast<std::int32_t>(last + thirdCode);
}

// The frame's values, not yet requantised, into `frame` (zeroed before):
// per granule, the subbands with bits in the order the bit stream has them.
void ReadValues(AudioBitCursor* frameCursor, const MpegAudioHeader& header, int channels,
                const FrameAllocation& alloc, FrameSamples* frame) {
  struct Item {
    TripleReader reader;
    std::int32_t* values;  // the channel's subband in the first slot
  };
  Item items[64];
  int count = 0;
  const int bound = std::min(header.bound, header.sblimit);
  for (int band = 0; band < header.sblimit; ++band) {
    for (int ch = 0; ch < (band < bound ? channels : 1); ++ch) {
      const int quantClass = alloc.quantClass[ch][band];
      if (quantClass != 0) items[count++] = {ReaderOf(quantClass), &frame->s[ch][0][band]};
    }
  }
  // A copy the compiler keeps in registers.
  AudioBitCursor local = *frameCursor;
  for (int slot = 0; slot < kSlotsPerFrame; slot += 3) {
    for (int i = 0; i < count; ++i) {
      std::int32_t values[3];
      ReadTriple(&local, items[i].reader, values);
      std::int32_t* out = items[i].values + 32 * slot;
      out[0] = values[0];
      out[32] = values[1];
      out[64] = values[2];
    }
  }
  *frameCursor = local;
  // Above the bound the second channel shares the first one's values.
  if (channels == 2 && bound < header.sblimit) {
    for (int slot = 0; slot < kSlotsPerFrame; ++slot) {
      std::copy(frame->s[0][slot] + bound, frame->s[0][slot] + header.sblimit, frame->s[1][slot] + bound);
    }
  }
}

}  // namespace

int ParseAudioHeader(MpegAudioHeader* header, std::uint32_t word) {
  *header = MpegAudioHeader{};
  header->word = word;
  if ((word >> 20) != 0xFFF) return 0;
  header->mpeg1 = (word >> 19) & 1;
  static constexpr std::int32_t kLayerOfBits[4] = {0, 3, 2, 1};
  header->layer = kLayerOfBits[(word >> 17) & 3];
  header->crc = ((word >> 16) & 1) ? 0 : 1;
  header->bitRate = kBitRates[(word >> 12) & 15];
  if (header->bitRate < 1) return 0;
  header->sampleRate = kSampleRates[(word >> 10) & 3];
  if (header->sampleRate == 0) return 0;
  header->padding = (word >> 9) & 1;
  const std::uint32_t mode = (word >> 6) & 3;
  header->channels = mode == 3 ? 1 : 2;
  header->bound = mode == 1 ? 4 * static_cast<std::int32_t>((word >> 4) & 3) + 4 : 32;
  header->emphasis = word & 3;
  const std::int32_t perChannel = header->channels == 2 ? header->bitRate / 2 : header->bitRate;
  if (header->channels == 2 ? perChannel < 32000 : perChannel > 192000) return 0;
  if (perChannel < 56000) {
    header->sblimit = header->sampleRate == 32000 ? 12 : 8;
  } else if (perChannel < 96000) {
    header->sblimit = 27;
  } else {
    header->sblimit = header->sampleRate == 48000 ? 27 : 30;
  }
  header->bound = std::min(header->bound, header->sblimit);
  if (!header->mpeg1) return 0;
  header->bodyLength = 144 * header->bitRate / header->sampleRate + header->padding - 4;
  return 1;
}

std::size_t FindLayer2Header(const std::uint8_t* data, std::size_t size, std::size_t position,
                             MpegAudioHeader* header) {
  for (std::size_t p = position; p + 4 <= size; ++p) {
    if (data[p] != 0xFF || (data[p + 1] & 0xF0) != 0xF0) continue;
    const std::uint32_t word = (static_cast<std::uint32_t>(data[p]) << 24) | (data[p + 1] << 16) |
                               (data[p + 2] << 8) | data[p + 3];
    if (ParseAudioHeader(header, word) && header->layer == 2) return p;
  }
  return size;
}

std::uint32_t DecodeLayer2Frame(std::uint8_t* output, const MpegAudioHeader& header, const std::uint8_t* body,
                                std::size_t bodyBytes, SynthesisState* state, const Layer2Forms& forms) {
  AudioBitCursor cursor{body, bodyBytes, 0};
  const int channels = header.channels == 1 ? 1 : 2;
  if (header.crc) AudioGetBits(&cursor, 16);
  FrameAllocation alloc{};
  ReadAllocation(&cursor, header, channels, &alloc);
  FrameSamples frame{};
  ReadValues(&cursor, header, channels, alloc, &frame);
  forms.requantize(&frame, alloc, channels, header.sblimit);
  forms.synthesize(state, frame, channels, header.sblimit, output);
  return kLayer2FramePcmBytes;
}

std::uint32_t DecodeFrame(const MpegAudioHeader& header, const std::uint8_t* body, std::size_t bodyBytes,
                          std::uint8_t* output, SynthesisState* state, const Layer2Forms& forms) {
  if (!header.mpeg1 || header.layer != 2 || header.sblimit == 0) return 0;
  return DecodeLayer2Frame(output, header, body, bodyBytes, state, forms);
}

}  // namespace reelpack
