// The MP3 encoder module "gogo.dll", loaded by name as the converter loads it.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host/codecs/gogo/gogo_api.h"
#include "host/module/module_api.h"
#include "tests/support/pcm_signal.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

struct Feed {
  std::vector<std::uint8_t> pcm;
  std::size_t position = 0;
  std::vector<std::uint32_t> requests;
  std::vector<std::uint8_t> mp3;
};
Feed g_feed;

std::int32_t ReadInput(void* buffer, std::uint32_t n) {
  g_feed.requests.push_back(n);
  if (g_feed.position >= g_feed.pcm.size()) return 1;
  const std::size_t given = std::min<std::size_t>(n, g_feed.pcm.size() - g_feed.position);
  std::memcpy(buffer, g_feed.pcm.data() + g_feed.position, given);
  std::memset(static_cast<std::uint8_t*>(buffer) + given, 0x55, n - given);  // noise, if it were ever used
  g_feed.position += given;
  return 0;
}

std::int32_t WriteOutput(const void* data, std::uint32_t n) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  g_feed.mp3.insert(g_feed.mp3.end(), bytes, bytes + n);
  return 0;
}

class GogoModule : public ::testing::Test {
 protected:
  void SetUp() override {
    HostSetModulePath(NOVEL_BINARY_DIR "/bin/reelpack");
    module_ = LoadLibraryA("gogo.dll");
    ASSERT_NE(module_, nullptr);
    init_ = reinterpret_cast<MpgeInitializeWork>(GetProcAddress(module_, "MPGE_initializeWork"));
    set_ = reinterpret_cast<MpgeSetConfigure>(GetProcAddress(module_, "MPGE_setConfigure"));
    get_ = reinterpret_cast<MpgeGetConfigure>(GetProcAddress(module_, "MPGE_getConfigure"));
    detect_ = reinterpret_cast<MpgeDetectConfigure>(GetProcAddress(module_, "MPGE_detectConfigure"));
    frame_ = reinterpret_cast<MpgeProcessFrame>(GetProcAddress(module_, "MPGE_processFrame"));
    close_ = reinterpret_cast<MpgeCloseCoder>(GetProcAddress(module_, "MPGE_closeCoder"));
    end_ = reinterpret_cast<MpgeEndCoder>(GetProcAddress(module_, "MPGE_endCoder"));
    ASSERT_TRUE(init_ && set_ && get_ && detect_ && frame_ && close_ && end_);
    g_feed = Feed{};
  }
  void TearDown() override {
    if (module_) FreeLibrary(module_);
    HostSetModulePath("");
  }

  // The converter's sequence of settings.
  void Configure(Mp3InputDesc* input, std::uint32_t channelMode, std::uint32_t kbps, std::uint32_t rate) {
    init_();
    EXPECT_EQ(set_(kGogoInput, kGogoInputByFunction, reinterpret_cast<std::uintptr_t>(input)), kGogoNoError);
    EXPECT_EQ(set_(kGogoOutput, kGogoOutputByFunction, reinterpret_cast<std::uintptr_t>(&WriteOutput)), kGogoNoError);
    EXPECT_EQ(set_(9, 1, 0), kGogoNoError);
    EXPECT_EQ(set_(8, 0, 0), kGogoNoError);
    EXPECT_EQ(set_(10, 1, 0), kGogoNoError);
    EXPECT_EQ(set_(kGogoChannelMode, channelMode, 0), kGogoNoError);
    EXPECT_EQ(set_(kGogoBitRate, kbps, 0), kGogoNoError);
    EXPECT_EQ(set_(kGogoOutputRate, rate, 0), kGogoNoError);
  }

  HMODULE module_ = nullptr;
  MpgeInitializeWork init_ = nullptr;
  MpgeSetConfigure set_ = nullptr;
  MpgeGetConfigure get_ = nullptr;
  MpgeDetectConfigure detect_ = nullptr;
  MpgeProcessFrame frame_ = nullptr;
  MpgeCloseCoder close_ = nullptr;
  MpgeEndCoder end_ = nullptr;
};

