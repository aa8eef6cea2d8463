// The engine's own MP3 and Ogg streams play every exported track to the end:
// as many samples as the independent decoders give.
#include <gtest/gtest.h>

#include <vector>

#include "engine/sound/decoder_plugins.h"
#include "engine/sound/mp3_stream.h"
#include "engine/sound/ogg_stream.h"
#include "tests/converter/audio/audio_export_test_support.h"
#include "tests/support/file_bytes.h"
#include "tests/support/pcm_signal.h"

using reelpack::AudioExportStatus;

using namespace layer2_test;

namespace {

class AudioExportEnginePlay : public AudioExportTest {
 protected:
  void SetUp() override {
    AudioExportTest::SetUp();
    ASSERT_EQ(LoadMp3Plugin(), 0);
    ASSERT_EQ(LoadOggPlugin(), 0);
  }
  void TearDown() override {
    FreeMp3Plugin();
    FreeOggPlugin();
    AudioExportTest::TearDown();
  }
};

template <typename Stream>
std::size_t PlayedBytes(Stream& stream, const WAVEFORMATEX& expected) {
  EXPECT_EQ(stream.GetFormat().nSamplesPerSec, expected.nSamplesPerSec);
  EXPECT_EQ(stream.GetFormat().nChannels, expected.nChannels);
  std::vector<std::uint8_t> buffer(8192 + 16384);
  std::size_t total = 0;
  while (!stream.IsEnded()) total += stream.ReadPcm(buffer.data(), 8192, 0);
  return total;
}

TEST_F(AudioExportEnginePlay, StreamsDecodeAsManySamplesAsTheReferenceDecoders) {
  const std::string input = StreamOf("sine_stereo_48k.mp2", "clip.mpg");
  struct Case {
    int sampleRateIndex;
    bool stereo;
  } cases[] = {{1, true}, {0, false}, {0, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sampleRateIndex << " " << c.stereo);
    WAVEFORMATEX format{};
    format.nSamplesPerSec = c.sampleRateIndex ? 44100 : 22050;
    format.nChannels = c.stereo ? 2 : 1;

    ASSERT_EQ(Job(input, 0, 7, c.sampleRateIndex, c.stereo)->ExportAudioTrack().status, AudioExportStatus::Written);
    const std::string mp3 = OutPath("clip.mp3");
    ASSERT_TRUE(pcm_signal::Run("mpg123 -q -e s16 -s '" + mp3 + "' > '" + mp3 + ".raw'"));
    CMp3Stream mp3Stream;
    ASSERT_EQ(mp3Stream.OpenFile(mp3, 0, 0), 0);
    EXPECT_EQ(PlayedBytes(mp3Stream, format), ReadFileBytes(mp3 + ".raw").size());

    ASSERT_EQ(Job(input, 1, 7, c.sampleRateIndex, c.stereo)->ExportAudioTrack().status, AudioExportStatus::Written);
    const std::string ogg = OutPath("clip.ogg");
    ASSERT_TRUE(pcm_signal::Run("oggdec -Q -R -b 16 -e 0 -s 1 -o '" + ogg + ".raw' '" + ogg + "'"));
    COggStream oggStream;
    ASSERT_EQ(oggStream.OpenFile(ogg, 0, 0), 0);
    EXPECT_EQ(PlayedBytes(oggStream, format), ReadFileBytes(ogg + ".raw").size());
  }
}

}  // namespace
