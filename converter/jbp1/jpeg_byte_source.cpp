#include "converter/jbp1/jpeg_byte_source.h"

#include <algorithm>
#include <cstring>

namespace reelpack {

void CByteSource::OpenMemory(const std::uint8_t* block, std::size_t size) {
  block_ = block;
  size_ = block == nullptr ? 0 : size;
  position_ = 0;
}

std::size_t CByteSource::Read(std::uint8_t* dest, std::size_t n) {
  const std::size_t count = std::min(n, size_ - position_);
  if (count != 0) std::memcpy(dest, block_ + position_, count);
  position_ += count;
  return count;
}

void CByteSource::Close() { OpenMemory(nullptr, 0); }

}  // namespace reelpack
