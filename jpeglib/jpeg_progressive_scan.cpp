// Counting and coding of progressive scans (T.81 G.1.2): one walk over the
// blocks serves both, so the counts always match what is coded.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "jpeglib/jpeg_progressive.h"

namespace {

constexpr unsigned kMaxEobRun = 0x7FFF;
// Correction bits held for a pending end-of-band run; one more block may
// add 63, so the run is forced out once more than 1,000 - 63 are held.
constexpr int kCorrectionBits = 1000;
constexpr int kCorrectionLimit = kCorrectionBits - 63;

inline int bitCount(unsigned magnitude) { return magnitude == 0 ? 0 : 32 - __builtin_clz(magnitude); }

// Value bits of a coefficient or difference of `size` bits (negative values
// as their one's complement).
inline std::uint32_t valueBits(int value, int size) {
  const auto bits = static_cast<std::uint32_t>(value < 0 ? value - 1 : value);
  return size == 0 ? 0 : bits & ((1u << size) - 1);
}

struct CountSink {
  static constexpr bool kWrites = false;
  JpegScanStatistics& statistics;

  JPEG_STATUS symbol(int table, int symbol, std::uint32_t, int) {
    ++statistics.counts[table][symbol];
    return JPEG_SUCCESS;
  }
  JPEG_STATUS raw(std::uint32_t, int) { return JPEG_SUCCESS; }
};

struct WriteSink {
  static constexpr bool kWrites = true;
  JpegOutputStream& out;
  const JpegHuffmanCodes* const* codes;

  // The symbol's code and its value bits in one call (at most 16 + 16 bits).
  JPEG_STATUS symbol(int table, int symbol, std::uint32_t bits, int size) {
    const JpegHuffmanCodes& code = *codes[table];
    const auto length = static_cast<int>(code.length[symbol]);
    if (length == 0) return JPEG_BAD_HUFFMAN_TABLE;
    return putBitsWide((static_cast<std::uint32_t>(code.code[symbol]) << size) | bits, length + size, out);
  }
  JPEG_STATUS raw(std::uint32_t bits, int size) { return size == 0 ? JPEG_SUCCESS : putBitsWide(bits, size, out); }
};

// Bit k set where byte k of the 64 is non-zero (bytes 0 or 1).
inline std::uint64_t packFlags(const std::uint8_t flags[64]) {
  std::uint64_t mask = 0;
  for (int group = 0; group < 8; ++group) {
    std::uint64_t word;
    std::memcpy(&word, flags + 8 * group, 8);
    mask |= ((word * 0x0102040810204080ull) >> 56) << (8 * group);
  }
  return mask;
}

// Bits start..end set.
inline std::uint64_t bandMask(int start, int end) {
  return (~std::uint64_t{0} >> (63 - end)) & (~std::uint64_t{0} << start);
}

// Point-transformed magnitudes |v| >> Al of a zigzag block; the sign stays
// with the coefficient (a shift of a negative value would not decode back).
inline void magnitudes(const std::int16_t* block, int low, std::int16_t magnitude[64]) {
  for (int k = 0; k < 64; ++k) {
    const int value = block[k];
    magnitude[k] = static_cast<std::int16_t>((value < 0 ? -value : value) >> low);
  }
}

template <typename Sink>
class ScanCoder {
 public:
  ScanCoder(Sink sink, const JPEG_SCAN& scan)
      : sink_(sink), scan_(scan), band_(bandMask(scan.spectralStart, scan.spectralEnd)) {}

  JPEG_STATUS dcFirst(const std::int16_t* block, int table, std::int16_t& predictor) {
    const int value = block[0] >> scan_.approxLow;
    const int diff = value - predictor;
    predictor = static_cast<std::int16_t>(value);
    const int size = bitCount(static_cast<unsigned>(std::abs(diff)));
    return sink_.symbol(table, size, valueBits(diff, size), size);
  }

  JPEG_STATUS dcRefine(const std::int16_t* block) {
    return sink_.raw(static_cast<std::uint32_t>(block[0] >> scan_.approxLow) & 1, 1);
  }

