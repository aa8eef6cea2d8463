// The byte and bit input of the coefficient-level JPEG reader: a window of
// 2,048 bytes refilled from the source, with the last four bytes of the
// previous window kept before it so that up to four bytes can be pushed back
// across a refill.
//
// In bit mode the reader takes the entropy-coded data into a bit buffer a few
// bytes ahead: 0xFF 0x00 is a data byte 0xFF; any other byte after 0xFF is a
// marker, which stays unread while the reader gives 1-bits. Taking a bit
// beyond the data before a marker or the end of the source means the data ran
// out before the scan did; the reader remembers that. Leaving bit mode drops
// the bits not taken: they are data bytes, which the next marker search would
// pass over all the same.
#pragma once

#include <cstddef>
#include <cstdint>

#include "converter/jbp1/jpeg_byte_source.h"

namespace reelpack {

class CJpegBitReader {
 public:
  static constexpr std::size_t kWindowBytes = 2048;
  static constexpr std::size_t kHistoryBytes = 4;

  void Open(CByteSource& source);

  // The next byte, or -1 at the end of the source.
  int ReadByte() {
    if (cursor_ == end_ && !Refill()) return -1;
    return buffer_[cursor_++];
  }
  // Steps back over up to kHistoryBytes bytes already read.
  void PushBack(int count) { cursor_ -= static_cast<std::size_t>(count); }

  // Reads on to the next 0xFF followed by a byte other than 0 and returns
  // that byte; 0 at the end of the source.
  int NextMarker();
  // In bit mode off: the code of a restart marker (0xD0 to 0xD7) read next,
  // or 0 with any other marker left unread.
  int ReadRestartMarker();

  // Entering or leaving bit mode: the bits not taken are dropped and the next
  // bits come from the next byte.
  void SetBitMode(bool on);

  // The next count bits (1 to 16) without taking them, most significant
  // first; 1-bits beyond the data.
  std::uint32_t PeekBits(int count) {
    if (bitCount_ < count) Fill();
    return static_cast<std::uint32_t>(bits_ >> (64 - count));
  }
  void SkipBits(int count) {
    if (bitCount_ < count) {
      Fill();
      if (bitCount_ < count) {
        ranPastData_ = true;
        bitCount_ = count;
      }
    }
    bits_ = ~(~bits_ << count);  // 1-bits come in behind
    bitCount_ -= count;
  }
  std::uint32_t ReadBits(int count) {
    if (count == 0) return 0;
    const std::uint32_t value = PeekBits(count);
    SkipBits(count);
    return value;
  }

  bool RanPastData() const { return ranPastData_; }

 private:
  bool Refill();
  // Tops the bit buffer up to at least 57 bits, or up to the next marker or
  // the end of the source.
  void Fill();

  CByteSource* source_ = nullptr;
  std::uint8_t buffer_[kHistoryBytes + kWindowBytes] = {};
  std::size_t cursor_ = kHistoryBytes;
  std::size_t end_ = kHistoryBytes;
  // Bits not yet taken, from the most significant down; below them 1-bits.
  std::uint64_t bits_ = ~std::uint64_t{0};
  int bitCount_ = 0;
  bool dataEnded_ = false;  // a marker or the end of the source was met
  bool ranPastData_ = false;
};

}  // namespace reelpack
