#include "converter/jbp1/jbp1_bit_writer.h"

#include "common/jbp1_format.h"

namespace {

std::uint32_t ReverseBits(std::uint32_t value) {
  value = (value >> 1 & 0x55555555u) | (value & 0x55555555u) << 1;
  value = (value >> 2 & 0x33333333u) | (value & 0x33333333u) << 2;
  value = (value >> 4 & 0x0F0F0F0Fu) | (value & 0x0F0F0F0Fu) << 4;
  value = (value >> 8 & 0x00FF00FFu) | (value & 0x00FF00FFu) << 8;
  return value >> 16 | value << 16;
}

}  // namespace

namespace reelpack {

void JbpBitWriter::Init(std::uint8_t* buffer, std::size_t capacity) {
  *this = JbpBitWriter{};
  output_ = buffer;
  capacity_ = capacity;
}

void JbpBitWriter::PutBit(std::uint32_t bit) { PutBits(1, bit); }

void JbpBitWriter::PutBits(int n, std::uint32_t value) {
  if (n == 0) return;
  // The first bit written takes the lowest free position.
  accumulator_ |= std::uint64_t{ReverseBits(value) >> (32 - n)} << bitsPending_;
  bitsPending_ += n;
  if (bitsPending_ >= 32) StoreWord();
}

void JbpBitWriter::Flush() {
  if (bitsPending_ != 0) StoreWord();
}

void JbpBitWriter::StoreWord() {
  if (capacity_ - bytesStored_ >= 4) {
    WriteLe32(output_ + bytesStored_, static_cast<std::uint32_t>(accumulator_));
    bytesStored_ += 4;
  } else {
    overflowed_ = true;
  }
  accumulator_ >>= 32;
  bitsPending_ = bitsPending_ > 32 ? bitsPending_ - 32 : 0;
}

}  // namespace reelpack
