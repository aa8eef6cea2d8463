// Records built bit by bit, and records that are damaged: the decoder must
// read exactly what the format says and fail cleanly on anything else.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "common/jbp1_format.h"
#include "converter/jbp1/jbp1_bit_writer.h"
#include "engine/pictures/picture_decoder.h"
#include "jbp1_fixtures.h"

using reelpack::JbpBitWriter;

namespace {

// With all counts zero every DC category is coded as itself in 4 bits and
// every AC symbol as itself in 8 bits, so streams can be written by hand.
class HandBuiltRecord {
 public:
  void Dc(int category, const char* valueBits = "") {
    Put(dc_, category, 4);
    PutText(dc_, valueBits);
  }
  void Ac(int symbol, const char* valueBits = "") {
    Put(ac_, symbol, 8);
    PutText(ac_, valueBits);
  }

  std::vector<std::uint8_t> Build(int width, int height) const {
    const std::vector<std::uint8_t> dc = Pack(dc_);
    const std::vector<std::uint8_t> ac = Pack(ac_);
    std::vector<std::uint8_t> record(kJbpHeaderSize + kJbpDcCountBytes);
    JbpPictureHeader header;
    header.width = static_cast<std::uint16_t>(width);
    header.height = static_cast<std::uint16_t>(height);
    header.dcStreamBytes = static_cast<std::uint32_t>(dc.size());
    header.acStreamBytes = static_cast<std::uint32_t>(ac.size());
    WriteJbpPictureHeader(header, record.data());
    for (int i = 0; i < 4; ++i) record.insert(record.end(), {0, 255});
    record.insert(record.end(), 2 * kJbpQuantiserBytes, 1);
    record.insert(record.end(), dc.begin(), dc.end());
    record.insert(record.end(), ac.begin(), ac.end());
    return record;
  }

 private:
  static void Put(std::vector<int>& bits, int value, int count) {
    for (int i = count - 1; i >= 0; --i) bits.push_back((value >> i) & 1);
  }
  static void PutText(std::vector<int>& bits, const char* text) {
    for (; *text != '\0'; ++text) bits.push_back(*text == '1');
  }
  static std::vector<std::uint8_t> Pack(const std::vector<int>& bits) {
    std::vector<std::uint8_t> bytes((bits.size() + 31) / 32 * 4);
    JbpBitWriter writer;
    writer.Init(bytes.data(), bytes.size());
    for (const int bit : bits) writer.PutBit(static_cast<std::uint32_t>(bit));
    writer.Flush();
    return bytes;
  }

