#include "converter/audio/layer2_decoder.h"

#include <algorithm>

#include "converter/audio/layer2_tables.h"

namespace reelpack {

using namespace layer2;

namespace {

constexpr int kGranules = 12;

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

// A grouped code holds three values of `Steps` steps, the first lowest.
template <std::uint32_t Steps>
void Ungroup(std::uint32_t code, std::uint32_t values[3]) {
  values[0] = code % Steps;
  code /= Steps;
  values[1] = code % Steps;
  values[2] = code / Steps;
}

// Three consecutive values of one subband: one grouped code or three codes.
void ReadTriple(AudioBitCursor* cursor, const QuantClass& q, std::uint32_t values[3]) {
  if (q.grouped) {
    const std::uint32_t code = AudioGetBits(cursor, q.bits);
    // The grouped classes have 3, 5 and 9 steps; constant divisors become
    // multiplications.
    if (q.steps == 3) {
      Ungroup<3>(code, values);
    } else if (q.steps == 5) {
      Ungroup<5>(code, values);
    } else {
      Ungroup<9>(code, values);
    }
  } else {
    for (int n = 0; n < 3; ++n) values[n] = AudioGetBits(cursor, q.bits);
  }
}

// The frame's values, not yet requantised, into `frame`; 0 where a subband
// has no bits and in the subbands from sblimit to the next multiple of 8.
void ReadValues(AudioBitCursor* cursor, const MpegAudioHeader& header, int channels, const FrameAllocation& alloc,
                FrameSamples* frame) {
  const int bound = std::min(header.bound, header.sblimit);
  const int padded = std::min(32, (header.sblimit + 7) / 8 * 8);
  for (int granule = 0; granule < kGranules; ++granule) {
    const int slot = granule * 3;
    for (int band = 0; band < header.sblimit; ++band) {
      std::uint32_t values[3] = {};
      for (int ch = 0; ch < channels; ++ch) {
        const int quantClass = alloc.quantClass[ch][band];
        // Above the bound both channels share the first one's values.
        if (quantClass && (band < bound || ch == 0)) ReadTriple(cursor, kQuantClasses[quantClass], values);
        for (int n = 0; n < 3; ++n) frame->s[ch][slot + n][band] = quantClass ? static_cast<std::int32_t>(values[n]) : 0;
      }
    }
    for (int ch = 0; ch < channels; ++ch) {
      for (int n = 0; n < 3; ++n) {
        for (int band = header.sblimit; band < padded; ++band) frame->s[ch][slot + n][band] = 0;
      }
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
  FrameSamples frame;
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
