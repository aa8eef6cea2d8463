// The demo game's sound maker, run as the data build runs it: every sound the
// engine names is among its sources; the WAVs have the scored length, rate and
// channels at a level neither silent nor clipping; two runs give the same
// bytes; the engine's own streams over the real plug-ins decode what lame and
// oggenc wrote; broken sources fail with a message that says what is wrong.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "engine/sound/decoder_plugins.h"
#include "engine/sound/mp3_stream.h"
#include "engine/sound/ogg_stream.h"
#include "host/module/module_api.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/shell_command.h"

namespace {

const std::string kSourceDir = std::string(NOVEL_TEST_DATA_DIR) + "/../..";
const std::string kTool = "python3 " + kSourceDir + "/tools/demo_sound/demo_sound.py";

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

// A 16-bit PCM WAV as the tool writes it: one "fmt " and one "data" chunk.
struct Wav {
  std::uint16_t format = 0, channels = 0, bits = 0;
  std::uint32_t rate = 0;
  std::vector<std::int16_t> samples;
};
Wav ReadWav(const std::string& path) {
  std::vector<std::uint8_t> b = ReadFileBytes(path);
  Wav wav;
  if (b.size() < 44 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(&b[8], "WAVE", 4) != 0) return wav;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    const std::uint32_t size = Le32(b, at + 4);
    if (std::memcmp(&b[at], "fmt ", 4) == 0) {
      wav.format = Le16(b, at + 8);
      wav.channels = Le16(b, at + 10);
      wav.rate = Le32(b, at + 12);
      wav.bits = Le16(b, at + 22);
    } else if (std::memcmp(&b[at], "data", 4) == 0 && at + 8 + size <= b.size()) {
      wav.samples.resize(size / 2);
      for (std::size_t i = 0; i < wav.samples.size(); ++i)
        wav.samples[i] = static_cast<std::int16_t>(Le16(b, at + 8 + 2 * i));
    }
    at += 8 + size + (size & 1);
  }
  return wav;
}

double RmsDbfs(const std::int16_t* samples, std::size_t count) {
  double sum = 0;
  for (std::size_t i = 0; i < count; ++i) sum += static_cast<double>(samples[i]) * samples[i];
  return 10 * std::log10(sum / static_cast<double>(count) / (32768.0 * 32768.0) + 1e-20);
}

// The sounds one run makes: each kind of encoding, both rates, both channel
// counts, a derived score, an effect and voices of both speakers.
struct Made {
  const char* name;
  const char* file;
  std::uint32_t rate;
  std::uint16_t channels;
  double seconds;  // 0 for a voice: its length follows the text
};
constexpr Made kMade[] = {
    {"05", "bgm/05.mp3", 22050, 1, 20},        {"12", "bgm/12.mp3", 22050, 2, 20},
    {"se_chime", "se/se_chime.ogg", 44100, 2, 2}, {"se_loop", "se/se_loop.ogg", 44100, 1, 4},
    {"va_0001", "voice/va_0001.ogg", 22050, 1, 0}, {"vb_0001", "voice/vb_0001.ogg", 22050, 1, 0},
};

std::string WavPath(const ScopedTempDir& dir, const Made& made) {
  const std::string file = made.file;
  return dir.HostPath("wav/" + file.substr(0, file.rfind('.')) + ".wav");
}

class DemoSoundRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    first_ = new ScopedTempDir("demo_sound_a");
    second_ = new ScopedTempDir("demo_sound_b");
    std::string names;
    for (const Made& made : kMade) names += std::string(" ") + made.name;
    for (ScopedTempDir* dir : {first_, second_}) {
      std::string output;
      status_ += RunShell(kTool + " --jobs 3 --out " + dir->Path() + names, output);
      output_ += output;
    }
  }
  static void TearDownTestSuite() {
    delete first_;
    delete second_;
  }
  void SetUp() override { ASSERT_EQ(status_, 0) << output_; }

  static ScopedTempDir* first_;
  static ScopedTempDir* second_;
  static int status_;
  static std::string output_;
};
ScopedTempDir* DemoSoundRun::first_ = nullptr;
ScopedTempDir* DemoSoundRun::second_ = nullptr;
int DemoSoundRun::status_ = 0;
std::string DemoSoundRun::output_;

