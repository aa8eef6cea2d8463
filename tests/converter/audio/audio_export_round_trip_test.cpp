// Tracks of a 30-second two-tone movie sound, decoded back by independent
// decoders and set against the WAVE image's PCM resampled by sox, and against
// ffmpeg's transcode of the same file with the same encoders.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "converter/audio/audio_decoder.h"
#include "host/memory/memory_api.h"
#include "tests/converter/audio/audio_export_test_support.h"
#include "tests/support/file_bytes.h"
#include "tests/support/pcm_signal.h"

using reelpack::AudioExportResult;
using reelpack::AudioExportStatus;

using namespace layer2_test;

namespace {

constexpr double kClosingToneStart = 29.9;  // seconds; 3 kHz on both channels from here

struct Track {
  const char* name;
  int encoder;
  int bitRateIndex;
  int sampleRateIndex;
  bool stereo;
  const char* ffmpegCodec;  // the same encoder through ffmpeg
  double minSnrDb;
};

class AudioExportRoundTrip : public AudioExportTest {
 protected:
  static void SetUpTestSuite() {
    folder_ = new ScopedTempDir("two_tone");
    input_ = folder_->HostPath("two_tone.mpg");
    ASSERT_TRUE(pcm_signal::Run(
        "ffmpeg -hide_banner -loglevel error -y -f lavfi -i \"aevalsrc='if(lt(t,29.9),0.5*sin(2*PI*1000*t),"
        "0.5*sin(2*PI*3000*t))|if(lt(t,29.9),0.5*sin(2*PI*1500*t),0.5*sin(2*PI*3000*t))':s=44100:d=30\" "
        "-c:a mp2 -b:a 192k -f mpeg " + input_));
    // The WAVE image's PCM, as the export starts from it.
    reelpack::CMpegAudioDecoder decoder(input_.c_str(), 1);
    std::uint32_t size = 0;
    std::uint8_t* image = reelpack::BuildWaveImage(&decoder, &size);
    ASSERT_NE(image, nullptr);
    ASSERT_GT(size, 2u << 20);
    folder_->WriteFile("image.raw", std::vector<std::uint8_t>(image + kWaveFileHeaderBytes, image + kWaveFileHeaderBytes + size));
    LocalFree(image);
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }

  static int Rate(const Track& t) { return t.sampleRateIndex == 1 ? 44100 : 22050; }
  static int Channels(const Track& t) { return t.stereo ? 2 : 1; }

  // The image's PCM brought to the track's format by sox.
  static std::vector<std::int16_t> Reference(const Track& t) {
    const std::string out = folder_->HostPath("reference_" + std::to_string(Rate(t)) + "_" + std::to_string(Channels(t)) + ".raw");
    EXPECT_TRUE(pcm_signal::Run("sox -D -t raw -r 44100 -e signed -b 16 -c 2 " + folder_->HostPath("image.raw") +
                                " -t raw -r " + std::to_string(Rate(t)) + " -e signed -b 16 -c " +
                                std::to_string(Channels(t)) + " " + out + " rate -h"));
    return pcm_signal::Samples(ReadFileBytes(out));
  }

  static std::vector<std::int16_t> Decode(const std::string& track, const std::string& decoder) {
    const std::string raw = track + "." + decoder + ".raw";
    std::string command;
    if (decoder == "mpg123") command = "mpg123 -q -e s16 -s '" + track + "' > '" + raw + "'";
    if (decoder == "ffmpeg") command = "ffmpeg -hide_banner -loglevel error -y -i '" + track + "' -f s16le '" + raw + "'";
    if (decoder == "oggdec") command = "oggdec -Q -R -b 16 -e 0 -s 1 -o '" + raw + "' '" + track + "'";
    EXPECT_TRUE(pcm_signal::Run(command)) << command;
    return pcm_signal::Samples(ReadFileBytes(raw));
  }

