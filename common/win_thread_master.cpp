#include "common/win_thread_master.h"

#include "host/files/file_api.h"
#include "host/threads/thread_api.h"

namespace {

std::int32_t RunStoppable(CWinThreadMaster* object) {
  try {
    return object->Run();
  } catch (const CExKilledByCtrl&) {
    return kThreadExitKilled;
  }
}

}  // namespace

CWinThreadMaster::~CWinThreadMaster() {
  if (!m_thread) return;
  // A thread deleting its own object cannot wait for itself.
  if (m_threadId != GetCurrentThreadId()) WaitForSingleObject(m_thread, INFINITE);
  CloseThreadHandle();
}

std::int32_t CWinThreadMaster::Run() { return 0; }
void CWinThreadMaster::OnStart() {}
void CWinThreadMaster::OnKill() {}
void CWinThreadMaster::OnThreadId(DWORD) {}
void CWinThreadMaster::OnThreadBegin() {}
void CWinThreadMaster::OnThreadEnd() {}

void CWinThreadMaster::CheckKill() {
  if (m_state == kThreadKillRequested) throw CExKilledByCtrl();
}

std::int32_t CWinThreadMaster::BeginThread(StartCall call) {
  DWORD id = 0;
  HANDLE thread;
  if (call == StartCall::Kernel) {
    thread = CreateThread(nullptr, 0, &CWinThreadMaster::ThreadEntry, this, CREATE_SUSPENDED, &id);
  } else {
    unsigned runtimeId = 0;
    thread = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, &CWinThreadMaster::ThreadEntry, this, CREATE_SUSPENDED, &runtimeId));
    id = runtimeId;
  }
  if (!thread) return 0;
  m_thread = thread;
  m_threadId = id;
  OnThreadId(id);
  ResumeThread(thread);
  return 1;
}

std::int32_t CWinThreadMaster::CloseThreadHandle() {
  if (m_thread) {
    CloseHandle(m_thread);
    m_thread = nullptr;
  }
  return 1;
}

DWORD CWinThreadMaster::ThreadEntry(void* object) {
  auto* self = static_cast<CWinThreadMaster*>(object);
  std::int32_t result = kThreadExitFailed;
  try {
    self->OnThreadBegin();
    result = RunStoppable(self);
    self->OnThreadEnd();
  } catch (...) {
    result = kThreadExitFailed;
  }
  return static_cast<DWORD>(result);
}

DWORD CWinThreadMaster::WaitThread(DWORD milliseconds) const {
  return m_thread ? WaitForSingleObject(m_thread, milliseconds) : WAIT_FAILED;
}

std::int32_t CWinThreadMaster::IsThreadRunning() const {
  return m_thread && WaitThread(0) == WAIT_TIMEOUT ? 1 : 0;
}