TEST_F(GogoModule, DetectRefusesWhatItCannotEncodeAsGiven) {
  struct Case {
    const char* what;
    std::uint32_t bits, rate, channels, channelMode, outputRate;
  } cases[] = {
      {"rate differs from the output rate", 16, 44100, 2, kGogoJointStereo, 22050},
      {"8-bit input", 8, 44100, 2, kGogoJointStereo, 44100},
      {"three channels", 16, 44100, 3, kGogoJointStereo, 44100},
      {"mono mode for stereo input", 16, 44100, 2, kGogoMono, 44100},
      {"a rate MP3 has not", 16, 7000, 1, kGogoMono, 7000},
  };
  for (const Case& c : cases) {
    Mp3InputDesc input{&ReadInput, 4608, c.bits, c.rate, c.channels};
    Configure(&input, c.channelMode, 128, c.outputRate);
    EXPECT_NE(detect_(), kGogoNoError) << c.what;
    end_();
  }
  // No output function.
  Mp3InputDesc input{&ReadInput, 4608, 16, 44100, 2};
  init_();
  set_(kGogoInput, kGogoInputByFunction, reinterpret_cast<std::uintptr_t>(&input));
  set_(kGogoOutputRate, 44100, 0);
  EXPECT_NE(detect_(), kGogoNoError);
  EXPECT_NE(set_(77, 0, 0), kGogoNoError);
  end_();
}

TEST_F(GogoModule, AsksOnlyForWhatRemainsAndEndsWithPlainFrames) {
  // 2.5 frames of stereo input: the third request is for the half frame.
  const std::size_t frames = 1152 * 2 + 576;
  g_feed.pcm = pcm_signal::Bytes(pcm_signal::Tones({1000.0, 1000.0}, 44100, frames, 0.5));
  Mp3InputDesc input{&ReadInput, static_cast<std::uint32_t>(g_feed.pcm.size()), 16, 44100, 2};
  Configure(&input, kGogoJointStereo, 128, 44100);
  ASSERT_EQ(detect_(), kGogoNoError);
  std::uint32_t result = kGogoNoError;
  int calls = 0;
  while ((result = frame_()) == kGogoNoError) ++calls;
  EXPECT_EQ(result, kGogoFinished);
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(g_feed.requests, (std::vector<std::uint32_t>{4608, 4608, 2304}));
  close_();
  end_();
  // Every frame is sound: CBR 128 kbit/s at 44.1 kHz, no info frame.
  ASSERT_GE(g_feed.mp3.size(), 4u);
  EXPECT_EQ(g_feed.mp3[0], 0xFF);
  EXPECT_EQ(g_feed.mp3[1] & 0xE0, 0xE0);
  EXPECT_EQ(g_feed.mp3[2] >> 4, 9);  // 128 kbit/s in the MPEG-1 Layer III table
  const std::string bytes(g_feed.mp3.begin(), g_feed.mp3.end());
  EXPECT_EQ(bytes.find("Info"), std::string::npos);
  EXPECT_EQ(bytes.find("Xing"), std::string::npos);
  EXPECT_EQ(bytes.find("TAG"), std::string::npos);
}

TEST_F(GogoModule, BitRatesTheFrameCannotCarryBecomeTheNearest) {
  struct Case {
    std::uint32_t rate, channels, asked, carried;
  } cases[] = {{44100, 2, 16, 32}, {44100, 1, 8, 32}, {44100, 1, 24, 32}, {22050, 2, 320, 160},
               {22050, 2, 192, 160}, {22050, 1, 8, 8},  {44100, 2, 320, 320}};
  for (const Case& c : cases) {
    g_feed = Feed{};
    g_feed.pcm.assign(4608, 0);
    Mp3InputDesc input{&ReadInput, 4608, 16, c.rate, c.channels};
    Configure(&input, c.channels == 2 ? kGogoJointStereo : kGogoMono, c.asked, c.rate);
    ASSERT_EQ(detect_(), kGogoNoError);
    std::uint32_t kbps = 0;
    EXPECT_EQ(get_(kGogoBitRate, &kbps), kGogoNoError);
    EXPECT_EQ(kbps, c.carried) << c.rate << " Hz, " << c.asked << " kbit/s";
    close_();
    end_();
  }
}

}  // namespace
