// The audio decoder object over system streams, its buffering modes and the
// WAVE image.
#include <gtest/gtest.h>

#include <cstring>

#include "common/byte_order.h"
#include "converter/audio/audio_decoder.h"
#include "host/memory/memory_api.h"
#include "tests/converter/audio/layer2_test_support.h"
#include "tests/converter/audio/system_stream_builder.h"
#include "tests/support/temp_dir_test.h"

using reelpack::BuildWaveImage;
using reelpack::CMpegAudioDecoder;
using reelpack::kLayer2FramePcmBytes;

using namespace layer2_test;

namespace {

class AudioDecoderTest : public TempDirTest {
 protected:
  // A system stream around payload, in packets of 2,000 bytes.
  std::string WriteStream(const std::string& name, const std::vector<std::uint8_t>& payload, bool endCode = true) {
    return dir_.WriteFile(name, AudioSystemStream(payload, endCode));
  }
};

std::vector<std::uint8_t> PcmBytes(const std::vector<std::int16_t>& samples) {
  std::vector<std::uint8_t> bytes(samples.size() * 2);
  std::memcpy(bytes.data(), samples.data(), bytes.size());  // the test machine is little-endian
  return bytes;
}


TEST_F(AudioDecoderTest, EveryModeGivesTheSamePcm) {
  const auto audio = ReadFileBytes(FixturePath("sine_stereo_44k.mp2"));
  const auto expected = PcmBytes(DecodeElementaryStream(audio));
  const std::string path = WriteStream("sine.mpg", audio);
  for (int mode : {0, 1, 2, 7}) {
    SCOPED_TRACE(mode);
    CMpegAudioDecoder decoder(path.c_str(), mode);
    decoder.StartStreaming();  // only mode 2 starts a thread
    std::vector<std::uint8_t> pcm;
    EXPECT_EQ(decoder.DecodeFrames(&pcm, 0xFFFFFFFFu), 1);
    EXPECT_EQ(pcm, expected);
  }
}

TEST_F(AudioDecoderTest, StreamingModeWithoutItsThreadRefillsItself) {
  const auto audio = ReadFileBytes(FixturePath("sine_stereo_44k.mp2"));
  std::vector<std::uint8_t> payload;
  for (int i = 0; i < 20; ++i) payload.insert(payload.end(), audio.begin(), audio.end());
  CMpegAudioDecoder decoder(WriteStream("long.mpg", payload).c_str(), 2);
  HostFailThreadCreation(1);
  decoder.StartStreaming();
  std::vector<std::uint8_t> pcm;
  EXPECT_EQ(decoder.DecodeFrames(&pcm, 0xFFFFFFFFu), 1);
  EXPECT_EQ(pcm, PcmBytes(DecodeElementaryStream(payload)));
}

TEST_F(AudioDecoderTest, DecodesInStepsWithAndWithoutEndCode) {
  const auto audio = ReadFileBytes(FixturePath("sine_joint_44k.mp2"));
  const auto expected = PcmBytes(DecodeElementaryStream(audio));
  for (bool endCode : {true, false}) {
    SCOPED_TRACE(endCode);
    CMpegAudioDecoder decoder(WriteStream("joint.mpg", audio, endCode).c_str(), 0);
    std::vector<std::uint8_t> pcm;
    EXPECT_EQ(decoder.DecodeFrames(&pcm, 5), 0);
    EXPECT_EQ(pcm.size(), 5 * kLayer2FramePcmBytes);
    while (decoder.DecodeFrames(&pcm, 3) == 0) {
    }
    EXPECT_EQ(pcm, expected);
    EXPECT_EQ(decoder.DecodeFrames(&pcm, 1), 1);  // finished stays finished
  }
}

TEST_F(AudioDecoderTest, WaveImageHeader) {
  const auto audio = ReadFileBytes(FixturePath("sine_stereo_48k.mp2"));
  const auto expected = PcmBytes(DecodeElementaryStream(audio));
  CMpegAudioDecoder decoder(WriteStream("48k.mpg", audio).c_str(), 1);
  std::uint32_t size = 0;
  std::uint8_t* image = BuildWaveImage(&decoder, &size);
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(size, expected.size());
  EXPECT_EQ(size % kLayer2FramePcmBytes, 0u);
  EXPECT_EQ(std::memcmp(image, "RIFF", 4), 0);
  EXPECT_EQ(ReadLe32(image + 4), size + 36);
  EXPECT_EQ(std::memcmp(image + 8, "WAVEfmt ", 8), 0);
  EXPECT_EQ(ReadLe32(image + 16), 16u);
  EXPECT_EQ(ReadLe16(image + 20), 1);
  EXPECT_EQ(ReadLe16(image + 22), 2);
  EXPECT_EQ(ReadLe32(image + 24), 48000u);
  EXPECT_EQ(ReadLe32(image + 28), 4u * 48000);
  EXPECT_EQ(ReadLe16(image + 32), 4);
  EXPECT_EQ(ReadLe16(image + 34), 16);
  EXPECT_EQ(std::memcmp(image + 36, "data", 4), 0);
  EXPECT_EQ(ReadLe32(image + 40), size);
  EXPECT_EQ(std::memcmp(image + 44, expected.data(), size), 0);
  LocalFree(image);
}

// The first frame comes after more bytes than the streaming modes buffer at
// construction: the WAVE image still takes its format from that frame.
TEST_F(AudioDecoderTest, FormatOfAFirstFrameBeyondTheFirstFill) {
  const auto audio = ReadFileBytes(FixturePath("sine_stereo_48k.mp2"));
  const auto expected = PcmBytes(DecodeElementaryStream(audio));
  std::vector<std::uint8_t> payload(300000, 0);
  payload.insert(payload.end(), audio.begin(), audio.end());
  const std::string path = WriteStream("late.mpg", payload);
  for (int mode : {0, 1, 2}) {
    SCOPED_TRACE(mode);
    CMpegAudioDecoder decoder(path.c_str(), mode);
    decoder.StartStreaming();
    std::uint32_t size = 0;
    std::uint8_t* image = BuildWaveImage(&decoder, &size);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(ReadLe16(image + 22), 2);
    EXPECT_EQ(ReadLe32(image + 24), 48000u);
    EXPECT_EQ(ReadLe32(image + 28), 4u * 48000);
    EXPECT_EQ(ReadLe16(image + 32), 4);
    ASSERT_EQ(size, expected.size());
    EXPECT_EQ(std::memcmp(image + 44, expected.data(), size), 0);
    LocalFree(image);
  }
}

TEST_F(AudioDecoderTest, MonoSourceFillsBothChannels) {
  const auto audio = ReadFileBytes(FixturePath("sine_mono_44k.mp2"));
  CMpegAudioDecoder decoder(WriteStream("mono.mpg", audio).c_str(), 1);
  EXPECT_EQ(decoder.Format().nChannels, 2);
  EXPECT_EQ(decoder.Format().nSamplesPerSec, 44100u);
  std::uint32_t size = 0;
  std::uint8_t* image = BuildWaveImage(&decoder, &size);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(size, PcmBytes(DecodeElementaryStream(audio)).size());
  EXPECT_GT(size, 0u);
  EXPECT_EQ(ReadLe16(image + 22), 2);
  for (std::uint32_t at = 44; at < 44 + size; at += 4) ASSERT_EQ(ReadLe16(image + at), ReadLe16(image + at + 2)) << at;
  LocalFree(image);
}

TEST_F(AudioDecoderTest, MissingFileOrNoAudioGivesAnEmptyImage) {
  for (const std::string& path : {dir_.HostPath("missing.mpg"), WriteStream("none.mpg", {})}) {
    SCOPED_TRACE(path);
    CMpegAudioDecoder decoder(path.c_str(), 1);
    std::uint32_t size = 1;
    std::uint8_t* image = BuildWaveImage(&decoder, &size);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(ReadLe32(image + 4), 36u);
    EXPECT_EQ(ReadLe32(image + 40), 0u);
    LocalFree(image);
  }
}

TEST_F(AudioDecoderTest, SkipsGarbageOtherLayersAndACutLastFrame) {
  const auto audio = ReadFileBytes(FixturePath("sine_stereo_44k.mp2"));
  const auto expected = PcmBytes(DecodeElementaryStream(audio));
  const std::size_t frameBytes = 626;  // 192 kbit/s at 44.1 kHz without padding
  std::vector<std::uint8_t> payload(audio.begin(), audio.begin() + frameBytes);
  payload.insert(payload.end(), {0x12, 0x00, 0x00, 0x01, 0xFF, 0x00, 0x7E});
  payload.insert(payload.end(), {0xFF, 0xFF, 0xA0, 0x00, 0x55, 0x55});  // a Layer I header and junk
  payload.insert(payload.end(), {0xFF, 0xFB, 0xA0, 0x00, 0x55, 0x55});  // a Layer III header and junk
  payload.insert(payload.end(), {0xFF, 0xF5, 0x00, 0x00});              // free format: refused
  payload.insert(payload.end(), audio.begin() + frameBytes, audio.end());
  payload.insert(payload.end(), audio.begin(), audio.begin() + 300);  // half a frame at the end
  for (int mode : {0, 1}) {
    SCOPED_TRACE(mode);
    CMpegAudioDecoder decoder(WriteStream("garbled.mpg", payload).c_str(), mode);
    std::vector<std::uint8_t> pcm;
    EXPECT_EQ(decoder.DecodeFrames(&pcm, 0xFFFFFFFFu), 1);
    EXPECT_EQ(pcm, expected);
  }
}

TEST_F(AudioDecoderTest, PayloadOverEightMegabytes) {
  // Silent frames of 384 kbit/s at 32 kHz (1,728 bytes, all allocations 0)
  // to pass 8 MiB, then the sine: a carried state of silence leaves the
  // sine's decoding as it is alone.
  std::vector<std::uint8_t> silentFrame(1728, 0);
  const std::uint8_t header[4] = {0xFF, 0xFD, 0xE8, 0x00};
  std::memcpy(silentFrame.data(), header, 4);
  std::vector<std::uint8_t> payload;
  const std::size_t silentFrames = 8 * 1024 * 1024 / 1728 + 100;
  for (std::size_t i = 0; i < silentFrames; ++i) payload.insert(payload.end(), silentFrame.begin(), silentFrame.end());
  const auto audio = ReadFileBytes(FixturePath("sine_stereo_44k.mp2"));
  payload.insert(payload.end(), audio.begin(), audio.end());
  const auto sine = PcmBytes(DecodeElementaryStream(audio));
  const std::string path = WriteStream("large.mpg", payload);
  for (int mode : {1, 0}) {
    SCOPED_TRACE(mode);
    CMpegAudioDecoder decoder(path.c_str(), mode);
    EXPECT_EQ(decoder.Format().nSamplesPerSec, 32000u);
    std::uint32_t size = 0;
    std::uint8_t* image = BuildWaveImage(&decoder, &size);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(size, silentFrames * kLayer2FramePcmBytes + sine.size());
    const std::uint8_t* pcm = image + 44;
    EXPECT_TRUE(std::all_of(pcm, pcm + silentFrames * kLayer2FramePcmBytes, [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(std::memcmp(pcm + silentFrames * kLayer2FramePcmBytes, sine.data(), sine.size()), 0);
    LocalFree(image);
  }
}

TEST_F(AudioDecoderTest, StreamingDecoderStopsItsThreadOnDestruction) {
  const auto audio = ReadFileBytes(FixturePath("sine_stereo_44k.mp2"));
  std::vector<std::uint8_t> payload;
  for (int i = 0; i < 40; ++i) payload.insert(payload.end(), audio.begin(), audio.end());
  const std::string path = WriteStream("long.mpg", payload);
  auto decoder = std::make_unique<CMpegAudioDecoder>(path.c_str(), 2);
  decoder->StartStreaming();
  std::vector<std::uint8_t> pcm;
  EXPECT_EQ(decoder->DecodeFrames(&pcm, 3), 0);
  EXPECT_EQ(pcm.size(), 3 * kLayer2FramePcmBytes);
  decoder.reset();  // stops the refill thread mid-stream
}

}  // namespace
