#include <gtest/gtest.h>

#include <random>

#include "converter/mpeg/mpeg_start_code.h"
#include "mpeg_test_writer.h"

using reelpack::findStartCodeBackward;
using reelpack::findStartCodeForward;

namespace {

const std::uint8_t* naiveForward(const Bytes& b, std::size_t from) {
  for (std::size_t i = from; i + 2 < b.size(); ++i)
    if (b[i] == 0 && b[i + 1] == 0 && b[i + 2] == 1) return b.data() + i;
  return nullptr;
}

const std::uint8_t* naiveBackward(const Bytes& b, std::size_t candidate) {
  for (long q = static_cast<long>(candidate); q >= 2; --q)
    if (b[q - 2] == 0 && b[q - 1] == 0 && b[q] == 1) return b.data() + q - 2;
  return nullptr;
}

TEST(MpegStartCodeSearch, SmallCases) {
  struct Case {
    Bytes bytes;
    int forward;  // index found, -1 for none
  };
  const Case cases[] = {
      {{0, 0, 0, 1}, 1}, {{0, 0, 1}, 0},          {{0, 0}, -1},        {{}, -1},
      {{7, 0, 0, 1, 0xB3}, 1}, {{0, 1, 0, 0, 1}, 2}, {{0, 0, 2, 0, 0, 0}, -1}, {{5, 5, 5, 5, 5, 0, 0, 1}, 5},
  };
  for (const Case& c : cases) {
    const std::uint8_t* found = findStartCodeForward(c.bytes.data(), c.bytes.data() + c.bytes.size());
    EXPECT_EQ(found == nullptr ? -1 : found - c.bytes.data(), c.forward);
    if (!c.bytes.empty()) {
      const std::uint8_t* back = findStartCodeBackward(c.bytes.data() + c.bytes.size() - 1, c.bytes.data());
      EXPECT_EQ(back == nullptr ? -1 : back - c.bytes.data(), c.forward);
    }
  }
}

// Both skip rules against a plain scan, on bytes rich in 00 and 01.
TEST(MpegStartCodeSearch, AgreesWithPlainScan) {
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    Bytes b(1 + random() % 40);
    for (auto& byte : b) byte = static_cast<std::uint8_t>(random() % 3);
    const std::size_t from = random() % b.size();
    EXPECT_EQ(findStartCodeForward(b.data() + from, b.data() + b.size()), naiveForward(b, from));
    EXPECT_EQ(findStartCodeBackward(b.data() + from, b.data()), naiveBackward(b, from));
  }
}

}  // namespace
