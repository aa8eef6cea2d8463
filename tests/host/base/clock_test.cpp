#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <thread>

#include "host/time/frame_costs.h"
#include "host/time/time_api.h"
#include "support/scoped_temp_dir.h"

namespace {

class VirtualClock : public ::testing::Test {
 protected:
  void SetUp() override {
    HostClockSetMode(HostClockMode::Virtual);
    HostClockSetVirtualNow(1000);
  }
  void TearDown() override { HostClockSetMode(HostClockMode::Real); }
};

TEST_F(VirtualClock, MovesOnlyThroughSleepAndAdvance) {
  EXPECT_EQ(timeGetTime(), 1000u);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(timeGetTime(), 1000u);
  EXPECT_EQ(GetTickCount(), 1000u);

  Sleep(250);
  EXPECT_EQ(timeGetTime(), 1250u);
  HostClockAdvance(50);
  EXPECT_EQ(GetTickCount(), 1300u);
  Sleep(0);
  EXPECT_EQ(timeGetTime(), 1300u);
  Sleep(3600 * 1000);  // an hour passes at once
  EXPECT_EQ(timeGetTime(), 3601300u);

  std::thread other([] { Sleep(7); });  // any thread's Sleep moves the shared clock
  other.join();
  EXPECT_EQ(timeGetTime(), 3601307u);

  HostClockSetVirtualNow(0xFFFFFFF0u);
  Sleep(0x20);
  EXPECT_EQ(timeGetTime(), 0x10u);  // wraps like the 32-bit counter
}

void WorkFor(std::chrono::milliseconds span) {
  const auto until = std::chrono::steady_clock::now() + span;
  while (std::chrono::steady_clock::now() < until) {
  }
}

// The recording thread's work between sleeps lands at the virtual instant it
// happened at; other threads' sleeps and the sleeps themselves are no work.
TEST_F(VirtualClock, FrameCostsNoteTheRecordingThreadsWorkPerInstant) {
  ScopedTempDir folder("frame_costs");
  const std::string path = folder.HostPath("costs.txt");
  HostFrameCostsStart(path);
  WorkFor(std::chrono::milliseconds(30));
  Sleep(16);  // at 1000
  std::thread other([] {
    WorkFor(std::chrono::milliseconds(60));
    Sleep(1);  // at 1016, another thread's: not noted
  });
  other.join();
  WorkFor(std::chrono::milliseconds(5));
  Sleep(1);  // at 1017
  HostFrameCostsBeginHostWork();  // a screenshot, say: not the program's work
  WorkFor(std::chrono::milliseconds(50));
  HostFrameCostsEndHostWork();
  WorkFor(std::chrono::milliseconds(5));
  Sleep(1);  // at 1018
  ASSERT_TRUE(HostFrameCostsFinish());
  Sleep(1);  // after the end: not noted

  std::map<unsigned, long long> costs;
  std::ifstream file(path);
  unsigned at = 0;
  long long microseconds = 0;
  while (file >> at >> microseconds) costs[at] = microseconds;
  ASSERT_EQ(costs.size(), 3u);
  EXPECT_GE(costs[1000], 30000);
  EXPECT_LT(costs[1000], 60000);
  // This thread waited in join through the other's 60 ms, then worked 5.
  EXPECT_GE(costs[1017], 65000);
  // The host's 50 ms are left out.
  EXPECT_GE(costs[1018], 5000);
  EXPECT_LT(costs[1018], 50000);
}

TEST(FrameCosts, UnwritableFileIsReported) {
  HostFrameCostsStart("/nonexistent-folder/costs.txt");
  EXPECT_FALSE(HostFrameCostsFinish());
}

TEST_F(VirtualClock, LocalTimeIsSetAndRunsWithVirtualTime) {
  SYSTEMTIME set{2026, 12, 4, 31, 23, 59, 59, 500};
  HostClockSetLocalTime(set);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  EXPECT_EQ(now.wYear, 2026);
  EXPECT_EQ(now.wSecond, 59);
  EXPECT_EQ(now.wMilliseconds, 500);

  Sleep(600);
  GetLocalTime(&now);
  EXPECT_EQ(now.wYear, 2027);
  EXPECT_EQ(now.wMonth, 1);
  EXPECT_EQ(now.wDay, 1);
  EXPECT_EQ(now.wDayOfWeek, 5);  // a Friday
  EXPECT_EQ(now.wHour, 0);
  EXPECT_EQ(now.wMinute, 0);
  EXPECT_EQ(now.wSecond, 0);
  EXPECT_EQ(now.wMilliseconds, 100);

  // Jumping the counter does not jump the calendar.
  HostClockSetVirtualNow(5);
  Sleep(1000);
  GetLocalTime(&now);
  EXPECT_EQ(now.wSecond, 1);
  EXPECT_EQ(now.wMilliseconds, 100);
}

TEST(RealClock, RunsAndSleeps) {
  HostClockSetMode(HostClockMode::Real);
  DWORD before = timeGetTime();
  Sleep(5);
  EXPECT_GE(static_cast<DWORD>(timeGetTime() - before), 5u);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  EXPECT_GE(now.wYear, 2024);
  EXPECT_GE(now.wMonth, 1);
  EXPECT_LE(now.wMonth, 12);
}

TEST(ClockDeathTest, EnvironmentChoosesVirtualModeAtFirstUse) {
  // The threadsafe style re-runs the program, so the child's clock is fresh.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  setenv("NOVEL_CLOCK", "virtual", 1);
  EXPECT_EXIT(
      {
        Sleep(40);
        std::exit(HostClockGetMode() == HostClockMode::Virtual && timeGetTime() == 40 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  unsetenv("NOVEL_CLOCK");
}

TEST(TimerCaps, PeriodsAndCapabilities) {
  TIMECAPS caps{};
  ASSERT_EQ(timeGetDevCaps(&caps, sizeof caps), TIMERR_NOERROR);
  EXPECT_EQ(caps.wPeriodMin, 1u);
  EXPECT_EQ(caps.wPeriodMax, 1000000u);
  EXPECT_EQ(timeGetDevCaps(nullptr, sizeof caps), TIMERR_NOCANDO);

  struct Period {
    UINT period;
    MMRESULT result;
  };
  const Period periods[] = {{0, TIMERR_NOCANDO}, {1, TIMERR_NOERROR}, {1000000, TIMERR_NOERROR},
                            {1000001, TIMERR_NOCANDO}};
  for (const auto& p : periods) {
    EXPECT_EQ(timeBeginPeriod(p.period), p.result) << p.period;
    EXPECT_EQ(timeEndPeriod(p.period), p.result) << p.period;
  }
}

}  // namespace
