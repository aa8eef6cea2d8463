// The two decoder plug-ins against what the engine relies on: the MP3 handle's
// words frame by frame, one frame in giving that frame's samples out, and the
// Ogg decoder's format, end flag, replay and suspension.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "host/module/module_api.h"
#include "host/plugins/decoder_plugin_exports.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

const std::string kSoundDir = NOVEL_TEST_DATA_DIR "/sound/";

// Frame lengths computed here from the header fields, independently of the plug-in.
std::uint32_t ExpectedLayer3Bytes(const unsigned char* h) {
  static const int kMpeg1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
  static const int kMpeg2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
  const bool mpeg1 = (h[1] & 0x18) == 0x18;
  const int rates[2][3] = {{22050, 24000, 16000}, {44100, 48000, 32000}};
  const int rate = rates[mpeg1][(h[2] >> 2) & 3];
  const int kbps = mpeg1 ? kMpeg1[h[2] >> 4] : kMpeg2[h[2] >> 4];
  return static_cast<std::uint32_t>((mpeg1 ? 144 : 72) * kbps * 1000 / rate + ((h[2] >> 1) & 1));
}

struct Plugins {
  HMODULE mp3 = nullptr;
  HMODULE ogg = nullptr;
  Mp3CreateFn create = nullptr;
  Mp3PredecodeFn predecode = nullptr;
  Mp3DecodeFn decode = nullptr;
  Mp3DestroyFn destroy = nullptr;

  template <typename Fn>
  Fn Ogg(const char16_t* name) const {
    return reinterpret_cast<Fn>(GetProcAddressW(ogg, name));
  }
};

class DecoderPluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostSetModulePath(NOVEL_BINARY_DIR "/bin/novel_ce5");
    p.mp3 = LoadLibraryW(u"Kestrine.ovl");
    p.ogg = LoadLibraryW(u"Tamberwick.ovl");
    ASSERT_NE(p.mp3, nullptr);
    ASSERT_NE(p.ogg, nullptr);
    p.create = reinterpret_cast<Mp3CreateFn>(GetProcAddressW(p.mp3, u"__mp3_create"));
    p.predecode = reinterpret_cast<Mp3PredecodeFn>(GetProcAddressW(p.mp3, u"__mp3_predecode"));
    p.decode = reinterpret_cast<Mp3DecodeFn>(GetProcAddressW(p.mp3, u"__mp3_decode"));
    p.destroy = reinterpret_cast<Mp3DestroyFn>(GetProcAddressW(p.mp3, u"__mp3_destroy"));
    ASSERT_TRUE(p.create && p.predecode && p.decode && p.destroy);
  }
  void TearDown() override {
    if (p.mp3) FreeLibrary(p.mp3);
    if (p.ogg) FreeLibrary(p.ogg);
    HostSetModulePath("");
  }

  // Walks an MP3 file (ID3 tags skipped) frame by frame as the engine does.
  struct Walk {
    std::vector<std::uint32_t> frameBytes;
    std::vector<int> samples;
    std::vector<std::uint32_t> expectedBytes;
  };
  Walk WalkFile(const std::string& file) {
    std::vector<std::uint8_t> data = ReadFileBytes(kSoundDir + file);
    EXPECT_FALSE(data.empty());
    std::size_t start = 0, end = data.size();
    if (end >= 128 && std::memcmp(&data[end - 128], "TAG", 3) == 0) end -= 128;
    if (std::memcmp(data.data(), "ID3", 3) == 0) {
      start = 10 + ((data[6] & 0x7F) << 21 | (data[7] & 0x7F) << 14 | (data[8] & 0x7F) << 7 | (data[9] & 0x7F));
    }
    Walk walk;
    void* handle = p.create(&data[start]);
    EXPECT_NE(handle, nullptr);
    if (!handle) return walk;
    std::vector<std::uint8_t> out(kMp3DecodeBufferBytes);
    for (std::size_t at = start; end - at >= 4;) {
      if (p.predecode(handle, &data[at]) != 0) break;
      const std::uint32_t bytes = static_cast<const std::uint32_t*>(handle)[kMp3WordFrameBytes];
      walk.frameBytes.push_back(bytes);
      walk.expectedBytes.push_back(ExpectedLayer3Bytes(&data[at]));
      if (bytes > end - at) break;
      walk.samples.push_back(p.decode(handle, out.data(), &data[at], bytes));
      at += bytes;
    }
    p.destroy(handle);
    return walk;
  }

  Plugins p;
};

struct Mp3Case {
  const char* file;
  std::uint32_t channels;
  std::uint32_t rate;
  std::uint32_t kbps;  // 0: variable
  int samplesPerFrame;
};

