// The worker-thread class with both controllers: hook order, waits, stop
// requests, start failures and destruction.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/runtime/thread_ctrl.h"
#include "common/win_thread_master.h"
#include "converter/job/thread_ctrl.h"
#include "host/files/file_api.h"
#include "host/threads/thread_api.h"
#include "host/time/time_api.h"

namespace {

// A gate the test opens to let a thread's Run finish.
class Gate {
 public:
  void Open() { m_open = true; }
  void Pass() const {
    while (!m_open) Sleep(1);
  }

 private:
  std::atomic<bool> m_open{false};
};

class RecordingThread : public CWinThreadMaster {
 public:
  explicit RecordingThread(std::int32_t result = 7) : m_result(result) {}
  ~RecordingThread() override {
    // Run touches this object's members: the thread must be over first.
    if (ThreadHandle()) WaitForSingleObject(ThreadHandle(), INFINITE);
  }

  std::int32_t Run() override {
    Record("Run");
    m_inRun = true;
    m_gate.Pass();
    return m_result;
  }
  void WaitUntilInRun() const {
    while (!m_inRun) Sleep(1);
  }
  void OnStart() override { Record("OnStart"); }
  void OnKill() override { Record("OnKill"); }
  void OnThreadId(DWORD id) override {
    m_idGiven = id;
    Record("OnThreadId");
  }
  void OnThreadBegin() override {
    m_idSeen = GetCurrentThreadId();
    Record("OnThreadBegin");
  }
  void OnThreadEnd() override { Record("OnThreadEnd"); }

  std::vector<std::string> Events() {
    std::lock_guard<std::mutex> guard(m_mutex);
    return m_events;
  }

  Gate m_gate;
  std::atomic<bool> m_inRun{false};
  DWORD m_idGiven = 0;
  std::atomic<DWORD> m_idSeen{0};

 private:
  void Record(const char* event) {
    std::lock_guard<std::mutex> guard(m_mutex);
    m_events.emplace_back(event);
  }