  std::vector<int> dc_;
  std::vector<int> ac_;
};

int DecodeCoefficients(const std::vector<std::uint8_t>& record, std::vector<std::int16_t>& blocks) {
  CPictureDecoder decoder;
  decoder.InitForImage();
  decoder.SetInput(record.data(), record.size());
  if (decoder.ParseHeader() != 1) return 0;
  return decoder.DecodeCoefficients(blocks);
}

// Parses and decodes on both paths into a raster of the right size; 1 only
// when every step succeeds on both.
int DecodeBothPaths(const std::uint8_t* record, std::size_t length) {
  int succeeded = 1;
  for (const bool movie : {false, true}) {
    CPictureDecoder decoder;
    if (movie) {
      decoder.InitForMovie();
    } else {
      decoder.InitForImage();
    }
    decoder.SetInput(record, length);
    if (decoder.ParseHeader() != 1) return 0;
    std::vector<std::uint16_t> raster(std::size_t{decoder.AlignedWidth()} * decoder.AlignedHeight());
    decoder.SetOutput(raster.data(), raster.size() * 2);
    if ((movie ? decoder.DecodeMovieFrame() : decoder.DecodeImage()) != 1) succeeded = 0;
  }
  return succeeded;
}

TEST(Jbp1Reader, HandBuiltStreamsDecodeAsTheFormatSays) {
  HandBuiltRecord built;
  built.Dc(2, "00");  // -3
  built.Dc(2, "11");  // +3
  built.Dc(1, "0");   // -1
  built.Dc(1, "1");   // +1
  built.Dc(0);
  built.Dc(0);
  built.Ac(0xF0);  // 15 zeros, then the value 1 at zigzag 16 (natural 12)
  built.Ac(0x01, "1");
  built.Ac(0x00);
  built.Ac(0x02, "00");  // -3 at zigzag 1
  built.Ac(0x12, "11");  // a zero, then 3 at zigzag 3 (natural 16)
  built.Ac(0x00);
  built.Ac(0xFF);  // 60 zeros, then 2 more and -1 at zigzag 63: no end symbol
  built.Ac(0xFF);
  built.Ac(0x21, "0");
  built.Ac(0xFF);  // a run past coefficient 63 ends the block
  built.Ac(0xFF);
  built.Ac(0xE1, "1");
  built.Ac(0x00);
  built.Ac(0x0F, "111111111111111");  // the largest value at zigzag 1
  built.Ac(0x00);

  std::vector<std::int16_t> blocks;
  ASSERT_EQ(DecodeCoefficients(built.Build(16, 16), blocks), 1);
  std::vector<std::int16_t> expected(6 * 64, 0);
  expected[0] = -3;
  expected[12] = 1;
  expected[64 + 1] = -3;
  expected[64 + 16] = 3;
  expected[128] = -1;
  expected[128 + 63] = -1;
  expected[5 * 64 + 1] = 32767;
  EXPECT_EQ(blocks, expected);
}

TEST(Jbp1Reader, DamagedHeadersAreRefused) {
  const std::vector<std::uint8_t> good = WriteRecord(QuantisePicture(MakeScenePicture(48, 32, 5), 75));
  ASSERT_EQ(DecodeBothPaths(good.data(), good.size()), 1);
  struct Case {
    const char* name;
    std::size_t offset;
    std::uint32_t value;
    int bytes;
  };
  const Case cases[] = {
      {"magic", 0, 0x3150424A ^ 0x20, 4},
      {"header size below 44", 4, 40, 4},
      {"header size past the end", 4, 0x7FFFFFF0, 4},
      {"header size leaves no counts", 4, static_cast<std::uint32_t>(good.size() - 60), 4},
      {"width 0", 16, 0, 2},
      {"height 0", 18, 0, 2},
      {"width over 4096", 16, 4097, 2},
      {"height 65535", 18, 65535, 2},
      {"DC stream past the end", 28, 0xFFFFFFF0, 4},
      {"DC stream one word too long", 28, 0, 4},
      {"AC stream past the end", 32, 0xFFFFFFF0, 4},
      {"AC stream one word too long", 32, 0, 4},
      {"AC stream one word short", 32, 0, 4},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bad = good;
    std::uint32_t value = c.value;
    if (std::strcmp(c.name, "DC stream one word too long") == 0) {
      value = static_cast<std::uint32_t>(ReadLe32(&good[28]) + ReadLe32(&good[32]) + 4);
    }
    if (std::strcmp(c.name, "AC stream one word too long") == 0) value = ReadLe32(&good[32]) + 4;
    if (std::strcmp(c.name, "AC stream one word short") == 0) value = ReadLe32(&good[32]) - 4;
    for (int i = 0; i < c.bytes; ++i) bad[c.offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    EXPECT_EQ(DecodeBothPaths(bad.data(), bad.size()), 0) << c.name;
  }
  EXPECT_EQ(DecodeBothPaths(nullptr, 100), 0) << "no input";
  EXPECT_EQ(DecodeBothPaths(good.data(), 0), 0) << "empty input";
}

TEST(Jbp1Reader, TruncatedRecordsFail) {
  const std::vector<std::uint8_t> good = WriteRecord(QuantisePicture(MakeScenePicture(48, 32, 6), 75));
  for (std::size_t length = 0; length + 4 <= good.size(); ++length) {
    // A copy of exactly the cut length, so reading past it is caught.
    const std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
    ASSERT_EQ(DecodeBothPaths(cut.data(), cut.size()), 0) << length;
  }
}

TEST(Jbp1Reader, CountsThatDisagreeWithTheStreamsNeverReadOutside) {
  const std::vector<std::uint8_t> good = WriteRecord(QuantisePicture(MakeScenePicture(48, 32, 8), 75));
  // DC counts that build other trees than the writer's: all zero, small, and
  // near the top of 32 bits (where 32-bit node sums would overflow).
  for (const std::uint32_t dcCount : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFF0u}) {
    std::vector<std::uint8_t> bad = good;
    for (int i = 0; i < 16; ++i) WriteLe32(&bad[0x2C + 4 * i], dcCount + static_cast<std::uint32_t>(i % 3));
    DecodeBothPaths(bad.data(), bad.size());  // any result, but no stray access
  }
  // A packed AC table cut short by the end of the record.
  std::vector<std::uint8_t> cut(good.begin(), good.begin() + 0x6C + 3);
  EXPECT_EQ(DecodeBothPaths(cut.data(), cut.size()), 0);
}

// Random damage anywhere: every decode ends, and the sanitizer build checks
// that nothing is read or written out of bounds.
TEST(Jbp1Reader, RandomDamageIsSurvived) {
  const std::vector<std::uint8_t> good = WriteRecord(QuantisePicture(MakeScenePicture(64, 48, 9), 60));
  std::mt19937 random(1234);
  int failures = 0;
  for (int round = 0; round < 600; ++round) {
    std::vector<std::uint8_t> bad = good;
    const int changes = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < changes; ++i) bad[random() % bad.size()] = static_cast<std::uint8_t>(random());
    if (random() % 4 == 0) bad.resize(random() % bad.size());
    failures += DecodeBothPaths(bad.data(), bad.size()) == 0;
  }
  EXPECT_GT(failures, 0);
}

}  // namespace