TEST_F(DecoderPluginTest, Mp3HandleWordsAndOneFrameInGivesItsSamplesOut) {
  const Mp3Case cases[] = {
      {"sine44_stereo.mp3", 2, 44100, 128, 1152}, {"sine44_mono.mp3", 1, 44100, 64, 1152},
      {"sine22_stereo.mp3", 2, 22050, 64, 576},   {"sine22_mono.mp3", 1, 22050, 32, 576},
      {"sine48_stereo.mp3", 2, 48000, 128, 1152}, {"vbr44.mp3", 2, 44100, 0, 1152},
      {"tagged44.mp3", 2, 44100, 128, 1152},      {"info_frame44.mp3", 2, 44100, 128, 1152},
  };
  for (const Mp3Case& c : cases) {
    SCOPED_TRACE(c.file);
    std::vector<std::uint8_t> data = ReadFileBytes(kSoundDir + c.file);
    std::size_t start = 0;
    if (std::memcmp(data.data(), "ID3", 3) == 0) {
      start = 10 + ((data[6] & 0x7F) << 21 | (data[7] & 0x7F) << 14 | (data[8] & 0x7F) << 7 | (data[9] & 0x7F));
    }
    void* handle = p.create(&data[start]);
    ASSERT_NE(handle, nullptr);
    const auto* words = static_cast<const std::uint32_t*>(handle);
    EXPECT_EQ(words[kMp3WordChannels] & 0xFFFF, c.channels);
    EXPECT_EQ(words[kMp3WordSampleRate], c.rate);
    if (c.kbps) {
      EXPECT_EQ(words[kMp3WordBitRate], c.kbps);
    }
    p.destroy(handle);

    const Walk walk = WalkFile(c.file);
    ASSERT_GT(walk.samples.size(), 10u);
    // Word 12 follows every frame, padding and bit-rate changes included.
    EXPECT_EQ(walk.frameBytes, walk.expectedBytes);
    for (int samples : walk.samples) EXPECT_EQ(samples, c.samplesPerFrame);
  }
}

TEST_F(DecoderPluginTest, Word12FollowsPaddingAndVariableBitRate) {
  const Walk cbr = WalkFile("sine44_stereo.mp3");
  // 128 kbit/s at 44,100 Hz: 417 bytes, 418 with the padding slot.
  std::set<std::uint32_t> cbrSizes(cbr.frameBytes.begin(), cbr.frameBytes.end());
  EXPECT_EQ(cbrSizes, (std::set<std::uint32_t>{417, 418}));
  const Walk vbr = WalkFile("vbr44.mp3");
  std::set<std::uint32_t> vbrSizes(vbr.frameBytes.begin(), vbr.frameBytes.end());
  EXPECT_GT(vbrSizes.size(), 3u);
}

TEST_F(DecoderPluginTest, InfoFrameDecodesAsSilenceOfItsLength) {
  std::vector<std::uint8_t> data = ReadFileBytes(kSoundDir + "info_frame44.mp3");
  std::size_t start = 0;
  if (std::memcmp(data.data(), "ID3", 3) == 0) {
    start = 10 + ((data[6] & 0x7F) << 21 | (data[7] & 0x7F) << 14 | (data[8] & 0x7F) << 7 | (data[9] & 0x7F));
  }
  void* handle = p.create(&data[start]);
  ASSERT_NE(handle, nullptr);
  ASSERT_EQ(p.predecode(handle, &data[start]), 0);
  const std::uint32_t bytes = static_cast<const std::uint32_t*>(handle)[kMp3WordFrameBytes];
  // The encoder's info frame is marked in its side data.
  const std::string frame(data.begin() + static_cast<long>(start), data.begin() + static_cast<long>(start + bytes));
  EXPECT_TRUE(frame.find("Info") != std::string::npos || frame.find("Xing") != std::string::npos);
  std::vector<std::int16_t> out(kMp3DecodeBufferBytes / 2, 0x5555);
  EXPECT_EQ(p.decode(handle, out.data(), &data[start], bytes), 1152);
  for (int i = 0; i < 1152 * 2; ++i) ASSERT_EQ(out[i], 0) << i;
  p.destroy(handle);
}

TEST_F(DecoderPluginTest, ShortBrokenAndForeignInputIsRefused) {
  std::vector<std::uint8_t> data = ReadFileBytes(kSoundDir + "sine44_stereo.mp3");
  void* handle = p.create(data.data());
  ASSERT_NE(handle, nullptr);
  std::vector<std::uint8_t> out(kMp3DecodeBufferBytes);
  ASSERT_EQ(p.predecode(handle, data.data()), 0);
  const std::uint32_t bytes = static_cast<const std::uint32_t*>(handle)[kMp3WordFrameBytes];
  // A truncated frame gives nothing: the engine takes that as the end.
  EXPECT_EQ(p.decode(handle, out.data(), data.data(), bytes - 1), 0);
  EXPECT_EQ(p.decode(handle, out.data(), data.data(), 3), 0);
  const unsigned char garbage[][4] = {{0, 0, 0, 0}, {'R', 'I', 'F', 'F'}, {0xFF, 0xFB, 0xF0, 0}, {0xFF, 0xFB, 0x0C, 0},
                                      {0xFF, 0xE9, 0x90, 0}};
  for (const auto& bytesIn : garbage) {
    EXPECT_EQ(p.create(bytesIn), nullptr);
    EXPECT_NE(p.predecode(handle, bytesIn), 0);
  }
  // A frame of another stream (22,050 Hz) is not taken for this one.
  std::vector<std::uint8_t> other = ReadFileBytes(kSoundDir + "sine22_stereo.mp3");
  EXPECT_NE(p.predecode(handle, other.data()), 0);
  p.destroy(handle);
}

