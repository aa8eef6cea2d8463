// The streams over fake plug-in tables: tag skipping, the leftover between
// reads, the end of a sound with and without looping, suspension, and the
// cases where a stream must not read at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/sound/decoder_plugins.h"
#include "engine/sound/mp3_stream.h"
#include "engine/sound/ogg_stream.h"
#include "tests/engine/sound/sound_test_support.h"

namespace {

// A fake MP3 decoder: a "frame" starts with 0xFF 'F' and is 100 bytes long;
// each decodes to 1,152 stereo samples (4,608 bytes) of the frame's third byte.
struct FakeMp3 {
  std::uint32_t words[17] = {};
  std::vector<std::size_t> createdAt;
  int decodes = 0;
};
FakeMp3* fakeMp3 = nullptr;
const std::uint8_t* fakeBase = nullptr;

void* FakeCreate(const unsigned char* header) {
  if (header[0] != 0xFF || header[1] != 'F') return nullptr;
  fakeMp3->createdAt.push_back(static_cast<std::size_t>(header - fakeBase));
  fakeMp3->words[3] = 2;
  fakeMp3->words[12] = 100;
  fakeMp3->words[16] = 22050;
  return fakeMp3;
}
int FakePredecode(void*, const unsigned char* header) { return header[0] == 0xFF && header[1] == 'F' ? 0 : 1; }
int FakeDecode(void*, void* out, const unsigned char* frame, unsigned int bytes) {
  if (bytes < 100) return 0;
  ++fakeMp3->decodes;
  std::memset(out, frame[2], 4608);
  return 1152;
}
void FakeDestroy(void*) {}
const char* FakeVersion() { return "fake"; }

class Mp3StreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fakeMp3 = &decoder;
    gMp3Plugin = {FakeDecode, FakeCreate, FakePredecode, FakeDestroy, FakeVersion, nullptr};
  }
  void TearDown() override {
    gMp3Plugin = {};
    fakeMp3 = nullptr;
  }
  // frames fake frames of value 1, 2, 3, ... after prefix bytes.
  std::vector<std::uint8_t> Image(std::size_t prefix, int frames) {
    std::vector<std::uint8_t> image(prefix, 0);
    for (int f = 0; f < frames; ++f) {
      std::vector<std::uint8_t> frame(100, 0);
      frame[0] = 0xFF;
      frame[1] = 'F';
      frame[2] = static_cast<std::uint8_t>(f + 1);
      image.insert(image.end(), frame.begin(), frame.end());
    }
    fakeBase = nullptr;
    return image;
  }
  int Open(CMp3Stream& stream, const std::vector<std::uint8_t>& image) {
    fakeBase = image.data();
    return stream.OpenMemory(image.data(), static_cast<std::uint32_t>(image.size()));
  }

  FakeMp3 decoder;
  std::vector<std::uint8_t> out = std::vector<std::uint8_t>(10240 + 4608);
};

TEST_F(Mp3StreamTest, TagsAreSkipped) {
  // ID3v2 with 00 00 02 01 in bytes 6 to 9: decoding starts at 10 + 257.
  std::vector<std::uint8_t> image = Image(267, 3);
  std::memcpy(image.data(), "ID3\x03\x00\x00\x00\x00\x02\x01", 10);
  // A 128-byte "TAG" trailer is not decoded (it would be a frame otherwise).
  std::vector<std::uint8_t> trailer(128, 0);
  std::memcpy(trailer.data(), "TAG\xFF", 4);
  image.insert(image.end(), trailer.begin(), trailer.end());
  CMp3Stream stream;
  ASSERT_EQ(Open(stream, image), 0);
  EXPECT_EQ(decoder.createdAt, std::vector<std::size_t>{267});
  EXPECT_EQ(stream.GetFormat().nChannels, 2);
  EXPECT_EQ(stream.GetFormat().nSamplesPerSec, 22050u);
  EXPECT_EQ(stream.ReadPcm(out.data(), 4608, 0), 4608u);
  EXPECT_EQ(stream.ReadPcm(out.data(), 10240, 0), 2u * 4608);
  EXPECT_TRUE(stream.IsEnded());
}

TEST_F(Mp3StreamTest, ASurplusIsKeptForTheNextRead) {
  std::vector<std::uint8_t> image = Image(0, 10);
  CMp3Stream stream;
  ASSERT_EQ(Open(stream, image), 0);
  // 3 frames of 4,608 bytes for 10,240: 3,584 kept.
  ASSERT_EQ(stream.ReadPcm(out.data(), 10240, 0), 10240u);
  EXPECT_EQ(out[10239], 3);
  EXPECT_EQ(decoder.decodes, 3);
  ASSERT_EQ(stream.ReadPcm(out.data(), 3000, 0), 3000u);
  EXPECT_EQ(decoder.decodes, 3) << "served from what was kept";
  EXPECT_EQ(out[0], 3);
  ASSERT_EQ(stream.ReadPcm(out.data(), 1000, 0), 1000u);
  EXPECT_EQ(out[583], 3);
  EXPECT_EQ(out[584], 4);
}

TEST_F(Mp3StreamTest, EndsWithoutLoopAndRestartsWithIt) {
  std::vector<std::uint8_t> image = Image(0, 2);
  image.push_back(0x12);  // a refused header ends the data early
  image.insert(image.end(), 99, 0);
  CMp3Stream once;
  ASSERT_EQ(Open(once, image), 0);
  EXPECT_EQ(once.ReadPcm(out.data(), 10240, 0), 2u * 4608);
  EXPECT_TRUE(once.IsEnded());
  CMp3Stream looping;
  ASSERT_EQ(Open(looping, image), 0);
  ASSERT_EQ(looping.ReadPcm(out.data(), 10240, 1), 10240u);
  EXPECT_EQ(out[2 * 4608], 1) << "the third frame is the first again";
  EXPECT_FALSE(looping.IsEnded());
}

