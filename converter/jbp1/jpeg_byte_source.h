// The input of the coefficient-level JPEG reader: a block of memory read
// front to back.
#pragma once

#include <cstddef>
#include <cstdint>

namespace reelpack {

class CByteSource {
 public:
  // Reads from the start of block; the block stays the caller's.
  void OpenMemory(const std::uint8_t* block, std::size_t size);
  // Copies up to n of the next bytes to dest; returns how many there were (0
  // at the end of the block). Never reads beyond the block.
  std::size_t Read(std::uint8_t* dest, std::size_t n);
  void Close();

 private:
  const std::uint8_t* block_ = nullptr;
  std::size_t size_ = 0;
  std::size_t position_ = 0;
};

}  // namespace reelpack