TEST_F(DecoderPluginTest, OggFormatEndReplayAndSuspension) {
  auto create = p.Ogg<OggCreateFn>(u"pcc_ogg_create");
  auto freeHandle = p.Ogg<OggFreeFn>(u"pcc_ogg_free");
  auto inputFile = p.Ogg<OggInputFileOpenFn>(u"pcc_ogg_input_file_open");
  auto inputMemory = p.Ogg<OggInputMemoryFn>(u"pcc_ogg_input_memory");
  auto format = p.Ogg<OggPcmFormatFn>(u"pcc_ogg_pcm_format");
  auto process = p.Ogg<OggProcessFrameFn>(u"pcc_ogg_process_frame");
  auto eof = p.Ogg<OggEofFn>(u"pcc_ogg_eof");
  auto replay = p.Ogg<OggReplayFn>(u"pcc_ogg_replay");
  auto suspend = p.Ogg<OggSuspendFn>(u"pcc_ogg_suspend");
  auto resume = p.Ogg<OggResumeFn>(u"pcc_ogg_resume");
  auto version = p.Ogg<OggTamberVerFn>(u"pcc_ogg_tamber_ver");
  ASSERT_TRUE(create && freeHandle && inputFile && inputMemory && format && process && eof && replay && suspend &&
              resume && version);

  auto readAll = [&](void* h, std::size_t chunk) {
    std::vector<std::uint8_t> pcm, buffer(chunk);
    for (int n; (n = process(h, buffer.data(), static_cast<unsigned>(chunk), 1)) > 0;) {
      EXPECT_LE(static_cast<std::size_t>(n), chunk);
      pcm.insert(pcm.end(), buffer.begin(), buffer.begin() + n);
    }
    return pcm;
  };

  // A file named in the engine's form: Shift-JIS, '\' separators, other case.
  ScopedTempDir dir("ogg_plugin");
  dir.WriteFile("Music/Sine.ogg", ReadFileBytes(kSoundDir + "sine44_stereo.ogg"));
  const std::string enginePath = dir.EnginePath("MUSIC/sine.OGG");
  void* h = create(this);
  ASSERT_NE(h, nullptr);
  ASSERT_EQ(inputFile(h, enginePath.c_str(), 0, 0), 0);
  const auto* record = static_cast<const std::uint8_t*>(format(h));
  std::uint16_t channels, bits, tag;
  std::uint32_t rate;
  std::memcpy(&tag, record, 2);
  std::memcpy(&channels, record + 2, 2);
  std::memcpy(&rate, record + 4, 4);
  std::memcpy(&bits, record + 14, 2);
  EXPECT_EQ(tag, 1);
  EXPECT_EQ(channels, 2);
  EXPECT_EQ(rate, 44100u);
  EXPECT_EQ(bits, 16);
  EXPECT_EQ(eof(h), 0);
  const std::vector<std::uint8_t> whole = readAll(h, 10240);
  EXPECT_EQ(whole.size(), 44100u * 4);
  EXPECT_NE(eof(h), 0);
  EXPECT_EQ(process(h, std::vector<std::uint8_t>(64).data(), 64, 1), 0) << "the loop flag does not loop";

  // Replay starts at the first sample; a suspension in the middle resumes at
  // the same sample.
  ASSERT_EQ(replay(h), 0);
  EXPECT_EQ(eof(h), 0);
  std::vector<std::uint8_t> first(40000);
  ASSERT_EQ(process(h, first.data(), 40000, 0), 40000);
  EXPECT_EQ(suspend(h), 0);
  EXPECT_EQ(resume(h), 0);
  std::vector<std::uint8_t> rest = readAll(h, 7000);
  first.insert(first.end(), rest.begin(), rest.end());
  EXPECT_EQ(first, whole);
  freeHandle(h);

  // Input that is not Ogg Vorbis ends at once, an empty image without any
  // bytes behind it too.
  const char notOgg[] = "not an ogg stream at all";
  const struct {
    const char* data;
    unsigned size;
  } foreign[] = {{notOgg, sizeof notOgg}, {"OggS", 4}, {nullptr, 0}};
  for (const auto& input : foreign) {
    h = create(this);
    inputMemory(h, input.data, input.size, 0);
    EXPECT_NE(eof(h), 0) << input.size;
    EXPECT_EQ(process(h, first.data(), 1024, 0), 0) << input.size;
    freeHandle(h);
  }

  char text[kOggVersionBytes];
  std::memset(text, 'x', sizeof text);
  version(text);
  EXPECT_LT(std::strlen(text), kOggVersionBytes);
  EXPECT_EQ(std::string(text).rfind("Tamberwick", 0), 0u);
}

}  // namespace
