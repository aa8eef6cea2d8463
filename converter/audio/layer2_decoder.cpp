#include "converter/audio/layer2_decoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "converter/audio/layer2_tables.h"

namespace reelpack {

using namespace layer2;

namespace {

constexpr int kSlotsPerFrame = 36;
constexpr int kGranules = 12;

// The decoded values of one frame, per channel, time slot and subband.
struct FrameSamples {
  std::int32_t s[2][kSlotsPerFrame][32];
};

struct FrameAllocation {
  std::uint8_t quantClass[2][32];
  std::uint8_t scfsi[2][32];
  std::uint8_t scaleIndex[2][32][3];
};

void ReadAllocation(AudioBitCursor* cursor, const MpegAudioHeader& header, int channels, FrameAllocation* alloc) {
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
      std::uint8_t* sf = alloc->scaleIndex[ch][band];
      switch (alloc->scfsi[ch][band]) {
        case 0:
          sf[0] = AudioGetBits(cursor, 6);
          sf[1] = AudioGetBits(cursor, 6);
          sf[2] = AudioGetBits(cursor, 6);
          break;
        case 1:
          sf[0] = sf[1] = AudioGetBits(cursor, 6);
          sf[2] = AudioGetBits(cursor, 6);
          break;
        case 2:
          sf[0] = sf[1] = sf[2] = AudioGetBits(cursor, 6);
          break;
        default:
          sf[0] = AudioGetBits(cursor, 6);
          sf[1] = sf[2] = AudioGetBits(cursor, 6);
          break;
      }
    }
  }
}

// Three consecutive values of one subband: one grouped code or three codes.
void ReadTriple(AudioBitCursor* cursor, int quantClass, std::uint32_t values[3]) {
  const QuantClass& q = kQuantClasses[quantClass];
  if (q.grouped) {
    std::uint32_t code = AudioGetBits(cursor, q.bits);
    const auto steps = static_cast<std::uint32_t>(q.steps);
    for (int n = 0; n < 3; ++n) {
      values[n] = code % steps;
      code /= steps;
    }
  } else {
    for (int n = 0; n < 3; ++n) values[n] = AudioGetBits(cursor, q.bits);
  }
}

void ReadSamples(AudioBitCursor* cursor, const MpegAudioHeader& header, int channels, const FrameAllocation& alloc,
                 FrameSamples* frame) {
  const int bound = std::min(header.bound, header.sblimit);
  for (int granule = 0; granule < kGranules; ++granule) {
    const int part = granule / 4;
    const int slot = granule * 3;
    for (int band = 0; band < header.sblimit; ++band) {
      std::uint32_t values[3];
      for (int ch = 0; ch < channels; ++ch) {
        const int quantClass = alloc.quantClass[ch][band];
        if (band < bound || ch == 0) {
          if (quantClass) ReadTriple(cursor, quantClass, values);
        }
        for (int n = 0; n < 3; ++n) {
          frame->s[ch][slot + n][band] =
              quantClass ? Requantize(values[n], quantClass, alloc.scaleIndex[ch][band][part]) : 0;
        }
      }
    }
  }
}

void StoreSample(std::uint8_t* out, std::int32_t value) {
  const auto clipped = static_cast<std::int16_t>(std::clamp(value, -32768, 32767));
  const auto bits = static_cast<std::uint16_t>(clipped);
  out[0] = static_cast<std::uint8_t>(bits & 0xFF);
  out[1] = static_cast<std::uint8_t>(bits >> 8);
}

// (u * d) >> 15 without a 64-bit product: u = 32768 * high + low splits it
// into two products that fit 32 bits (|u| <= 2^21 + 32, |d| <= 37519).
inline std::int32_t WindowProduct(std::int32_t u, std::int32_t d) {
  return (u >> 15) * d + (((u & 0x7FFF) * d) >> 15);
}