TEST_F(Mp3StreamTest, SuspendedStreamsGiveSilenceOfTheFullLength) {
  std::vector<std::uint8_t> image = Image(0, 5);
  CMp3Stream stream;
  ASSERT_EQ(Open(stream, image), 0);
  stream.Unmap();
  std::memset(out.data(), 0x77, out.size());
  EXPECT_EQ(stream.ReadPcm(out.data(), 10240, 0), 10240u);
  EXPECT_EQ(std::count(out.begin(), out.begin() + 10240, 0), 10240);
  EXPECT_EQ(decoder.decodes, 0);
  stream.Remap();
  EXPECT_EQ(stream.ReadPcm(out.data(), 4608, 0), 4608u);
  EXPECT_EQ(out[0], 1);
}

TEST_F(Mp3StreamTest, StreamsThatCannotPlayOpenAsEndedAndNeverLoopForEver) {
  // An ID3v2 size pointing past the data.
  std::vector<std::uint8_t> pastEnd = Image(10, 1);
  std::memcpy(pastEnd.data(), "ID3\x03\x00\x00\x00\x00\x7F\x7F", 10);
  // A looping sound without a single decodable frame.
  std::vector<std::uint8_t> undecodable = Image(0, 1);
  undecodable.resize(60);
  std::vector<std::uint8_t> notMp3(500, 0x41);
  {
    CMp3Stream stream;
    EXPECT_EQ(Open(stream, pastEnd), 1);
    EXPECT_TRUE(stream.IsEnded());
    EXPECT_EQ(stream.GetFormat().nChannels, 0);
    EXPECT_EQ(stream.ReadPcm(out.data(), 10240, 1), 0u);
  }
  {
    CMp3Stream stream;
    EXPECT_EQ(Open(stream, notMp3), 1);
    EXPECT_TRUE(stream.IsEnded());
  }
  {
    CMp3Stream stream;
    ASSERT_EQ(Open(stream, undecodable), 0);
    EXPECT_EQ(stream.ReadPcm(out.data(), 10240, 1), 0u);
    EXPECT_TRUE(stream.IsEnded());
  }
  // No plug-in loaded: the stream ends without calling anything.
  gMp3Plugin = {};
  std::vector<std::uint8_t> image = Image(0, 3);
  CMp3Stream stream;
  EXPECT_EQ(Open(stream, image), 1);
  EXPECT_TRUE(stream.IsEnded());
}

TEST(OggStream, SurplusGoesToTheLeftoverAndTheEndComesMidRequest) {
  FakeOggPlugin fake;
  FakeSound sound;
  sound.frames = 10000;  // 40,000 bytes
  const std::vector<std::uint8_t> image = FakeImage(sound);
  std::vector<std::uint8_t> out(10240 + COggStream::kLeftoverBytes);
  COggStream stream;
  ASSERT_EQ(stream.OpenMemory(image.data(), static_cast<std::uint32_t>(image.size())), 0);
  EXPECT_EQ(stream.GetFormat().nChannels, 2);
  // 20,000 bytes written for 10,240 wanted: 9,760 kept.
  FakeOggPlugin::SetSurplus(20000 - 10240);
  ASSERT_EQ(stream.ReadPcm(out.data(), 10240, 0), 10240u);
  FakeOggPlugin::SetSurplus(0);
  ASSERT_EQ(stream.ReadPcm(out.data(), 9760, 0), 9760u);
  std::int16_t sample;
  std::memcpy(&sample, out.data() + 9758, 2);
  EXPECT_EQ(sample, FakeSample(sound, 4999, 1)) << "the kept bytes come first, in order";
  ASSERT_EQ(stream.ReadPcm(out.data(), 10240, 0), 10240u);
  // 9,760 bytes remain: a partial count, then ended.
  EXPECT_EQ(stream.ReadPcm(out.data(), 10240, 0), 9760u);
  EXPECT_TRUE(stream.IsEnded());
  EXPECT_EQ(stream.ReadPcm(out.data(), 10240, 0), 0u);
}

TEST(OggStream, LoopsThroughReplayAndGivesUpOnAnEmptySound) {
  FakeOggPlugin fake;
  FakeSound sound;
  sound.frames = 1000;
  const std::vector<std::uint8_t> image = FakeImage(sound);
  std::vector<std::uint8_t> out(10240 + COggStream::kLeftoverBytes);
  COggStream looping;
  looping.OpenMemory(image.data(), static_cast<std::uint32_t>(image.size()));
  ASSERT_EQ(looping.ReadPcm(out.data(), 10240, 1), 10240u);
  std::int16_t sample;
  std::memcpy(&sample, out.data() + 4000, 2);
  EXPECT_EQ(sample, FakeSample(sound, 0, 0));
  FakeSound empty;
  const std::vector<std::uint8_t> emptyImage = FakeImage(empty);
  COggStream nothing;
  nothing.OpenMemory(emptyImage.data(), static_cast<std::uint32_t>(emptyImage.size()));
  EXPECT_EQ(nothing.ReadPcm(out.data(), 10240, 1), 0u);
  EXPECT_TRUE(nothing.IsEnded());
}

TEST(OggStream, WithoutThePlugInTheStreamIsEnded) {
  gOggPlugin = {};
  COggStream stream;
  const std::uint8_t bytes[4] = {};
  stream.OpenMemory(bytes, 4);
  EXPECT_TRUE(stream.IsEnded());
  EXPECT_EQ(stream.GetFormat().nChannels, 0);
}

}  // namespace
