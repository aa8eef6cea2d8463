// Bit writer of the "JBP1" streams: bits fill 32-bit little-endian words from
// the least significant bit up, so stream bit k lies in word k / 32 at bit
// k % 32. Writes never pass the capacity given to Init; a writer that ran out
// of room reports it through Overflowed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace reelpack {

class JbpBitWriter {
 public:
  void Init(std::uint8_t* buffer, std::size_t capacity);
  void PutBit(std::uint32_t bit);
  // The low n bits of value (n 0 to 32), most significant first.
  void PutBits(int n, std::uint32_t value);
  // Completes a started word with zero bits; a writer on a word boundary
  // stores nothing.
  void Flush();

  std::size_t BytesStored() const { return bytesStored_; }
  bool Overflowed() const { return overflowed_; }

 private:
  void StoreWord();

  std::uint8_t* output_ = nullptr;
  std::size_t capacity_ = 0;
  std::size_t bytesStored_ = 0;
  // Pending bits in stream order from bit 0 up.
  int bitsPending_ = 0;
  std::uint64_t accumulator_ = 0;
  bool overflowed_ = false;
};

}  // namespace reelpack
