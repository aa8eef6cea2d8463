// Greedy LZSS over hash chains of three-byte prefixes.
//
// The data is placed after as many zero bytes as the reader's ring holds
// before its first write position, so an index into that combined buffer is,
// modulo the ring size, the ring position the reader will find the byte at;
// runs of zeros at the start can then match the ring's initial contents.
#include "tools/mlz_pack/lzss_compress.h"

#include <algorithm>

#include "engine/archive/archive_reader.h"

namespace {

constexpr std::size_t kMinUsefulMatch = 3;
constexpr int kHashBits = 15;
constexpr int kMaxChainSteps = 128;

std::uint32_t HashAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  const std::uint32_t key = bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16);
  return (key * 2654435761u) >> (32 - kHashBits);
}

class MatchFinder {
 public:
  explicit MatchFinder(const std::vector<std::uint8_t>& bytes)
      : bytes_(bytes), head_(std::size_t{1} << kHashBits, -1), previous_(bytes.size(), -1) {}

  void Insert(std::size_t at) {
    if (at + kMinUsefulMatch > bytes_.size()) return;
    const std::uint32_t hash = HashAt(bytes_, at);
    previous_[at] = head_[hash];
    head_[hash] = static_cast<std::int64_t>(at);
  }

  // Longest earlier match within the ring's reach; length 0 when none is
  // worth a match item.
  std::size_t Find(std::size_t at, std::size_t* source) const {
    const std::size_t limit = std::min<std::size_t>(kLzssMaxMatch, bytes_.size() - at);
    if (limit < kMinUsefulMatch) return 0;
    std::size_t best = 0;
    std::int64_t candidate = head_[HashAt(bytes_, at)];
    for (int steps = 0; candidate >= 0 && steps < kMaxChainSteps; ++steps) {
      const auto from = static_cast<std::size_t>(candidate);
      if (at - from > kLzssRingSize) break;
      std::size_t length = 0;
      while (length < limit && bytes_[from + length] == bytes_[at + length]) ++length;
      if (length > best) {
        best = length;
        *source = from;
        if (best == limit) break;
      }
      candidate = previous_[from];
    }
    return best >= kMinUsefulMatch ? best : 0;
  }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::vector<std::int64_t> head_;
  std::vector<std::int64_t> previous_;
};

}  // namespace

std::vector<std::uint8_t> CompressLzss(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(kLzssStartPosition + size, 0);
  std::copy(data, data + size, bytes.begin() + kLzssStartPosition);
  MatchFinder finder(bytes);
  for (std::size_t i = 0; i < kLzssStartPosition; ++i) finder.Insert(i);

  std::vector<std::uint8_t> packed;
  std::size_t flagIndex = 0;
  int itemsUnderFlag = 8;
  for (std::size_t at = kLzssStartPosition; at < bytes.size();) {
    if (itemsUnderFlag == 8) {
      flagIndex = packed.size();
      packed.push_back(0);
      itemsUnderFlag = 0;
    }
    std::size_t source = 0;
    std::size_t length = finder.Find(at, &source);
    if (length == 0) {
      packed[flagIndex] |= static_cast<std::uint8_t>(1u << itemsUnderFlag);
      packed.push_back(bytes[at]);
      length = 1;
    } else {
      const std::size_t ringPosition = source & (kLzssRingSize - 1);
      packed.push_back(static_cast<std::uint8_t>(ringPosition & 0xFF));
      packed.push_back(static_cast<std::uint8_t>(((ringPosition >> 4) & 0xF0) | (length - kLzssMinMatch)));
    }
    ++itemsUnderFlag;
    for (std::size_t i = 0; i < length; ++i) finder.Insert(at + i);
    at += length;
  }
  return packed;
}
