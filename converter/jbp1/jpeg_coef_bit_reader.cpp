#include "converter/jbp1/jpeg_coef_bit_reader.h"

#include <cstring>

namespace reelpack {

void CJpegBitReader::Open(CByteSource& source) {
  source_ = &source;
  std::memset(buffer_, 0, sizeof buffer_);
  cursor_ = end_ = kHistoryBytes;
  ranPastData_ = false;
  Refill();
}

bool CJpegBitReader::Refill() {
  std::memmove(buffer_, buffer_ + cursor_ - kHistoryBytes, kHistoryBytes);
  cursor_ = kHistoryBytes;
  end_ = kHistoryBytes + source_->Read(buffer_ + kHistoryBytes, kWindowBytes);
  return end_ != cursor_;
}

int CJpegBitReader::NextMarker() {
  for (;;) {
    int byte = ReadByte();
    if (byte < 0) return 0;
    if (byte != 0xFF) continue;
    byte = ReadByte();
    if (byte < 0) return 0;
    if (byte != 0) return byte;
  }
}

int CJpegBitReader::ReadRestartMarker() {
  const int marker = NextMarker();
  if (marker >= 0xD0 && marker <= 0xD7) return marker;
  if (marker != 0) PushBack(2);
  return 0;
}

void CJpegBitReader::SetBitMode(bool) {
  bits_ = ~std::uint64_t{0};
  bitCount_ = 0;
  dataEnded_ = false;
}

void CJpegBitReader::Fill() {
  while (bitCount_ <= 56 && !dataEnded_) {
    int byte = ReadByte();
    if (byte < 0) {
      dataEnded_ = true;
      return;
    }
    if (byte == 0xFF) {
      const int next = ReadByte();
      if (next != 0) {
        // A marker (or the end): give its bytes back for the marker search.
        PushBack(next < 0 ? 1 : 2);
        dataEnded_ = true;
        return;
      }
    }
    const int shift = 56 - bitCount_;
    bits_ = (bits_ & ~(std::uint64_t{0xFF} << shift)) | std::uint64_t(byte) << shift;
    bitCount_ += 8;
  }
}

}  // namespace reelpack