  static ScopedTempDir* folder_;
  static std::string input_;
};

ScopedTempDir* AudioExportRoundTrip::folder_ = nullptr;
std::string AudioExportRoundTrip::input_;

const Track kTracks[] = {
    {"mp3_128_44k_stereo", 0, 7, 1, true, "libmp3lame", 20.0},
    {"mp3_32_22k_mono", 0, 3, 0, false, "libmp3lame", 20.0},
    {"mp3_320_44k_stereo", 0, 12, 1, true, "libmp3lame", 60.0},
    {"ogg_q6_44k_stereo", 1, 7, 1, true, "libvorbis", 30.0},
    // Half the rate leaves Vorbis fewer bits for the same tones.
    {"ogg_q6_22k_mono", 1, 7, 0, false, "libvorbis", 25.0},
};

// Lag, SNR of each channel and the closing tone's level for one decoding.
struct Measure {
  long lag = 0;
  long lengthAfterLag = 0;
  double snrDb = 1e9;
  double closingToneDb = -200;
  double earlierToneDb = 0;  // 1 kHz in the closing tone's span
};

Measure MeasureAgainst(const std::vector<std::int16_t>& decoded, const std::vector<std::int16_t>& reference,
                       int channels, int rate, bool findLag) {
  Measure m;
  const auto ours0 = pcm_signal::Channel(decoded, channels, 0);
  const auto ref0 = pcm_signal::Channel(reference, channels, 0);
  m.lag = findLag ? pcm_signal::BestLag(ours0, ref0, 4000) : 0;
  m.lengthAfterLag = static_cast<long>(ours0.size()) - m.lag;
  for (int c = 0; c < channels; ++c) {
    m.snrDb = std::min(m.snrDb, pcm_signal::SnrDb(pcm_signal::Channel(decoded, channels, c),
                                                  pcm_signal::Channel(reference, channels, c), m.lag));
  }
  const auto from = static_cast<std::size_t>(m.lag + std::lround((kClosingToneStart + 0.02) * rate));
  const auto to = static_cast<std::size_t>(m.lag + std::lround((kClosingToneStart + 0.09) * rate));
  if (to <= ours0.size()) {
    const std::vector<double> closing(ours0.begin() + static_cast<long>(from), ours0.begin() + static_cast<long>(to));
    m.closingToneDb = pcm_signal::ToneLevelDb(closing, rate, 3000.0);
    m.earlierToneDb = pcm_signal::ToneLevelDb(closing, rate, 1000.0);
  }
  return m;
}

TEST_F(AudioExportRoundTrip, DecodedTracksMatchTheSourceAndFfmpegsTranscode) {
  for (const Track& t : kTracks) {
    SCOPED_TRACE(t.name);
    const AudioExportResult result = Job(input_, t.encoder, t.bitRateIndex, t.sampleRateIndex, t.stereo)->ExportAudioTrack();
    ASSERT_EQ(result.status, AudioExportStatus::Written) << result.text;
    const auto reference = Reference(t);
    const long sourceFrames = static_cast<long>(reference.size()) / Channels(t);

    // ffmpeg's transcode of the same file: one thread, soxr, the same encoder,
    // one channel as the mean of two.
    const std::string mix = t.stereo ? "" : "pan=mono|c0=0.5*c0+0.5*c1,";
    const std::string peer = folder_->HostPath(std::string(t.name) + (t.encoder ? ".peer.ogg" : ".peer.mp3"));
    const std::string bitRate = t.encoder ? std::string("-q:a 6") : "-b:a " + std::to_string(result.kbps) + "k";
    ASSERT_TRUE(pcm_signal::Run("ffmpeg -hide_banner -loglevel error -y -threads 1 -i " + input_ +
                                " -af '" + mix + "aresample=resampler=soxr' -ar " + std::to_string(Rate(t)) + " -ac " +
                                std::to_string(Channels(t)) + " -c:a " + t.ffmpegCodec + " " + bitRate + " " + peer));

    const std::vector<std::string> decoders =
        t.encoder ? std::vector<std::string>{"oggdec"} : std::vector<std::string>{"mpg123", "ffmpeg"};
    for (const std::string& decoder : decoders) {
      SCOPED_TRACE(decoder);
      const Measure ours = MeasureAgainst(Decode(result.trackPath, decoder), reference, Channels(t), Rate(t), !t.encoder);
      const Measure theirs = MeasureAgainst(Decode(peer, decoder), reference, Channels(t), Rate(t), !t.encoder);
      RecordProperty(std::string(t.name) + "_" + decoder,
                     "lag " + std::to_string(ours.lag) + " length " + std::to_string(ours.lengthAfterLag) + "/" +
                         std::to_string(sourceFrames) + " snr " + std::to_string(ours.snrDb) + " peer " +
                         std::to_string(theirs.snrDb) + " closing " + std::to_string(ours.closingToneDb));
      if (t.encoder) {
        EXPECT_EQ(ours.lengthAfterLag, sourceFrames);
      } else {
        // The encoder's and the decoder's delay: 576 + 529 samples.
        EXPECT_NEAR(ours.lag, 1105, 2);
        EXPECT_NEAR(ours.lengthAfterLag, sourceFrames, Rate(t) == 44100 ? 1152 : 576);
      }
      EXPECT_GT(ours.snrDb, t.minSnrDb);
      EXPECT_GT(ours.snrDb, theirs.snrDb - 1.0);
      EXPECT_GT(ours.closingToneDb, -12.0);
      EXPECT_LT(ours.earlierToneDb, ours.closingToneDb - 30.0);
    }
  }
}

}  // namespace
