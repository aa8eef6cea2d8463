#include "converter/jbp1/jbp1_bit_writer.h"

#include "common/jbp1_format.h"

namespace reelpack {

void JbpBitWriter::Init(std::uint8_t* buffer, std::size_t capacity) {
  *this = JbpBitWriter{};
  output_ = buffer;
  capacity_ = capacity;
}

void JbpBitWriter::PutBit(std::uint32_t bit) {
  accumulator_ = (bit & 1u) << 31 | accumulator_ >> 1;
  if (++bitsPending_ == 32) StoreWord();
}

void JbpBitWriter::PutBits(int n, std::uint32_t value) {
  for (int i = n - 1; i >= 0; --i) PutBit(value >> i);
}

void JbpBitWriter::Flush() {
  if (bitsPending_ == 0) return;
  accumulator_ >>= 32 - bitsPending_;
  StoreWord();
}

void JbpBitWriter::StoreWord() {
  if (capacity_ - bytesStored_ >= 4) {
    WriteLe32(output_ + bytesStored_, accumulator_);
    bytesStored_ += 4;
  } else {
    overflowed_ = true;
  }
  bitsPending_ = 0;
  accumulator_ = 0;
}

}  // namespace reelpack
