// Wave-out on the manual device under the virtual clock: buffers come back in
// order as their play time passes, a reset hands back every queued buffer, a
// close fails while buffers are queued, the callback may write again, and a
// slow driver thread does not let a sleeping poller run ahead of the sound.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "host/audio/audio_backend.h"
#include "host/audio/wave_out_api.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

struct Recorder {
  std::mutex lock;
  std::vector<DWORD_PTR> done;
  bool rewrite = false;
  int stallMs = 0;  // real time each callback takes
};

void Callback(HWAVEOUT device, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
  auto* recorder = reinterpret_cast<Recorder*>(instance);
  if (message != MM_WOM_DONE) return;
  auto* header = reinterpret_cast<WAVEHDR*>(param1);
  std::this_thread::sleep_for(std::chrono::milliseconds(recorder->stallMs));
  bool rewrite;
  {
    std::lock_guard guard(recorder->lock);
    recorder->done.push_back(header->dwUser);
    rewrite = recorder->rewrite;
  }
  if (rewrite) {
    waveOutUnprepareHeader(device, header, sizeof(WAVEHDR));
    waveOutPrepareHeader(device, header, sizeof(WAVEHDR));
    waveOutWrite(device, header, sizeof(WAVEHDR));
  }
}

class WaveOutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostClockSetMode(HostClockMode::Virtual);
    HostAudioSetDevice(HostAudioDevice::Manual);
    for (int i = 0; i < 3; ++i) {
      buffers[i].assign(8820, static_cast<char>(i + 1));  // 50 ms at 44,100 Hz stereo
      headers[i] = {};
      headers[i].lpData = buffers[i].data();
      headers[i].dwBufferLength = 8820;
      headers[i].dwUser = static_cast<DWORD_PTR>(i);
    }
  }
  void TearDown() override { HostAudioSetCapture(""); }
  void OpenDevice() {
    const WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(&Callback),
                          reinterpret_cast<DWORD_PTR>(&recorder), CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
  }
  void QueueAll() {
    for (auto& header : headers) {
      ASSERT_EQ(waveOutPrepareHeader(device, &header, sizeof header), MMSYSERR_NOERROR);
      ASSERT_EQ(waveOutWrite(device, &header, sizeof header), MMSYSERR_NOERROR);
    }
  }
  std::vector<DWORD_PTR> Done() {
    std::lock_guard guard(recorder.lock);
    return recorder.done;
  }
  DWORD Position() {
    MMTIME time{TIME_BYTES, {}};
    waveOutGetPosition(device, &time, sizeof time);
    return time.u.cb;
  }
  void Advance(DWORD ms) {
    HostClockAdvance(ms);
    HostWaveOutSettle();
  }

  Recorder recorder;
  HWAVEOUT device = nullptr;
  std::vector<char> buffers[3];
  WAVEHDR headers[3];
};

TEST_F(WaveOutTest, BuffersComeBackInOrderAsTheirPlayTimePasses) {
  ScopedTempDir dir("wave_out");
  HostAudioSetCapture(dir.HostPath("played.wav"));
  OpenDevice();
  QueueAll();
  Advance(49);
  EXPECT_TRUE(Done().empty());
  EXPECT_EQ(Position(), 49u * 176400 / 1000 / 4 * 4);
  Advance(1);
  EXPECT_EQ(Done(), (std::vector<DWORD_PTR>{0}));
  EXPECT_EQ(waveOutUnprepareHeader(device, &headers[1], sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
  EXPECT_EQ(waveOutClose(device), WAVERR_STILLPLAYING);
  Advance(100);
  EXPECT_EQ(Done(), (std::vector<DWORD_PTR>{0, 1, 2}));
  // Running dry does not count as playing.
  Advance(500);
  EXPECT_EQ(Position(), 3u * 8820);
  ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
  // The capture holds exactly what was played, in order.
  const std::vector<std::uint8_t> wav = ReadFileBytes(dir.HostPath("played.wav"));
  ASSERT_EQ(wav.size(), 44u + 3 * 8820);
  EXPECT_EQ(wav[44], 1);
  EXPECT_EQ(wav[44 + 8820], 2);
  EXPECT_EQ(wav[44 + 2 * 8820], 3);
}

TEST_F(WaveOutTest, ResetHandsEveryBufferBackAndTheCallbackMayWriteAgain) {
  OpenDevice();
  recorder.rewrite = true;
  QueueAll();
  Advance(160);
  const std::size_t played = Done().size();
  EXPECT_EQ(played, 3u);
  {
    std::lock_guard guard(recorder.lock);
    recorder.rewrite = false;
  }
  ASSERT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
  EXPECT_EQ(Position(), 0u);
  HostWaveOutSettle();
  EXPECT_EQ(Done().size(), played + 3);
  EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutWrite(device, &headers[0], sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
}

TEST_F(WaveOutTest, OpenRefusesOtherFormatsAndCanBeMadeToFail) {
  HWAVEOUT other = nullptr;
  const WAVEFORMATEX eightBit{WAVE_FORMAT_PCM, 2, 22050, 44100, 2, 8, 0};
  EXPECT_EQ(waveOutOpen(&other, WAVE_MAPPER, &eightBit, 0, 0, CALLBACK_NULL), WAVERR_BADFORMAT);
  const WAVEFORMATEX good{WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0};
  HostWaveOutFailOpens(1);
  EXPECT_NE(waveOutOpen(&other, WAVE_MAPPER, &good, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
  HostAudioSetDevice(HostAudioDevice::FailOpen);
  EXPECT_NE(waveOutOpen(&other, WAVE_MAPPER, &good, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
  HostAudioSetDevice(HostAudioDevice::Manual);
  ASSERT_EQ(waveOutOpen(&other, WAVE_MAPPER, &good, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutClose(other), MMSYSERR_NOERROR);
}

}  // namespace

// A loop that polls in Sleep for a buffer to come back (as stopping a sound
// does) sees it when its play time has passed, however long the machine keeps
// the driver thread waiting: the clock does not run on meanwhile.
TEST_F(WaveOutTest, APollingSleepWaitsForASlowDriverInsteadOfRunningTheClockOn) {
  OpenDevice();
  recorder.stallMs = 30;
  QueueAll();
  const DWORD start = timeGetTime();
  while (Done().empty()) Sleep(1);
  EXPECT_LE(timeGetTime() - start, 51u);
  while (Done().size() < 3) Sleep(1);
  EXPECT_LE(timeGetTime() - start, 151u);
  EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}