  // Blocks are in zigzag order.
  JPEG_STATUS acFirst(const std::int16_t* block) {
    std::int16_t magnitude[64];
    magnitudes(block, scan_.approxLow, magnitude);
    std::uint8_t nonZero[64];
    for (int k = 0; k < 64; ++k) nonZero[k] = magnitude[k] != 0;
    std::uint64_t coded = packFlags(nonZero) & band_;
    int previous = scan_.spectralStart - 1;
    for (; coded != 0; coded &= coded - 1) {
      const int k = __builtin_ctzll(coded);
      int run = k - previous - 1;
      previous = k;
      if (JPEG_STATUS status = flushEobRun()) return status;
      for (; run > 15; run -= 16) {
        if (JPEG_STATUS status = sink_.symbol(0, 0xF0, 0, 0)) return status;
      }
      const int value = block[k] < 0 ? -magnitude[k] : magnitude[k];
      const int size = bitCount(static_cast<unsigned>(magnitude[k]));
      if (JPEG_STATUS status = sink_.symbol(0, (run << 4) | size, valueBits(value, size), size)) return status;
    }
    if (previous == scan_.spectralEnd) return JPEG_SUCCESS;
    return ++eobRun_ == kMaxEobRun ? flushEobRun() : JPEG_SUCCESS;
  }

  JPEG_STATUS acRefine(const std::int16_t* block) {
    std::int16_t magnitude[64];
    magnitudes(block, scan_.approxLow, magnitude);
    std::uint8_t isNew[64], isOld[64];
    for (int k = 0; k < 64; ++k) {
      isNew[k] = magnitude[k] == 1;
      isOld[k] = magnitude[k] > 1;
    }
    const std::uint64_t newOnes = packFlags(isNew) & band_;
    std::uint64_t nonZero = (packFlags(isOld) & band_) | newOnes;
    // Runs after the last new coefficient fold into the end of band.
    const int lastNew = newOnes == 0 ? 0 : 63 - __builtin_clzll(newOnes);
    // The block's own correction bits follow those of the pending run.
    int blockStart = correctionCount_;
    int blockBits = 0;
    int run = 0;  // zeros since the last coded symbol; old coefficients do not count
    int previous = scan_.spectralStart - 1;
    for (; nonZero != 0; nonZero &= nonZero - 1) {
      const int k = __builtin_ctzll(nonZero);
      run += k - previous - 1;
      previous = k;
      while (run > 15 && k <= lastNew) {
        if (JPEG_STATUS status = flushEobRun()) return status;
        if (JPEG_STATUS status = sink_.symbol(0, 0xF0, 0, 0)) return status;
        run -= 16;
        if (JPEG_STATUS status = emitCorrection(blockStart, blockBits)) return status;
        blockStart = 0;
        blockBits = 0;
      }
      if (magnitude[k] > 1) {
        if constexpr (Sink::kWrites) correction_[blockStart + blockBits] = static_cast<std::uint8_t>(magnitude[k] & 1);
        ++blockBits;
        continue;
      }
      if (JPEG_STATUS status = flushEobRun()) return status;
      const std::uint32_t sign = block[k] < 0 ? 0 : 1;
      if (JPEG_STATUS status = sink_.symbol(0, (run << 4) | 1, sign, 1)) return status;
      if (JPEG_STATUS status = emitCorrection(blockStart, blockBits)) return status;
      blockStart = 0;
      blockBits = 0;
      run = 0;
    }
    run += scan_.spectralEnd - previous;
    if (run == 0 && blockBits == 0) return JPEG_SUCCESS;
    ++eobRun_;
    correctionCount_ += blockBits;
    if (eobRun_ == kMaxEobRun || correctionCount_ > kCorrectionLimit) return flushEobRun();
    return JPEG_SUCCESS;
  }

  // The pending end-of-band run (symbol category x 16 and the run's low
  // bits), then the correction bits held for it.
  JPEG_STATUS flushEobRun() {
    if (eobRun_ == 0) return JPEG_SUCCESS;
    const int category = bitCount(eobRun_) - 1;
    if (JPEG_STATUS status = sink_.symbol(0, category << 4, eobRun_ & ((1u << category) - 1), category)) {
      return status;
    }
    eobRun_ = 0;
    const int held = correctionCount_;
    correctionCount_ = 0;
    return emitCorrection(0, held);
  }

