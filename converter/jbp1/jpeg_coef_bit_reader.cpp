#include "converter/jbp1/jpeg_coef_bit_reader.h"

#include <cstring>

namespace reelpack {

void CJpegBitReader::Open(CByteSource& source) {
  source_ = &source;
  std::memset(buffer_, 0, sizeof buffer_);
  cursor_ = end_ = kHistoryBytes;
  current_ = 0;
  bitsUsed_ = 0;
  loadedBytes_ = 0;
  bitMode_ = false;
  pendingMarker_ = 0;
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

void CJpegBitReader::SetBitMode(bool on) {
  if (on) {
    pendingMarker_ = 0;
    LoadByte();
  } else if (bitMode_ && pendingMarker_ == 0 && bitsUsed_ == 0) {
    PushBack(loadedBytes_);
  }
  if (!on) pendingMarker_ = 0;
  bitMode_ = on;
}

void CJpegBitReader::LoadByte() {
  bitsUsed_ = 0;
  loadedBytes_ = 0;
  current_ = 0xFF;
  if (pendingMarker_ != 0) return;
  const int byte = ReadByte();
  if (byte < 0) {
    pendingMarker_ = kEndOfSource;
    return;
  }
  loadedBytes_ = 1;
  if (byte == 0xFF) {
    const int next = ReadByte();
    if (next < 0) {
      pendingMarker_ = kEndOfSource;
      loadedBytes_ = 0;
      PushBack(1);
      return;
    }
    if (next != 0) {
      // A marker: give both bytes back so the marker search finds it.
      pendingMarker_ = next;
      loadedBytes_ = 0;
      PushBack(2);
      return;
    }
    loadedBytes_ = 2;
  }
  current_ = static_cast<std::uint8_t>(byte);
}

}  // namespace reelpack
