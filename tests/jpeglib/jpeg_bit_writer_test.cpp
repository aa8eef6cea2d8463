// The byte-wise and the 64-bit bit writers against a bit-at-a-time
// reference: stuffing after every 0xFF wherever it falls, padding with 1
// bits, segments closing the held bits, and file staging.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "host/files/file_api.h"
#include "jpeglib/jpeg_output.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Code = std::pair<std::uint32_t, int>;  // bits, length

// Obviously correct: one bit at a time, stuffing, then the segment bytes.
Bytes ReferenceStream(const std::vector<Code>& codes, const Bytes& segment) {
  Bytes out;
  int value = 0, count = 0;
  auto push = [&](int bit) {
    value = value << 1 | bit;
    if (++count < 8) return;
    out.push_back(static_cast<std::uint8_t>(value));
    if (value == 0xFF) out.push_back(0);
    value = count = 0;
  };
  for (const auto& [bits, length] : codes) {
    for (int b = length - 1; b >= 0; --b) push(bits >> b & 1);
  }
  while (count != 0) push(1);
  out.insert(out.end(), segment.begin(), segment.end());
  return out;
}

Bytes WriteWith(bool wide, const std::vector<Code>& codes, const Bytes& segment, HANDLE file = nullptr) {
  Bytes buffer(codes.size() * 8 + segment.size() + 64);
  JpegOutputStream out;
  out.file = file;
  (wide ? outputBeginWide : outputBegin)(out, buffer.data(), buffer.size());
  for (const auto& [bits, length] : codes) {
    const JPEG_STATUS status = wide ? putBitsWide(bits, length, out) : putBits(out, bits, length);
    EXPECT_EQ(status, JPEG_SUCCESS);
  }
  EXPECT_EQ((wide ? outputWriteBytesWide : outputWriteBytes)(segment.data(), segment.size(), out), JPEG_SUCCESS);
  if (file != nullptr) {
    EXPECT_EQ(outputWriteStaged(out), JPEG_SUCCESS);
    return {};
  }
  buffer.resize(out.bytesWritten);
  return buffer;
}

std::vector<std::vector<Code>> CodeSequences() {
  std::vector<std::vector<Code>> sequences;
  std::mt19937 random(99);
  for (int s = 0; s < 200; ++s) {
    std::vector<Code> codes;
    const int count = std::uniform_int_distribution<int>(0, 300)(random);
    for (int i = 0; i < count; ++i) {
      const int length = std::uniform_int_distribution<int>(1, 27)(random);
      // Bias towards ones so 0xFF bytes are frequent.
      std::uint32_t bits = random() | random();
      codes.push_back({bits & ((1u << length) - 1), length});
    }
    sequences.push_back(codes);
  }
  // 0xFF at each byte position of a group, runs of 0xFF, and a last byte
  // that padding turns into 0xFF.
  for (int lead = 0; lead < 40; ++lead) {
    std::vector<Code> codes;
    for (int rest = lead; rest > 0; rest -= 20) codes.push_back({0, std::min(rest, 20)});
    for (int n = 1; n <= 4; ++n) codes.push_back({0xFF, 8});
    codes.push_back({0x7F, 7});
    sequences.push_back(codes);
  }
  sequences.push_back({{0x7FFFFFF, 27}, {0x7FFFFFF, 27}, {0x1F, 5}});
  return sequences;
}

TEST(BitWriter, BothWritersMatchTheReference) {
  const Bytes segment{0xFF, 0xD9};
  for (const auto& codes : CodeSequences()) {
    const Bytes expected = ReferenceStream(codes, segment);
    ASSERT_EQ(WriteWith(false, codes, segment), expected);
    ASSERT_EQ(WriteWith(true, codes, segment), expected);
  }
}

TEST(BitWriter, FileOutputThroughTheStagingBufferMatches) {
  const ScopedTempDir scratch("jpeglib_bits_");
  const std::string path = scratch.HostPath("bits.bin");
  std::vector<Code> codes;
  std::mt19937 random(5);
  for (int i = 0; i < 20000; ++i) codes.push_back({static_cast<std::uint32_t>(random()) & 0x1FFFF, 17});
  const Bytes segment(9000, 0x5A);  // longer than the staging buffer
  const Bytes expected = ReferenceStream(codes, segment);
  for (bool wide : {false, true}) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    WriteWith(wide, codes, segment, file);
    CloseHandle(file);
    EXPECT_EQ(ReadFileBytes(path), expected);
  }
}

TEST(BitWriter, FullBufferStoresNothingPastTheEnd) {
  for (bool wide : {false, true}) {
    Bytes buffer(16 + 8, 0xCD);
    JpegOutputStream out;
    (wide ? outputBeginWide : outputBegin)(out, buffer.data(), 16);
    JPEG_STATUS status = JPEG_SUCCESS;
    int calls = 0;
    while (status == JPEG_SUCCESS && calls < 100) {
      status = wide ? putBitsWide(0x7FFFF, 19, out) : putBits(out, 0x7FFFF, 19);
      ++calls;
    }
    EXPECT_EQ(status, JPEG_OUTPUT_TOO_SMALL);
    EXPECT_LE(out.bytesWritten, 16u);
    for (std::size_t i = 16; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xCD);
    // A segment that would fill the buffer to its end is refused whole.
    const Bytes segment(16 - out.bytesWritten, 0x11);
    EXPECT_EQ((wide ? outputWriteBytesWide : outputWriteBytes)(segment.data(), segment.size(), out),
              JPEG_OUTPUT_TOO_SMALL);
  }
}

}  // namespace
