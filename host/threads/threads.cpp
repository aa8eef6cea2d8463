// Threads on std::thread, each with a shared record that outlives both the
// thread and its handle: the handle table holds it until CloseHandle, and the
// thread keeps its own reference until it ends.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "host/base/handle_table.h"
#include "host/threads/thread_api.h"

namespace {

struct ThreadRecord : HostObject {
  std::mutex mutex;
  std::condition_variable changed;
  bool resumed = false;
  bool ended = false;
  DWORD exitCode = STILL_ACTIVE;
  DWORD id = 0;
};

std::atomic<unsigned> g_failuresToInject{0};
std::atomic<DWORD> g_nextThreadId{1};
thread_local DWORD t_threadId = 0;

std::shared_ptr<ThreadRecord> FindThread(HANDLE handle) { return HostHandleGetAs<ThreadRecord>(handle); }

bool TakeInjectedFailure() {
  unsigned pending = g_failuresToInject.load();
  while (pending > 0) {
    if (g_failuresToInject.compare_exchange_weak(pending, pending - 1)) return true;
  }
  return false;
}

HANDLE StartThread(std::function<DWORD()> routine, bool suspended, DWORD* threadId) {
  if (TakeInjectedFailure()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto record = std::make_shared<ThreadRecord>();
  record->id = g_nextThreadId++;
  record->resumed = !suspended;
  try {
    std::thread([record, routine = std::move(routine)] {
      t_threadId = record->id;
      {
        std::unique_lock<std::mutex> lock(record->mutex);
        record->changed.wait(lock, [&] { return record->resumed; });
      }
      DWORD exitCode = routine();
      {
        std::lock_guard<std::mutex> guard(record->mutex);
        record->exitCode = exitCode;
        record->ended = true;
      }
      record->changed.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (threadId) *threadId = record->id;
  return HostHandleAdd(std::move(record));
}

std::recursive_mutex* LockOf(CRITICAL_SECTION* section) {
  return static_cast<std::recursive_mutex*>(section->lock);
}

}  // namespace

HANDLE CreateThread(SECURITY_ATTRIBUTES*, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD flags, DWORD* threadId) {
  if (!start) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return StartThread([start, parameter] { return start(parameter); }, (flags & CREATE_SUSPENDED) != 0,
                     threadId);
}

std::uintptr_t _beginthreadex(void*, unsigned, unsigned (*start)(void*), void* argument, unsigned flags,
                              unsigned* threadId) {
  if (!start) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DWORD id = 0;
  HANDLE handle = StartThread([start, argument] { return static_cast<DWORD>(start(argument)); },
                              (flags & CREATE_SUSPENDED) != 0, &id);
  if (handle && threadId) *threadId = id;
  return reinterpret_cast<std::uintptr_t>(handle);
}

DWORD ResumeThread(HANDLE thread) {
  auto record = FindThread(thread);
  if (!record) return 0xFFFFFFFFu;
  bool wasSuspended;
  {
    std::lock_guard<std::mutex> guard(record->mutex);
    wasSuspended = !record->resumed;
    record->resumed = true;
  }
  record->changed.notify_all();
  return wasSuspended ? 1 : 0;
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  auto record = FindThread(object);
  if (!record) return WAIT_FAILED;
  std::unique_lock<std::mutex> lock(record->mutex);
  auto ended = [&] { return record->ended; };
  if (milliseconds == INFINITE) {
    record->changed.wait(lock, ended);
    return WAIT_OBJECT_0;
  }
  return record->changed.wait_for(lock, std::chrono::milliseconds(milliseconds), ended) ? WAIT_OBJECT_0
                                                                                        : WAIT_TIMEOUT;
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
  auto record = FindThread(thread);
  if (!record || !exitCode) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> guard(record->mutex);
  *exitCode = record->exitCode;
  return TRUE;
}

DWORD GetCurrentThreadId() {
  if (t_threadId == 0) t_threadId = g_nextThreadId++;
  return t_threadId;
}

void HostFailThreadCreation(unsigned count) { g_failuresToInject = count; }

void InitializeCriticalSection(CRITICAL_SECTION* section) { section->lock = new std::recursive_mutex; }

void DeleteCriticalSection(CRITICAL_SECTION* section) {
  delete LockOf(section);
  section->lock = nullptr;
}

void EnterCriticalSection(CRITICAL_SECTION* section) { LockOf(section)->lock(); }

BOOL TryEnterCriticalSection(CRITICAL_SECTION* section) { return LockOf(section)->try_lock() ? TRUE : FALSE; }

void LeaveCriticalSection(CRITICAL_SECTION* section) { LockOf(section)->unlock(); }
