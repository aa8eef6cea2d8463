#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "converter/mpeg/mpeg_bit_reader.h"
#include "converter/mpeg/mpeg_byte_reader.h"
#include "mpeg_test_writer.h"

using reelpack::MPEG_BIT_STREAM;
using reelpack::bitsGet;
using reelpack::bitsNextStartCode;
using reelpack::bitsOpenStream;
using reelpack::bitsPeek;
using reelpack::bitsSeek;
using reelpack::bitsSkip;
using reelpack::bitsTell;
using reelpack::readerOpen;

namespace {

constexpr std::int64_t kBlock = 524288;

Bytes fillerWithCodeAt(std::int64_t size, std::int64_t at) {
  Bytes b(size, 0x77);
  b[at] = 0;
  b[at + 1] = 0;
  b[at + 2] = 1;
  b[at + 3] = 0xB3;
  return b;
}

// A start code split across the byte reader's 512 KiB blocks, found both ways.
TEST(MpegByteReader, FindsStartCodesAcrossBlockBoundaries) {
  for (std::int64_t at : {kBlock - 4, kBlock - 3, kBlock - 2, kBlock - 1, kBlock, 2 * kBlock - 2}) {
    TempFile file(fillerWithCodeAt(3 * kBlock - 100, at));
    auto reader = readerOpen(file.path());
    ASSERT_TRUE(reader);
    ASSERT_TRUE(reader->nextStartCode());
    EXPECT_EQ(reader->tell(), at);
    EXPECT_EQ(reader->peekBits(32), 0x1B3u);
    reader->getBits(32);
    EXPECT_FALSE(reader->nextStartCode());

    reader->seek(0, 2);
    ASSERT_TRUE(reader->prevStartCode()) << at;
    EXPECT_EQ(reader->tell(), at);
    EXPECT_EQ(reader->getBits(32), 0x1B3u);
    reader->pushBack();
    reader->seek(at, 0);
    reader->pushBack();
    EXPECT_FALSE(reader->prevStartCode());
  }
}

TEST(MpegByteReader, ReadsBytesAcrossBlocks) {
  Bytes data(2 * kBlock + 77);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 13 + i / 512);
  TempFile file(data);
  auto reader = readerOpen(file.path());
  ASSERT_TRUE(reader);
  reader->seek(kBlock - 5, 0);
  EXPECT_EQ(reader->getBits(12), (std::uint32_t{data[kBlock - 5]} << 4) | (data[kBlock - 4] >> 4));
  Bytes out;
  ASSERT_EQ(reader->appendBytes(out, kBlock + 10), kBlock + 10);
  EXPECT_TRUE(std::equal(out.begin(), out.end(), data.begin() + kBlock - 3));
  EXPECT_EQ(reader->tell(), 2 * kBlock + 7);
  EXPECT_EQ(reader->appendBytes(out, 1000), 70);
  EXPECT_EQ(static_cast<std::int64_t>(out.size()), kBlock + 80);
}

// A block buffer over bytes in memory that counts what it was given.
class MemoryBlocks final : public reelpack::MpegBlockBuffer {
 public:
  explicit MemoryBlocks(Bytes data) : data_(std::move(data)) { restart(); }
  void seekTo(std::int64_t position) {
    next_ = position;
    restart();
  }
  std::int64_t delivered = 0;

 protected:
  std::int64_t readRun(std::uint8_t* destination, std::int64_t capacity, std::int64_t* position) override {
    const std::int64_t n = std::min(capacity, static_cast<std::int64_t>(data_.size()) - next_);
    std::copy_n(data_.begin() + next_, n, destination);
    *position = next_;
    next_ += n;
    delivered += n;
    return n;
  }
  std::int64_t sourceTell() override { return next_; }

 private:
  Bytes data_;
  std::int64_t next_ = 0;
};

// Start codes split every way across the edges of blocks of 4 KiB doubling
// up to 512 KiB, as read from `from` on.
std::vector<std::int64_t> codesAcrossGrowingBlocks(std::int64_t from, std::int64_t size) {
  std::vector<std::int64_t> codes;
  std::int64_t edge = from;
  for (std::int64_t block = 4096; edge + block < size - 8; block = std::min(2 * block, kBlock)) {
    edge += block;
    codes.push_back(edge - 3 + static_cast<std::int64_t>(codes.size() % 4));
  }
  return codes;
}

Bytes fillerWithCodesAt(std::int64_t size, const std::vector<std::int64_t>& codes) {
  Bytes b(size, 0x77);
  for (std::int64_t at : codes) {
    b[at] = 0;
    b[at + 1] = 0;
    b[at + 2] = 1;
    b[at + 3] = 0xB3;
  }
  return b;
}