TEST(DemoSoundSources, ListEverySoundTheEngineAsksForInEveryFormTheMixerTakes) {
  std::string listing;
  ASSERT_EQ(RunShell(kTool + " --list", listing), 0) << listing;
  std::set<std::string> files, forms, encodings;
  char file[64], encoding[16];
  unsigned rate = 0, channels = 0;
  for (const char* line = listing.c_str(); std::sscanf(line, "%63s %u %u %15s", file, &rate, &channels, encoding) == 4;
       line = std::strchr(line, '\n') + 1) {
    files.insert(std::string(file).substr(0, std::string(file).rfind('.')));
    EXPECT_TRUE(rate == 22050 || rate == 44100) << file;
    forms.insert(std::to_string(rate) + "/" + std::to_string(channels));
    encodings.insert(encoding);
    if (std::strchr(line, '\n') == nullptr) break;
  }
  std::vector<std::string> wanted = {"se/se_chime", "se/se_loop", "voice/va_0001", "voice/vb_0001"};
  for (int n = 0; n <= 27; ++n) wanted.push_back((n < 10 ? "bgm/0" : "bgm/") + std::to_string(n));
  for (const char* call : {"voice/logo_se00", "voice/title_se00"})
    for (int n = 1; n <= 8; ++n) wanted.push_back(call + std::to_string(n));
  for (const std::string& name : wanted) EXPECT_EQ(files.count(name), 1u) << name;
  EXPECT_EQ(forms, (std::set<std::string>{"22050/1", "22050/2", "44100/1", "44100/2"}));
  EXPECT_EQ(encodings, (std::set<std::string>{"ogg", "mp3", "mp3-vbr"}));
}