 private:
  JPEG_STATUS emitCorrection(int from, int count) {
    if constexpr (!Sink::kWrites) return JPEG_SUCCESS;
    while (count > 0) {
      const int piece = std::min(count, 16);
      std::uint32_t bits = 0;
      for (int i = 0; i < piece; ++i) bits = bits << 1 | correction_[from + i];
      if (JPEG_STATUS status = sink_.raw(bits, piece)) return status;
      from += piece;
      count -= piece;
    }
    return JPEG_SUCCESS;
  }

  Sink sink_;
  const JPEG_SCAN& scan_;
  const std::uint64_t band_;
  unsigned eobRun_ = 0;
  int correctionCount_ = 0;
  std::uint8_t correction_[kCorrectionBits];
};

template <typename Sink>
JPEG_STATUS walkDcScan(const JpegFrame& frame, const JpegCoefficientStore& store, ScanCoder<Sink>& coder,
                       const JPEG_SCAN& scan) {
  const bool first = scan.approxHigh == 0;
  std::int16_t predictor[kJpegMaxComponents] = {};
  for (int row = 0; row < frame.mcuRows; ++row) {
    for (int column = 0; column < frame.mcusPerRow; ++column) {
      for (int i = 0; i < scan.componentCount; ++i) {
        const int c = scan.component[i];
        const JpegComponent& component = frame.components[c];
        const std::int16_t* block = store.block(frame, c, column, row, 0, 0);
        for (int b = 0; b < component.h * component.v; ++b, block += 64) {
          const JPEG_STATUS status =
              first ? coder.dcFirst(block, c == 0 ? 0 : 1, predictor[i]) : coder.dcRefine(block);
          if (status != JPEG_SUCCESS) return status;
        }
      }
    }
  }
  return JPEG_SUCCESS;
}

// One component's blocks in raster order over the MCU grid, only those that
// start inside the picture (the component's own size in blocks).
template <typename Sink>
JPEG_STATUS walkAcScan(const JpegFrame& frame, const JpegCoefficientStore& store, ScanCoder<Sink>& coder,
                       const JPEG_SCAN& scan) {
  const int c = scan.component[0];
  const JpegComponent& component = frame.components[c];
  const int columns = std::min(frame.mcusPerRow * component.h, (frame.width + 7) / 8);
  const int rows = std::min(frame.mcuRows * component.v, (frame.height + 7) / 8);
  const bool first = scan.approxHigh == 0;
  const std::ptrdiff_t mcuStep = static_cast<std::ptrdiff_t>(store.blocksPerMcu) * 64;
  for (int y = 0; y < rows; ++y) {
    const std::int16_t* rowStart = store.block(frame, c, 0, y / component.v, 0, y % component.v);
    for (int x = 0; x < columns; ++x) {
      const std::int16_t* block = rowStart + (x / component.h) * mcuStep + (x % component.h) * 64;
      const JPEG_STATUS status = first ? coder.acFirst(block) : coder.acRefine(block);
      if (status != JPEG_SUCCESS) return status;
    }
  }
  return coder.flushEobRun();
}

template <typename Sink>
JPEG_STATUS walkScan(const JpegFrame& frame, const JpegCoefficientStore& store, const JPEG_SCAN& scan, Sink sink) {
  ScanCoder<Sink> coder(sink, scan);
  const bool dc = scan.spectralStart == 0 && scan.spectralEnd == 0;
  return dc ? walkDcScan(frame, store, coder, scan) : walkAcScan(frame, store, coder, scan);
}

}  // namespace

void countProgressiveScanSymbols(const JpegWorkingState& work, const JpegCoefficientStore& store,
                                 const JPEG_SCAN& scan, JpegScanStatistics& statistics) {
  std::memset(&statistics, 0, sizeof statistics);
  walkScan(work.frame, store, scan, CountSink{statistics});
}

JPEG_STATUS encodeProgressiveScan(JpegWorkingState& work, const JpegCoefficientStore& store, const JPEG_SCAN& scan,
                                  const JpegHuffmanCodes* const codes[2]) {
  // The 64-bit writer serves every class here; its held bits are closed at
  // the end, so the stream is left empty for whichever writer comes next.
  JPEG_STATUS status = walkScan(work.frame, store, scan, WriteSink{work.output, codes});
  if (status == JPEG_SUCCESS) status = outputWriteBytesWide(nullptr, 0, work.output);
  return status;
}