// A probe after a seek reads a header and moves on: it must not pull in a
// 512 KiB block, and the blocks that grow behind it must not move any code.
TEST(MpegByteReader, ASeekReadsOnlyAFirstSmallBlockAndFindsEveryCodeBeyond) {
  constexpr std::int64_t kSize = 3 * kBlock;
  constexpr std::int64_t kSeek = 100001;
  std::vector<std::int64_t> codes = codesAcrossGrowingBlocks(0, kSize);
  const std::vector<std::int64_t> afterSeek = codesAcrossGrowingBlocks(kSeek, kSize);
  codes.insert(codes.end(), afterSeek.begin(), afterSeek.end());
  // Read backward from the end, the blocks after the first (empty) one hold
  // 8 KiB, 16 KiB and so on.
  std::int64_t edge = kSize;
  for (std::int64_t block = 8192; edge - block > 8; block = std::min(2 * block, kBlock)) {
    edge -= block;
    codes.push_back(edge - 3 + static_cast<std::int64_t>(codes.size() % 4));
  }
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end(), [](std::int64_t a, std::int64_t b) { return b - a < 4; }),
              codes.end());
  const Bytes data = fillerWithCodesAt(kSize, codes);

  MemoryBlocks blocks(data);
  EXPECT_LE(blocks.delivered, 4096);
  blocks.seekTo(kSeek);
  blocks.delivered = 0;
  EXPECT_EQ(blocks.getBits(32), 0x77777777u);
  EXPECT_LE(blocks.delivered, 4096);
  for (std::int64_t at : codes) {
    if (at < kSeek) continue;
    ASSERT_TRUE(blocks.nextStartCode()) << at;
    EXPECT_EQ(blocks.tell(), at);
    EXPECT_EQ(blocks.getBits(32), 0x1B3u) << at;
  }
  EXPECT_FALSE(blocks.nextStartCode());

  // The system reader's blocks grow the same way, backward too.
  TempFile file(data);
  auto reader = readerOpen(file.path());
  ASSERT_TRUE(reader);
  for (std::int64_t at : codes) {
    ASSERT_TRUE(reader->nextStartCode()) << at;
    EXPECT_EQ(reader->tell(), at);
    reader->getBits(32);
  }
  reader->seek(0, 2);
  for (auto at = codes.rbegin(); at != codes.rend(); ++at) {
    ASSERT_TRUE(reader->prevStartCode()) << *at;
    EXPECT_EQ(reader->tell(), *at);
    reader->pushBack();
  }
  EXPECT_FALSE(reader->prevStartCode());
}

struct OpenStream {
  MuxedStream muxed;
  TempFile file;
  MPEG_BIT_STREAM stream;
  explicit OpenStream(const Bytes& es, int payloadSize = 2000) : muxed(muxVideo(es, payloadSize)), file(muxed.bytes) {
    EXPECT_EQ(bitsOpenStream(file.path(), stream), 1);
  }
};

Bytes patterned(std::size_t size) {
  Bytes es(size);
  for (std::size_t i = 0; i < es.size(); ++i) es[i] = static_cast<std::uint8_t>(0x80 | (i * 7 + i / 1000));
  return es;
}

TEST(MpegBitReader, TellIsTheExactFileOffsetThroughRefillsAndSeeks) {
  const Bytes es = patterned(1200000);
  OpenStream s(es);
  EXPECT_EQ(s.stream.streamSize, s.muxed.payloadOffsets.back());
  EXPECT_EQ(s.stream.streamEnd, fileOffsetOf(s.muxed, 1199999) + 1);
  for (std::size_t i = 0; i < es.size(); ++i) {
    if (i % 997 == 0) {
      ASSERT_EQ(bitsTell(s.stream), fileOffsetOf(s.muxed, i)) << i;
    }
    ASSERT_EQ(bitsGet(s.stream, 8), es[i]) << i;
  }
  EXPECT_EQ(bitsGet(s.stream, 8), 0u);
  EXPECT_EQ(bitsSkip(s.stream, 1), 0);

  for (std::int64_t e : {0L, 1L, 1999L, 2000L, 524287L, 524288L, 777777L, 1199999L}) {
    EXPECT_EQ(bitsSeek(s.stream, fileOffsetOf(s.muxed, e), 0), fileOffsetOf(s.muxed, e));
    EXPECT_EQ(bitsGet(s.stream, 16), (std::uint32_t{es[e]} << 8) | (e + 1 < 1200000 ? es[e + 1] : 0)) << e;
  }
  // A target between payloads moves on to the next payload.
  EXPECT_EQ(bitsSeek(s.stream, s.muxed.packetStarts[3], 0), s.muxed.payloadOffsets[3]);
  EXPECT_EQ(bitsSeek(s.stream, 0, 2), s.muxed.payloadOffsets.back());
}

TEST(MpegBitReader, FindsStartCodesSplitAcrossBlocks) {
  for (std::int64_t at : {kBlock - 3, kBlock - 2, kBlock - 1, kBlock}) {
    OpenStream s(fillerWithCodeAt(kBlock + 5000, at), 1500);
    bitsGet(s.stream, 5);
    ASSERT_EQ(bitsNextStartCode(s.stream), 1);
    EXPECT_EQ(bitsTell(s.stream), fileOffsetOf(s.muxed, at));
    EXPECT_EQ(bitsGet(s.stream, 32), 0x1B3u);
    EXPECT_EQ(bitsNextStartCode(s.stream), 0);
  }
}

TEST(MpegBitReader, PeeksAndGetsAnyWidth) {
  OpenStream s(Bytes{0xA5, 0x0F, 0xF0, 0x3C, 0x81, 0x42, 0x99});
  EXPECT_EQ(bitsPeek(s.stream, 32), 0xA50FF03Cu);
  EXPECT_EQ(bitsGet(s.stream, 3), 0b101u);
  EXPECT_EQ(bitsGet(s.stream, 0), 0u);
  EXPECT_EQ(bitsGet(s.stream, 32), 0x287F81E4u);
  EXPECT_EQ(bitsTell(s.stream), s.muxed.payloadOffsets[0] + 5);  // a partly read byte counts as read
  EXPECT_EQ(bitsGet(s.stream, 21), 0b000010100001010011001u);
  EXPECT_EQ(bitsPeek(s.stream, 8), 0u);
}

}  // namespace
