// The byte and bit input of the coefficient-level JPEG reader: a window of
// 2,048 bytes refilled from the source, with the last four bytes of the
// previous window kept before it so that up to four bytes can be pushed back
// across a refill.
//
// In bit mode the reader takes the entropy-coded data: 0xFF 0x00 is a data
// byte 0xFF; any other byte after 0xFF is a marker, which stays unread
// (pending) while the reader gives 1-bits. Asking for a bit while a marker is
// pending, or past the end of the source, means the data ran out before the
// scan did; the reader remembers that.
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

  // Entering loads the first byte; leaving drops the unused bits of the
  // loaded byte, or gives the byte back when none of its bits was used.
  void SetBitMode(bool on);

  int ReadBit() {
    if (pendingMarker_ != 0) {
      ranPastData_ = true;
      return 1;
    }
    const int bit = current_ >> 7;
    current_ = static_cast<std::uint8_t>(current_ << 1);
    if (++bitsUsed_ == 8) LoadByte();
    return bit;
  }
  std::uint32_t ReadBits(int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 1 | static_cast<std::uint32_t>(ReadBit());
    return value;
  }

  bool RanPastData() const { return ranPastData_; }

 private:
  // Stands for the end of the source where a marker code would be.
  static constexpr int kEndOfSource = 0x100;

  bool Refill();
  void LoadByte();

  CByteSource* source_ = nullptr;
  std::uint8_t buffer_[kHistoryBytes + kWindowBytes] = {};
  std::size_t cursor_ = kHistoryBytes;
  std::size_t end_ = kHistoryBytes;
  std::uint8_t current_ = 0;
  int bitsUsed_ = 0;
  int loadedBytes_ = 0;  // source bytes behind the loaded byte (2 for 0xFF 0x00)
  bool bitMode_ = false;
  int pendingMarker_ = 0;
  bool ranPastData_ = false;
};

}  // namespace reelpack
