// Building and reading the byte images of the files the game keeps
// (saves, "system.dat"): 4-byte little-endian numbers, unaligned, and
// NUL-terminated Shift-JIS names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

inline void PutWord(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline void PutName(std::vector<std::uint8_t>& out, const char* name) {
  out.insert(out.end(), name, name + std::strlen(name) + 1);
}

// Reads an image front to back; any read past its end marks it bad.
class ImageReader {
 public:
  ImageReader(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}
  std::uint32_t Word() {
    if (size_ - position_ < 4) return Fail();
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= std::uint32_t{bytes_[position_ + i]} << (8 * i);
    position_ += 4;
    return value;
  }
  std::string Name() {
    const void* end = std::memchr(bytes_ + position_, 0, size_ - position_);
    if (end == nullptr) return Fail(), std::string();
    std::string name(reinterpret_cast<const char*>(bytes_ + position_));
    position_ += name.size() + 1;
    return name;
  }
  // A count of items that each take at least minBytes: larger than the rest
  // of the image can hold means a bad image.
  std::uint32_t Count(std::size_t minBytes) {
    const std::uint32_t count = Word();
    if (count > (size_ - position_) / minBytes) return Fail();
    return count;
  }
  bool ok() const { return ok_; }
  bool AtEnd() const { return position_ == size_; }

 private:
  std::uint32_t Fail() {
    ok_ = false;
    position_ = size_;
    return 0;
  }
  const std::uint8_t* bytes_;
  std::size_t size_;
  std::size_t position_ = 0;
  bool ok_ = true;
};