TEST_F(DemoSoundRun, WavsHaveTheScoredShapeAndAHealthyLevel) {
  for (const Made& made : kMade) {
    SCOPED_TRACE(made.name);
    const Wav wav = ReadWav(WavPath(*first_, made));
    EXPECT_EQ(wav.format, 1);
    EXPECT_EQ(wav.bits, 16);
    EXPECT_EQ(wav.rate, made.rate);
    EXPECT_EQ(wav.channels, made.channels);
    ASSERT_FALSE(wav.samples.empty());
    const double seconds = static_cast<double>(wav.samples.size()) / made.channels / made.rate;
    if (made.seconds > 0) {
      EXPECT_EQ(wav.samples.size(), static_cast<std::size_t>(made.seconds * made.rate) * made.channels);
    } else {
      EXPECT_GT(seconds, 1.0);
      EXPECT_LT(seconds, 10.0);
    }
    int peak = 0;
    for (std::int16_t s : wav.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_LT(peak, 32000);
    EXPECT_GT(peak, 16000);
    EXPECT_GT(RmsDbfs(wav.samples.data(), wav.samples.size()), -30.0);
  }
}

TEST_F(DemoSoundRun, TwoRunsWriteTheSameBytes) {
  for (const Made& made : kMade) {
    SCOPED_TRACE(made.name);
    const std::vector<std::uint8_t> encoded = ReadFileBytes(first_->HostPath(made.file));
    ASSERT_FALSE(encoded.empty());
    EXPECT_TRUE(encoded == ReadFileBytes(second_->HostPath(made.file)));
    EXPECT_TRUE(ReadFileBytes(WavPath(*first_, made)) == ReadFileBytes(WavPath(*second_, made)));
  }
}

TEST_F(DemoSoundRun, MusicFileFormsAreTaggedAndVariableRateWhereScored) {
  const std::vector<std::uint8_t> tagged = ReadFileBytes(first_->HostPath("bgm/05.mp3"));
  ASSERT_GT(tagged.size(), 256u);
  EXPECT_EQ(std::memcmp(tagged.data(), "ID3", 3), 0);
  EXPECT_EQ(std::memcmp(&tagged[tagged.size() - 128], "TAG", 3), 0);
  const std::vector<std::uint8_t> variable = ReadFileBytes(first_->HostPath("bgm/12.mp3"));
  const std::string head(variable.begin(), variable.begin() + std::min<std::size_t>(variable.size(), 400));
  EXPECT_NE(head.find("Xing"), std::string::npos);
  EXPECT_NE(std::memcmp(variable.data(), "ID3", 3), 0);
}

class EngineDecoders : public DemoSoundRun {
 protected:
  void SetUp() override {
    DemoSoundRun::SetUp();
    HostSetModulePath(NOVEL_BINARY_DIR "/bin/novel_ce5");
    ASSERT_EQ(LoadMp3Plugin(), 0);
    ASSERT_EQ(LoadOggPlugin(), 0);
    ASSERT_TRUE(Mp3PluginReady() && OggPluginReady());
  }
  void TearDown() override {
    FreeMp3Plugin();
    FreeOggPlugin();
    HostSetModulePath("");
  }
};

// Reads a stream to its end; the PCM samples it gave.
template <typename Stream>
std::vector<std::int16_t> ReadAll(Stream& stream) {
  std::vector<std::int16_t> pcm;
  std::vector<std::uint8_t> block(16384 + 4608);
  for (int guard = 0; guard < 100000 && !stream.IsEnded(); ++guard) {
    const std::uint32_t got = stream.ReadPcm(block.data(), 16384, 0);
    const std::size_t at = pcm.size();
    pcm.resize(at + got / 2);
    std::memcpy(pcm.data() + at, block.data(), got & ~1u);
    if (got == 0) break;
  }
  return pcm;
}

TEST_F(EngineDecoders, OpenEachEncodingAtItsRateAndChannelsAndDecodeItsSound) {
  for (const Made& made : kMade) {
    SCOPED_TRACE(made.name);
    const std::vector<std::uint8_t> encoded = ReadFileBytes(first_->HostPath(made.file));
    const Wav wav = ReadWav(WavPath(*first_, made));
    ASSERT_FALSE(encoded.empty());
    std::vector<std::int16_t> pcm;
    WAVEFORMATEX format{};
    const auto size = static_cast<std::uint32_t>(encoded.size());
    if (std::string(made.file).find(".ogg") != std::string::npos) {
      COggStream stream;
      ASSERT_EQ(stream.OpenMemory(encoded.data(), size), 0);
      format = stream.GetFormat();
      pcm = ReadAll(stream);
      EXPECT_EQ(pcm.size(), wav.samples.size());  // Vorbis keeps the exact length
    } else {
      CMp3Stream stream;
      ASSERT_EQ(stream.OpenMemory(encoded.data(), size), 0);
      format = stream.GetFormat();
      pcm = ReadAll(stream);
      // the encoder's delay and padding add at most a few frames
      EXPECT_GE(pcm.size(), wav.samples.size());
      EXPECT_LT(pcm.size(), wav.samples.size() + 4u * 1152 * made.channels);
    }
    EXPECT_EQ(format.nSamplesPerSec, made.rate);
    EXPECT_EQ(format.nChannels, made.channels);
    EXPECT_EQ(format.wBitsPerSample, 16);
    ASSERT_FALSE(pcm.empty());
    EXPECT_NEAR(RmsDbfs(pcm.data(), pcm.size()), RmsDbfs(wav.samples.data(), wav.samples.size()), 1.5);
  }
}

// A small demo source folder with one fault at a time.
struct BrokenSource {
  const char* fault;
  const char* score;     // demo/scores/m1.txt
  const char* speakers;  // demo/voices/speakers.txt
  const char* lines;     // demo/voices/lines.txt
  const char* message;
};
constexpr const char* kScore = "tempo 100\nseconds 1\nvoice a bell 0.5 1\nnotes a c5:1 f#4:1/2\n";
constexpr const char* kSpeakers = "mio 250 8 1.1\n";
constexpr const char* kLines = "va_0001 mio ほしの、しらべ？\n";
const BrokenSource kBroken[] = {
    {"unknown instrument", "voice a kazoo 0.5 1\nnotes a c5:1\n", kSpeakers, kLines, "unknown instrument 'kazoo'"},
    {"note without length", "voice a bell 0.5 1\nnotes a c5\n", kSpeakers, kLines, "needs a length"},
    {"note without octave", "voice a bell 0.5 1\nnotes a c:1\n", kSpeakers, kLines, "needs an octave"},
    {"rate the mixer cannot convert", "rate 32000\nvoice a bell 0.5 1\nnotes a c5:1\n", kSpeakers, kLines,
     "rate must be 22050 or 44100"},
    {"score that is its own base", "base m1\n", kSpeakers, kLines, "its own base"},
    {"score without notes", "tempo 90\n", kSpeakers, kLines, "no notes"},
    {"notes for an undeclared voice", "notes b c5:1\n", kSpeakers, kLines, "undeclared voice 'b'"},
    {"kanji in a voice line", kScore, kSpeakers, "va_0001 mio 星\n", "'星' is not kana"},
    {"voice name over 23 bytes", kScore, kSpeakers, "va_0001_and_a_long_tail1 mio あ\n", "at most 23 bytes"},
    {"unknown speaker", kScore, kSpeakers, "va_0001 tobaru あ\n", "unknown speaker 'tobaru'"},
    {"voice listed twice", kScore, kSpeakers, "va_0001 mio あ\nva_0001 mio い\n", "listed twice"},
    {"speaker pitch not a number", kScore, "mio high 8 1\n", kLines, "are numbers"},
};

TEST(DemoSoundSources, BrokenSourcesFailWithAMessageNamingTheFault) {
  for (const BrokenSource& broken : kBroken) {
    SCOPED_TRACE(broken.fault);
    ScopedTempDir demo("demo_sound_broken");
    demo.WriteFile("scores/m1.txt", std::string(broken.score));
    demo.WriteFile("voices/speakers.txt", std::string(broken.speakers));
    demo.WriteFile("voices/lines.txt", std::string(broken.lines));
    std::string output;
    const int status = RunShell(kTool + " --list --demo " + demo.Path(), output);
    EXPECT_NE(status, 0) << output;
    EXPECT_NE(output.find(broken.message), std::string::npos) << output;
    EXPECT_EQ(output.find("Traceback"), std::string::npos) << output;
  }
  ScopedTempDir good("demo_sound_good");
  good.WriteFile("scores/m1.txt", std::string(kScore));
  good.WriteFile("voices/speakers.txt", std::string(kSpeakers));
  good.WriteFile("voices/lines.txt", std::string(kLines));
  std::string output;
  EXPECT_EQ(RunShell(kTool + " --list --demo " + good.Path(), output), 0) << output;
  EXPECT_EQ(output, "bgm/m1.ogg 22050 1 ogg\nvoice/va_0001.ogg 22050 1 ogg\n");
}

}  // namespace