  std::int32_t m_result;
  std::mutex m_mutex;
  std::vector<std::string> m_events;
};

DWORD ExitCode(HANDLE thread) {
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  return code;
}

TEST(ConverterThreadCtrlTest, HooksRunInOrderAndTheExitCodeIsRunsResult) {
  RecordingThread thread(42);
  thread.m_gate.Open();
  reelpack::CThreadCtrl control(&thread);
  control.Start();
  EXPECT_EQ(control.Wait(INFINITE), 1);
  EXPECT_EQ(thread.Events(),
            (std::vector<std::string>{"OnStart", "OnThreadId", "OnThreadBegin", "Run", "OnThreadEnd"}));
  EXPECT_EQ(thread.m_idSeen, thread.m_idGiven);
  EXPECT_EQ(ExitCode(thread.ThreadHandle()), 42u);
  control.CloseHandle();
  EXPECT_EQ(thread.ThreadHandle(), nullptr);
}

TEST(ConverterThreadCtrlTest, WaitsWithTimeouts) {
  RecordingThread thread;
  reelpack::CThreadCtrl control(&thread);
  control.Start();
  EXPECT_EQ(control.Wait(0), 0);
  EXPECT_EQ(control.Wait(20), 0);
  EXPECT_EQ(control.IsRunning(), 1);
  EXPECT_EQ(ExitCode(thread.ThreadHandle()), STILL_ACTIVE);
  thread.m_gate.Open();
  EXPECT_EQ(control.Wait(INFINITE), 1);
  EXPECT_EQ(control.Wait(INFINITE), 1);  // at once on an ended thread
  EXPECT_EQ(control.Wait(0), 1);
  EXPECT_EQ(control.IsRunning(), 0);
  control.CloseHandle();
}

TEST(ConverterThreadCtrlTest, NeverStartedObject) {
  RecordingThread thread;
  reelpack::CThreadCtrl control(&thread);
  EXPECT_EQ(control.IsRunning(), 0);
  EXPECT_THROW(control.Wait(0), CCtrlFailed);
  EXPECT_THROW(control.Wait(INFINITE), CCtrlFailed);
  control.CloseHandle();  // nothing to close
  EXPECT_TRUE(thread.Events().empty());
}

TEST(ConverterThreadCtrlTest, KillOnlyMarks) {
  RecordingThread thread(5);
  reelpack::CThreadCtrl control(&thread);
  control.Start();
  control.Kill();
  EXPECT_EQ(thread.State(), kThreadKillRequested);
  EXPECT_EQ(control.Wait(0), 0);  // still running: nothing acted on the request
  thread.m_gate.Open();
  EXPECT_EQ(control.Wait(INFINITE), 1);
  EXPECT_EQ(ExitCode(thread.ThreadHandle()), 5u);  // Run completed normally
  EXPECT_THROW(thread.CheckKill(), CExKilledByCtrl);
  control.CloseHandle();
}

TEST(ConverterThreadCtrlTest, StartFailureThrowsWithoutThreadHooks) {
  RecordingThread thread;
  reelpack::CThreadCtrl control(&thread);
  HostFailThreadCreation(1);
  EXPECT_THROW(control.Start(), CCtrlFailed);
  EXPECT_EQ(thread.Events(), std::vector<std::string>{"OnStart"});
  EXPECT_EQ(thread.ThreadHandle(), nullptr);
  EXPECT_THROW(control.Wait(0), CCtrlFailed);
  // The injected failure is used up: the next start works.
  thread.m_gate.Open();
  control.Start();
  EXPECT_EQ(control.Wait(INFINITE), 1);
  control.CloseHandle();
}

// Polls CheckKill until a stop is requested.
class StoppableThread : public CWinThreadMaster {
 public:
  ~StoppableThread() override {
    if (ThreadHandle()) WaitForSingleObject(ThreadHandle(), INFINITE);
  }
  std::int32_t Run() override {
    for (;;) {
      CheckKill();
      Sleep(1);
    }
  }
  void OnThreadEnd() override { m_ended = true; }
  std::atomic<bool> m_ended{false};
};

TEST(ConverterThreadCtrlTest, CheckKillEndsTheThreadWithTheKilledCode) {
  StoppableThread thread;
  reelpack::CThreadCtrl control(&thread);
  control.Start();
  EXPECT_EQ(control.Wait(10), 0);
  control.Kill();
  EXPECT_EQ(control.Wait(INFINITE), 1);
  EXPECT_EQ(ExitCode(thread.ThreadHandle()), static_cast<DWORD>(kThreadExitKilled));
  EXPECT_TRUE(thread.m_ended);
  control.CloseHandle();
}

class ThrowingThread : public CWinThreadMaster {
 public:
  std::int32_t Run() override { throw std::runtime_error("failed"); }
};

TEST(ConverterThreadCtrlTest, OtherExceptionsNeverLeaveTheThread) {
  ThrowingThread thread;
  reelpack::CThreadCtrl control(&thread);
  control.Start();
  EXPECT_EQ(control.Wait(INFINITE), 1);
  EXPECT_EQ(ExitCode(thread.ThreadHandle()), static_cast<DWORD>(kThreadExitFailed));
  control.CloseHandle();
}

TEST(WinThreadMasterTest, DestructionClosesTheHandle) {
  HANDLE handle;
  {
    // RecordingThread waits for its Run in its own destructor, as a derived
    // class must; the base then closes the handle nobody closed.
    RecordingThread thread;
    thread.m_gate.Open();
    reelpack::CThreadCtrl(&thread).Start();
    handle = thread.ThreadHandle();
  }
  EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_FAILED);
}

TEST(EngineThreadCtrlTest, StartsWaitsAndNeverThrows) {
  RecordingThread thread(3);
  CThreadCtrl control(&thread);
  EXPECT_EQ(control.Wait(0), 0);  // no thread yet: no exception
  EXPECT_EQ(control.IsRunning(), 0);
  ASSERT_EQ(control.Start(), 1);
  EXPECT_EQ(control.Wait(0), 0);
  EXPECT_EQ(control.IsRunning(), 1);
  thread.WaitUntilInRun();
  control.Kill();
  EXPECT_EQ(thread.State(), kThreadKillRequested);
  thread.m_gate.Open();
  EXPECT_EQ(control.Wait(INFINITE), 1);
  EXPECT_EQ(thread.Events(), (std::vector<std::string>{"OnStart", "OnThreadId", "OnThreadBegin", "Run", "OnKill",
                                                       "OnThreadEnd"}));
  EXPECT_EQ(ExitCode(thread.ThreadHandle()), 3u);
  control.CloseHandle();
  EXPECT_EQ(thread.ThreadHandle(), nullptr);
}

TEST(EngineThreadCtrlTest, StartFailureReturnsZero) {
  RecordingThread thread;
  CThreadCtrl control(&thread);
  HostFailThreadCreation(1);
  EXPECT_EQ(control.Start(), 0);
  EXPECT_EQ(thread.Events(), std::vector<std::string>{"OnStart"});
  EXPECT_EQ(control.Wait(INFINITE), 0);
}

}  // namespace
