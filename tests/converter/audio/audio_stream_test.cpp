// Demultiplexing audio stream 0xC0 out of system streams.
#include <gtest/gtest.h>

#include "converter/audio/audio_stream.h"
#include "tests/converter/audio/layer2_test_support.h"
#include "tests/converter/audio/system_stream_builder.h"
#include "tests/support/temp_dir_test.h"

using reelpack::CMpegAudioStream;

using namespace layer2_test;

namespace {

class AudioStreamTest : public TempDirTest {
 protected:
  static std::vector<std::uint8_t> Demux(const std::string& path) {
    CMpegAudioStream stream(path.c_str());
    std::vector<std::uint8_t> payload;
    std::uint32_t copied = 0;
    while (!stream.Read(&payload, &copied, 1)) {
    }
    return payload;
  }
};

std::vector<std::uint8_t> Pattern(std::size_t size, std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
  return bytes;
}

TEST_F(AudioStreamTest, EveryPacketHeaderFormGivesTheSamePayload) {
  const auto audio = ReadFileBytes(FixturePath("sine_stereo_44k.mp2"));
  // Other streams' packets carry start-code look-alikes: they are skipped by
  // length, never scanned.
  const std::vector<std::uint8_t> decoy = {0x00, 0x00, 0x01, 0xB9, 0x00, 0x00, 0x01, 0xC0, 0x00, 0x10};
  for (PacketHeader form : {PacketHeader::Plain, PacketHeader::Stuffing, PacketHeader::StdBuffer, PacketHeader::Pts,
                            PacketHeader::PtsDts, PacketHeader::StdBufferPts}) {
    SCOPED_TRACE(static_cast<int>(form));
    SystemStreamBuilder builder;
    for (std::size_t at = 0; at < audio.size(); at += 2000) {
      builder.PackHeader();
      builder.Packet(0xE0, decoy.data(), decoy.size(), PacketHeader::Pts);
      builder.Packet(0xC0, audio.data() + at, std::min<std::size_t>(2000, audio.size() - at), form);
      builder.Packet(0xC1, decoy.data(), decoy.size(), form);
      builder.Packet(0xBE, decoy.data(), decoy.size(), PacketHeader::Plain);
    }
    builder.EndCode();
    EXPECT_EQ(Demux(dir_.WriteFile("stream.mpg", builder.Bytes())), audio);
  }
}

TEST_F(AudioStreamTest, TakesStream0xC0OfAMuxedFile) {
  // Muxed by an independent tool with a second audio stream 0xC1.
  EXPECT_EQ(Demux(FixturePath("two_audio_streams.mpg")), ReadFileBytes(FixturePath("sine_stereo_44k.mp2")));
}

TEST_F(AudioStreamTest, EndCodeEndsTheStream) {
  const auto first = Pattern(100, 1);
  const auto after = Pattern(50, 2);
  SystemStreamBuilder builder;
  builder.PackHeader();
  builder.Packet(0xC0, first.data(), first.size(), PacketHeader::Plain);
  builder.EndCode();
  builder.Packet(0xC0, after.data(), after.size(), PacketHeader::Plain);
  CMpegAudioStream stream(dir_.WriteFile("ended.mpg", builder.Bytes()).c_str());
  std::vector<std::uint8_t> payload;
  std::uint32_t copied = 0;
  EXPECT_EQ(stream.Read(&payload, &copied, 1), 0);
  EXPECT_EQ(copied, 100u);
  EXPECT_EQ(stream.IsEnded(), 0);
  EXPECT_EQ(stream.Read(&payload, &copied, 1), 0);  // reads the end code
  EXPECT_EQ(stream.IsEnded(), 1);
  EXPECT_EQ(stream.Read(&payload, &copied, 1), 1);
  EXPECT_EQ(copied, 0u);
  EXPECT_EQ(payload, first);
}

TEST_F(AudioStreamTest, MissingFileIsEndedAtOnce) {
  CMpegAudioStream stream(dir_.HostPath("missing.mpg").c_str());
  EXPECT_EQ(stream.IsEnded(), 1);
  std::vector<std::uint8_t> payload;
  std::uint32_t copied = 7;
  EXPECT_EQ(stream.Read(&payload, &copied, 1), 1);
  EXPECT_EQ(copied, 0u);
  EXPECT_EQ(stream.Open(dir_.HostPath("missing.mpg").c_str()), 0);
}

TEST_F(AudioStreamTest, MalformedAndTruncatedPacketsEndCleanly) {
  const auto good = Pattern(300, 3);
  SystemStreamBuilder builder;
  builder.PackHeader();
  builder.Packet(0xC0, good.data(), good.size(), PacketHeader::Plain);
  // A packet shorter than its own time stamps, another of length 0, then a
  // packet whose length runs past the end of the file.
  builder.Raw({0x00, 0x00, 0x01, 0xC0, 0x00, 0x03, 0x31, 0x00, 0x01});
  builder.Raw({0x00, 0x00, 0x01, 0xE0, 0x00, 0x00});
  builder.Raw({0x00, 0x00, 0x01, 0xC0, 0x10, 0x00, 0x0F, 0xAA, 0xBB});
  const auto payload = Demux(dir_.WriteFile("broken.mpg", builder.Bytes()));
  ASSERT_GE(payload.size(), good.size());
  EXPECT_TRUE(std::equal(good.begin(), good.end(), payload.begin()));
  EXPECT_LE(payload.size(), good.size() + 16);  // nothing beyond the file's own bytes
}

TEST_F(AudioStreamTest, PacketAfterAnEmptyPacketIsKept) {
  const auto audio = Pattern(200, 5);
  for (std::uint8_t id : {0xE0, 0xC1, 0xBE, 0xC0}) {
    SCOPED_TRACE(id);
    SystemStreamBuilder builder;
    builder.PackHeader();
    builder.Raw({0x00, 0x00, 0x01, id, 0x00, 0x00});  // packet_length 0
    builder.Packet(0xC0, audio.data(), audio.size(), PacketHeader::Plain);
    builder.EndCode();
    EXPECT_EQ(Demux(dir_.WriteFile("empty_packet.mpg", builder.Bytes())), audio);
  }
}

TEST_F(AudioStreamTest, StreamWithoutAudioGivesNothing) {
  const auto video = Pattern(500, 4);
  SystemStreamBuilder builder;
  builder.PackHeader();
  builder.Packets(0xE0, video, 100, PacketHeader::Plain);
  EXPECT_TRUE(Demux(dir_.WriteFile("video.mpg", builder.Bytes())).empty());
  EXPECT_TRUE(Demux(dir_.WriteFile("empty.mpg", "")).empty());
}

}  // namespace
