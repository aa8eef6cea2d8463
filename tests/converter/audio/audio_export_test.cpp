// The audio pass: the track's format for each setting, what is written and
// what is removed, and every way it can fail.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "converter/audio/audio_export_settings.h"
#include "converter/audio/mp3_encoder.h"
#include "converter/audio/wave_chunks.h"
#include "converter/job/job_output_path.h"
#include "host/run/call_log.h"
#include "tests/converter/audio/audio_export_test_support.h"
#include "tests/converter/audio/system_stream_builder.h"
#include "tests/support/file_bytes.h"

using reelpack::AudioExportResult;
using reelpack::AudioExportStatus;
using reelpack::JobOutputPath;

using namespace layer2_test;

namespace {

TEST(JobOutputPath, FolderBaseNameAndExtension) {
  struct Case {
    const char* folder;
    const char* input;
    const char* extension;
    const char* expected;
  } cases[] = {
      {"C:\\work", "D:\\clips\\intro.mpg", ".mp3", "C:\\work\\intro.mp3"},
      {"C:\\work", "D:\\clips\\intro.mpg", ".ogg", "C:\\work\\intro.ogg"},
      {"/tmp/out", "/data/clips/intro.mpg", ".mp3", "/tmp/out/intro.mp3"},
      {"C:\\work", "D:\\clips\\intro.final.mpeg", ".rzm2", "C:\\work\\intro.final.rzm2"},
      // A dot in a folder name is not an extension.
      {"C:\\work", "D:\\clips.old\\intro", ".mp3", "C:\\work\\intro.mp3"},
      {"C:\\w.x", "D:\\clips\\intro", ".ogg", "C:\\w.x\\intro.ogg"},
      // No folder in the input: a separator is put between.
      {"C:\\work", "intro.mpg", ".mp3", "C:\\work\\intro.mp3"},
      {"C:\\work\\", "intro.mpg", ".mp3", "C:\\work\\intro.mp3"},
      // "\x83\x5C" is one double-byte character whose trail byte is '\'.
      {"C:\\work", "D:\\\x83\x5C.x\\a\x83\x5C", ".mp3", "C:\\work\\a\x83\x5C.mp3"},
      {"C:\\work", "D:\\clips\\\x83\x5C.mpg", ".mp3", "C:\\work\\\x83\x5C.mp3"},
  };
  for (const Case& c : cases) EXPECT_EQ(JobOutputPath(c.folder, c.input, c.extension), c.expected) << c.input;
}

// A RIFF/WAVE image of the given chunks (id, body), with the RIFF size told.
std::vector<std::uint8_t> Image(const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& chunks) {
  std::vector<std::uint8_t> image = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  for (const auto& [id, body] : chunks) {
    image.insert(image.end(), id.begin(), id.end());
    for (int i = 0; i < 4; ++i) image.push_back(static_cast<std::uint8_t>(body.size() >> (8 * i)));
    image.insert(image.end(), body.begin(), body.end());
    if (body.size() & 1) image.push_back(0);
  }
  const std::uint32_t riff = static_cast<std::uint32_t>(image.size() - 8);
  for (int i = 0; i < 4; ++i) image[4 + i] = static_cast<std::uint8_t>(riff >> (8 * i));
  return image;
}

TEST(FindWaveChunks, FindsTheFormatAndTheFirstPcmWithinTheImage) {
  const std::vector<std::uint8_t> fmt16(16, 0x11);
  const std::vector<std::uint8_t> fmt13(13, 0x11);
  const std::vector<std::uint8_t> pcm = {1, 2, 3, 4, 5, 6};
  const std::vector<std::uint8_t> odd = {9, 9, 9};
  struct Case {
    const char* what;
    std::vector<std::uint8_t> image;
    long dataOffset;  // -1: null
    std::uint32_t size;
  } cases[] = {
      {"plain", Image({{"fmt ", fmt16}, {"data", pcm}}), 44, 6},
      {"data before fmt", Image({{"data", pcm}, {"fmt ", fmt16}}), 20, 6},
      {"odd chunk padded", Image({{"LIST", odd}, {"fmt ", fmt16}, {"data", pcm}}), 56, 6},
      {"empty data then data", Image({{"fmt ", fmt16}, {"data", {}}, {"data", pcm}}), 52, 6},
      {"format below 14 bytes", Image({{"fmt ", fmt13}, {"data", pcm}}), -1, 0},
      {"no data", Image({{"fmt ", fmt16}}), -1, 0},
      {"only empty data", Image({{"fmt ", fmt16}, {"data", {}}}), -1, 0},
  };
  for (const Case& c : cases) {
    std::uint8_t format[reelpack::kWaveFormatRecordBytes] = {};
    std::uint32_t size = 0;
    const std::uint8_t* data =
        reelpack::FindWaveChunks(c.image.data(), static_cast<std::uint32_t>(c.image.size()), format, &size);
    if (c.dataOffset < 0) {
      EXPECT_EQ(data, nullptr) << c.what;
      continue;
    }
    EXPECT_EQ(data, c.image.data() + c.dataOffset) << c.what;
    EXPECT_EQ(size, c.size) << c.what;
    EXPECT_EQ(format[0], 0x11) << c.what;
  }
}

TEST(FindWaveChunks, RefusesChunksPastTheImage) {
  auto image = Image({{"fmt ", std::vector<std::uint8_t>(16, 1)}, {"data", {1, 2, 3, 4}}});
  std::uint8_t format[reelpack::kWaveFormatRecordBytes] = {};
  std::uint32_t size = 0;
  // The data chunk claims more than the image holds, RIFF size included.
  image[40] = 0xFF;
  image[4] = 0xFF;
  image[5] = 0xFF;
  EXPECT_EQ(reelpack::FindWaveChunks(image.data(), static_cast<std::uint32_t>(image.size()), format, &size), nullptr);
  // A length cut short of the chunks.
  image = Image({{"fmt ", std::vector<std::uint8_t>(16, 1)}, {"data", {1, 2, 3, 4}}});
  EXPECT_EQ(reelpack::FindWaveChunks(image.data(), 40, format, &size), nullptr);
  EXPECT_EQ(reelpack::FindWaveChunks(image.data(), 8, format, &size), nullptr);
  image[8] = 'X';
  EXPECT_EQ(reelpack::FindWaveChunks(image.data(), static_cast<std::uint32_t>(image.size()), format, &size), nullptr);
}

TEST(Mp3Callbacks, InputIsPaddedWithZerosOnceAndOutputAppends) {
  const std::uint8_t pcm[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  reelpack::BeginMp3Run(pcm, sizeof(pcm));
  std::uint8_t buffer[8];
  EXPECT_EQ(reelpack::Mp3ReadInput(buffer, 8), 0);
  EXPECT_EQ(std::memcmp(buffer, pcm, 8), 0);
  std::memset(buffer, 0xEE, sizeof(buffer));
  EXPECT_EQ(reelpack::Mp3ReadInput(buffer, 8), 0);
  const std::uint8_t padded[8] = {9, 10, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(buffer, padded, 8), 0);
  EXPECT_EQ(reelpack::Mp3ReadInput(buffer, 8), 1);
  EXPECT_EQ(reelpack::Mp3WriteOutput("ab", 2), 0);
  EXPECT_EQ(reelpack::Mp3WriteOutput(nullptr, 5), 0);
  EXPECT_EQ(reelpack::Mp3WriteOutput("cde", 3), 0);
  EXPECT_EQ(reelpack::EndMp3Run(), (std::vector<std::uint8_t>{'a', 'b', 'c', 'd', 'e'}));
}

// Every item of the bit-rate list at 44,100 Hz stereo and 22,050 Hz mono, as
// an independent prober reads the tracks.
TEST_F(AudioExportTest, EverySettingGivesItsRateChannelsAndBitRate) {
  const std::string input = StreamOf("sine_stereo_44k.mp2", "clip.mpg");
  struct Format {
    int sampleRateIndex;
    bool stereo;
    const char* rate;
    const char* channels;
  } formats[] = {{1, true, "44100", "2"}, {0, false, "22050", "1"}};
  for (const Format& f : formats) {
    std::vector<std::uint8_t> previousOgg;
    for (int index = 0; index < reelpack::kAudioBitRateItems; ++index) {
      SCOPED_TRACE(testing::Message() << f.rate << " Hz, item " << index);
      const AudioExportResult mp3 = Job(input, 0, index, f.sampleRateIndex, f.stereo)->ExportAudioTrack();
      ASSERT_EQ(mp3.status, AudioExportStatus::Written) << mp3.text;
      const std::string probe = Probe(OutPath("clip.mp3"));
      EXPECT_EQ(ProbeValue(probe, "codec_name"), "mp3");
      EXPECT_EQ(ProbeValue(probe, "sample_rate"), f.rate);
      EXPECT_EQ(ProbeValue(probe, "channels"), f.channels);
      const std::uint32_t asked = reelpack::Mp3BitRateKbps(index, f.stereo);
      // Beyond what the frame carries: 16 and 8 to 24 kbit/s at 44,100 Hz, over 160 at 22,050.
      const std::uint32_t carried = f.sampleRateIndex == 1 ? std::max(asked, 32u) : std::min(asked, 160u);
      EXPECT_EQ(ProbeValue(probe, "bit_rate"), std::to_string(carried * 1000));
      EXPECT_EQ(mp3.kbps, carried);
      EXPECT_EQ(mp3.bitRateChanged, carried != asked);
      EXPECT_EQ(mp3.text.find("nearest") != std::string::npos, carried != asked) << mp3.text;

      const AudioExportResult ogg = Job(input, 1, index, f.sampleRateIndex, f.stereo)->ExportAudioTrack();
      ASSERT_EQ(ogg.status, AudioExportStatus::Written) << ogg.text;
      const std::string oggProbe = Probe(OutPath("clip.ogg"));
      EXPECT_EQ(ProbeValue(oggProbe, "codec_name"), "vorbis");
      EXPECT_EQ(ProbeValue(oggProbe, "sample_rate"), f.rate);
      EXPECT_EQ(ProbeValue(oggProbe, "channels"), f.channels);
      const auto oggBytes = ReadFileBytes(OutPath("clip.ogg"));
      // Items 11 and 12 share quality 1.0; every other step changes the file.
      if (index == 12) {
        EXPECT_EQ(oggBytes, previousOgg);
      } else if (index > 0) {
        EXPECT_NE(oggBytes, previousOgg);
      }
      previousOgg = oggBytes;
    }
  }
}

TEST_F(AudioExportTest, PcmAlreadyInTheTargetFormatOpensNoConversion) {
  const std::string input = StreamOf("sine_stereo_44k.mp2", "clip.mpg");
  struct Case {
    int encoder, sampleRateIndex;
    bool stereo, converts;
  } cases[] = {{0, 1, true, false}, {1, 1, true, false}, {0, 1, false, true}, {1, 0, true, true}};
  for (const Case& c : cases) {
    HostCallLogEnable(true);
    EXPECT_EQ(Job(input, c.encoder, 7, c.sampleRateIndex, c.stereo)->ExportAudioTrack().status,
              AudioExportStatus::Written);
    const auto log = HostCallLogTake();
    EXPECT_EQ(std::count(log.begin(), log.end(), "acmStreamOpen"), c.converts ? 1 : 0)
        << c.encoder << " " << c.sampleRateIndex << " " << c.stereo;
  }
}

TEST_F(AudioExportTest, EachSourceRateAndModeBecomesATrack) {
  for (const char* fixture : {"sine_stereo_32k.mp2", "sine_joint_44k.mp2", "sine_stereo_48k.mp2", "sine_mono_44k.mp2"}) {
    const std::string input = StreamOf(fixture, "clip.mpg");
    for (int encoder : {0, 1}) {
      const AudioExportResult result = Job(input, encoder, 7, 0, false)->ExportAudioTrack();
      EXPECT_EQ(result.status, AudioExportStatus::Written) << fixture << ": " << result.text;
      EXPECT_EQ(ProbeValue(Probe(OutPath(encoder ? "clip.ogg" : "clip.mp3")), "sample_rate"), "22050") << fixture;
    }
  }
}

}  // namespace
