#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/archive/archive_reader.h"
#include "tools/mlz_pack/lzss_compress.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Unpacks into a block of exactly unpackedSize bytes, so the sanitizer build
// catches any write past it.
Bytes Unpack(const Bytes& packed, std::uint32_t unpackedSize, std::uint32_t* written = nullptr) {
  Bytes out(unpackedSize, 0xCC);
  const std::uint32_t count =
      CArchiveReader::UnpackLzss(out.data(), packed.data(), unpackedSize, static_cast<std::uint32_t>(packed.size()));
  if (written != nullptr) *written = count;
  out.resize(count);
  return out;
}

// The unpacker as the format describes it, with a real ring, for comparing
// against on arbitrary streams.
Bytes UnpackWithRing(const Bytes& packed, std::uint32_t unpackedSize) {
  std::uint8_t ring[kLzssRingSize] = {};
  std::uint32_t writePosition = kLzssStartPosition;
  Bytes out;
  std::size_t in = 0;
  auto put = [&](std::uint8_t byte) {
    out.push_back(byte);
    ring[writePosition] = byte;
    writePosition = (writePosition + 1) % kLzssRingSize;
  };
  for (std::uint32_t flags = 0; out.size() < unpackedSize;) {
    flags >>= 1;
    if ((flags & 0x100) == 0) {
      if (in == packed.size()) break;
      flags = packed[in++] | 0xFF00u;
    }
    if (flags & 1) {
      if (in == packed.size()) break;
      put(packed[in++]);
    } else {
      if (packed.size() - in < 2) break;
      const std::uint32_t position = packed[in] | ((packed[in + 1] & 0xF0) << 4);
      const std::uint32_t length = (packed[in + 1] & 0x0F) + 2;
      in += 2;
      for (std::uint32_t k = 0; k < length && out.size() < unpackedSize; ++k) {
        put(ring[(position + k) % kLzssRingSize]);
      }
    }
  }
  return out;
}

TEST(LzssUnpack, StreamCases) {
  // Ring position 2,031 is where the first byte goes; 0x7EF = b0 0xEF, b1 high nibble 0x70.
  struct Case {
    const char* what;
    Bytes packed;
    std::uint32_t unpackedSize;
    Bytes expected;
  };
  const Case cases[] = {
      {"flag 0xFF and eight literals", {0xFF, 1, 2, 3, 4, 5, 6, 7, 8}, 8, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"first match reads the ring's zeros", {0x00, 0x00, 0x00}, 2, {0, 0}},
      {"match at the write position reads the oldest (zero) byte", {0x00, 0xEF, 0x71}, 3, {0, 0, 0}},
      {"overlapping match repeats the last byte", {0x01, 'x', 0xEF, 0x73}, 6, {'x', 'x', 'x', 'x', 'x', 'x'}},
      {"match item cut by the end is dropped", {0x01, 'a', 0x00}, 3, {'a'}},
      {"no flag byte left", {0xFF, 'a'}, 2, {'a'}},
      {"empty input", {}, 4, {}},
      {"literals beyond the unpacked size are not written", {0xFF, 1, 2, 3, 4, 5, 6, 7, 8}, 4, {1, 2, 3, 4}},
      {"a match is cut at the unpacked size", {0x00, 0x00, 0x0F}, 5, {0, 0, 0, 0, 0}},
      {"second flag byte governs the ninth item",
       {0xFF, 1, 2, 3, 4, 5, 6, 7, 8, 0x01, 9},
       9,
       {1, 2, 3, 4, 5, 6, 7, 8, 9}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, Unpack(c.packed, c.unpackedSize)) << c.what;
  }
}

TEST(LzssUnpack, MatchAcrossTheRingWrap) {
  // 2,048 literals fill the ring once round; a match then names ring
  // position 5, last written by literal number 22 (2,031 + 22 = 2,048 + 5).
  Bytes packed;
  Bytes expected;
  for (int i = 0; i < 2048; ++i) {
    if (i % 8 == 0) packed.push_back(0xFF);
    packed.push_back(static_cast<std::uint8_t>(i * 7));
    expected.push_back(static_cast<std::uint8_t>(i * 7));
  }
  // Item 2,048 opens a new flag byte whose bit 0 is clear.
  packed.push_back(0x00);
  packed.push_back(0x05);
  packed.push_back(0x01);  // length 3
  for (int k = 0; k < 3; ++k) expected.push_back(static_cast<std::uint8_t>((22 + k) * 7));
  EXPECT_EQ(expected, Unpack(packed, static_cast<std::uint32_t>(expected.size())));
}

TEST(LzssUnpack, EveryCallStartsFromACleanRing) {
  // The first call fills ring positions 0 to 100 with 'A'; the second call's
  // match at position 0 must still see the initial zeros.
  // Each match names ring position 2,031, where the first 'A' went.
  Bytes filler{0x01, 'A'};
  for (int item = 1; item < 100; ++item) {
    if (item % 8 == 0) filler.push_back(0x00);
    filler.push_back(0xEF);
    filler.push_back(0x7F);
  }
  std::uint32_t written = 0;
  Unpack(filler, 1000, &written);
  ASSERT_GT(written, 200u);
  EXPECT_EQ(Bytes({0, 0, 0, 0}), Unpack({0x00, 0x00, 0x02}, 4));
}

TEST(LzssUnpack, AgreesWithARingOnRandomStreams) {
  std::mt19937 random(11);
  for (int round = 0; round < 200; ++round) {
    Bytes packed(random() % 3000);
    // Mostly matches, so that far and overlapping references are common.
    for (auto& b : packed) b = static_cast<std::uint8_t>(random() % 4 == 0 ? random() : random() & 0x92);
    const std::uint32_t unpackedSize = random() % 20000;
    ASSERT_EQ(UnpackWithRing(packed, unpackedSize), Unpack(packed, unpackedSize)) << "round " << round;
  }
}

TEST(LzssUnpack, CompressorRoundTrips) {
  std::mt19937 random(7);
  std::string text;
  const char* words[] = {"ペルモ", "hello ", "world ", "\r\n", "<BgSet name=\"bg01\">", "　"};
  while (text.size() < 300000) text += words[random() % 6];
  Bytes noise(70000);
  for (auto& b : noise) b = static_cast<std::uint8_t>(random());
  struct Case {
    const char* what;
    Bytes input;
    bool shrinks;
  };
  const Case cases[] = {
      {"empty", {}, false},
      {"one byte", {42}, false},
      {"zeros, matching the ring's initial contents", Bytes(5000, 0), true},
      {"text", Bytes(text.begin(), text.end()), true},
      {"noise", noise, false},
  };
  for (const Case& c : cases) {
    const Bytes packed = CompressLzss(c.input.data(), c.input.size());
    EXPECT_EQ(c.input, Unpack(packed, static_cast<std::uint32_t>(c.input.size()))) << c.what;
    if (c.shrinks) {
      EXPECT_LT(packed.size(), c.input.size() / 2) << c.what;
    }
  }
}

}  // namespace