// One time slot through the filter bank: 32 subband samples per channel in,
// 32 PCM sample pairs out. A single channel is written to both outputs.
void SynthesizeSlot(SynthesisState* state, const std::int32_t* const samples[2], int channels, int sblimit,
                    std::uint8_t* out) {
  const TransposedSynthesisMatrix& matrix = TransposedMatrix();
  state->offset = (state->offset - 64) & 1023;
  const int offset = state->offset;
  for (int ch = 0; ch < channels; ++ch) {
    // Every product is shifted before it is added. Products fit 32 bits:
    // samples lie in [-65534, 65536] and only row 48 reaches -32768.
    // Row 32 - i is row i negated, so its products are the negated ones
    // (shifted on their own: floor does not commute with negation); row
    // 96 - i equals row i and row 16 is zero.
    std::int32_t low[16] = {};       // rows 0 to 15
    std::int32_t negated[16] = {};   // rows 32 down to 17
    std::int32_t high[16] = {};      // rows 33 to 48
    for (int k = 0; k < sblimit; ++k) {
      const std::int32_t s = samples[ch][k];
      if (s == 0) continue;
      const std::int32_t* column = matrix[k];
      for (int i = 0; i < 16; ++i) {
        const std::int32_t product = column[i] * s;
        low[i] += product >> 15;
        negated[i] += (-product) >> 15;
      }
      for (int i = 0; i < 16; ++i) high[i] += (column[33 + i] * s) >> 15;
    }
    std::int32_t row[64];
    for (int i = 0; i < 16; ++i) {
      row[i] = low[i];
      row[32 - i] = negated[i];
      row[33 + i] = high[i];
    }
    row[16] = 0;
    for (int i = 49; i < 64; ++i) row[i] = row[96 - i];
    std::int32_t* v = state->v[ch];
    for (int i = 0; i < 64; ++i) v[offset + i] = v[offset + 1024 + i] = row[i];

    std::int32_t sum[32] = {};
    for (int i = 0; i < 16; ++i) {
      const std::int32_t* u = v + offset + 64 * i + 32 * (i & 1);
      const std::int32_t* d = kWindow + 32 * i;
      for (int j = 0; j < 32; ++j) sum[j] += WindowProduct(u[j], d[j]);
    }
    for (int j = 0; j < 32; ++j) {
      StoreSample(out + 4 * j + 2 * ch, sum[j]);
      if (channels == 1) StoreSample(out + 4 * j + 2, sum[j]);
    }
  }
}

}  // namespace

std::uint32_t AudioGetBits(AudioBitCursor* cursor, int n) {
  const std::size_t byte = cursor->bitPosition >> 3;
  std::uint32_t window = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    window <<= 8;
    if (byte + i < cursor->size) window |= cursor->data[byte + i];
  }
  const int used = static_cast<int>(cursor->bitPosition & 7);
  cursor->bitPosition += static_cast<std::size_t>(n);
  return (window >> (24 - used - n)) & ((1u << n) - 1);
}

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

std::int32_t Requantize(std::uint32_t v, int quantClass, int scaleIndex) {
  const QuantClass& q = kQuantClasses[quantClass];
  // 64-bit products: near full scale they reach 2^31. h is a power of two,
  // so (v - h) * 32768 / h is exact as a multiplication.
  const std::int64_t x = (static_cast<std::int64_t>(v) - q.h) *
                         (std::int64_t{32768} >> std::countr_zero(static_cast<std::uint32_t>(q.h)));
  const std::int64_t y = ((x + q.d) * q.c) >> 15;
  const std::int64_t sample = (y * kScaleFactors[scaleIndex]) >> 15;
  // Valid codes give -65534 to 65536. Only a code the standard forbids (all
  // ones in an ungrouped class) under the largest scale factors lands above,
  // where a 32-bit product would have overflowed; holding it at 2.0 keeps the
  // filter bank's products within 32 bits.
  return static_cast<std::int32_t>(std::min<std::int64_t>(sample, 65536));
}

std::uint32_t DecodeLayer2Frame(std::uint8_t* output, const MpegAudioHeader& header, const std::uint8_t* body,
                                std::size_t bodyBytes, SynthesisState* state) {
  AudioBitCursor cursor{body, bodyBytes, 0};
  const int channels = header.channels == 1 ? 1 : 2;
  if (header.crc) AudioGetBits(&cursor, 16);
  FrameAllocation alloc{};
  ReadAllocation(&cursor, header, channels, &alloc);
  FrameSamples frame;
  ReadSamples(&cursor, header, channels, alloc, &frame);
  for (int slot = 0; slot < kSlotsPerFrame; ++slot) {
    const std::int32_t* const samples[2] = {frame.s[0][slot], frame.s[1][slot]};
    SynthesizeSlot(state, samples, channels, header.sblimit, output + slot * 32 * 4);
  }
  return kLayer2FramePcmBytes;
}

std::uint32_t DecodeFrame(const MpegAudioHeader& header, const std::uint8_t* body, std::size_t bodyBytes,
                          std::uint8_t* output, SynthesisState* state) {
  if (!header.mpeg1 || header.layer != 2 || header.sblimit == 0) return 0;
  return DecodeLayer2Frame(output, header, body, bodyBytes, state);
}

void ClearSynthesisState(SynthesisState* state) { std::memset(state, 0, sizeof(*state)); }

}  // namespace reelpack
