// The worker-thread base class of the engine and the converter: a derived
// class overrides Run (and, if it wants, the hooks); a controller made on the
// stack around one object starts the thread, requests a stop and waits.
#pragma once

#include <atomic>
#include <cstdint>

#include "host/base/win_types.h"

// Thrown by CheckKill once a stop has been requested.
class CExKilledByCtrl {};

// The state word after a stop request; it is never reset.
inline constexpr std::uint32_t kThreadKillRequested = 0x80000001u;
// Exit codes of a thread whose Run left by an exception instead of returning:
// through CheckKill's stop, or through anything else.
inline constexpr std::int32_t kThreadExitKilled = static_cast<std::int32_t>(kThreadKillRequested);
inline constexpr std::int32_t kThreadExitFailed = -1;

class CWinThreadMaster {
 public:
  // How the thread is created: the runtime library's call (the converter) or
  // the kernel's (the engine).
  enum class StartCall { RuntimeLibrary, Kernel };

  CWinThreadMaster() = default;
  // Waits for a thread that is still running and closes its handle, so no
  // thread outlives its object. A derived class whose Run may still be busy
  // must stop it in its own destructor, before its members go.
  virtual ~CWinThreadMaster();
  CWinThreadMaster(const CWinThreadMaster&) = delete;
  CWinThreadMaster& operator=(const CWinThreadMaster&) = delete;

  // What a derived thread overrides: its work and the hooks around it.
  virtual std::int32_t Run();
  virtual void OnStart();
  virtual void OnKill();
  virtual void OnThreadId(DWORD threadId);
  virtual void OnThreadBegin();
  virtual void OnThreadEnd();
  // Throws CExKilledByCtrl when a stop has been requested.
  virtual void CheckKill();

  // Creates the thread suspended, keeps its handle, calls OnThreadId and lets
  // it run: 1. When the thread cannot be created: 0, and no hook is called.
  std::int32_t BeginThread(StartCall call = StartCall::RuntimeLibrary);
  // Closes the handle when there is one; returns 1.
  std::int32_t CloseThreadHandle();
  // The thread's start routine: OnThreadBegin, Run, OnThreadEnd; the exit
  // code is Run's result. No exception leaves it.
  static DWORD ThreadEntry(void* object);

  // The controllers' shared steps.
  void MarkKilled() { m_state = kThreadKillRequested; }
  // WaitForSingleObject on the handle; WAIT_FAILED when there is none.
  DWORD WaitThread(DWORD milliseconds) const;
  // 1 when there is a handle and its thread has not ended.
  std::int32_t IsThreadRunning() const;

  HANDLE ThreadHandle() const { return m_thread; }
  std::uint32_t State() const { return m_state; }

 private:
  HANDLE m_thread = nullptr;
  DWORD m_threadId = 0;
  std::atomic<std::uint32_t> m_state{0};
};
