// Threads, waits and critical sections with the platform's calls.
//
// A thread handle stays valid until CloseHandle (host/file_api.h); closing it
// does not end the thread. Threads may be created suspended: nothing of the thread's routine
// runs before ResumeThread. A thread's exit code is its routine's result.
#pragma once

#include <cstdint>

#include "host/base/win_types.h"

struct SECURITY_ATTRIBUTES;

inline constexpr DWORD CREATE_SUSPENDED = 0x4;
inline constexpr DWORD INFINITE = 0xFFFFFFFFu;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 0x102;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
inline constexpr DWORD STILL_ACTIVE = 0x103;

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);

// The kernel's call (the engine): null on failure.
HANDLE CreateThread(SECURITY_ATTRIBUTES* security, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD flags, DWORD* threadId);
// The runtime library's call (the converter): the handle as an integer, 0 on failure.
std::uintptr_t _beginthreadex(void* security, unsigned stackSize, unsigned (*start)(void*),
                              void* argument, unsigned flags, unsigned* threadId);
// Returns the suspend count before the call (0 for a running thread), or
// 0xFFFFFFFF for a handle that is not a thread.
DWORD ResumeThread(HANDLE thread);
// WAIT_OBJECT_0 once the thread has ended, WAIT_TIMEOUT when the time ran out,
// WAIT_FAILED for a handle that is not a thread.
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
// STILL_ACTIVE while the thread runs.
BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);
DWORD GetCurrentThreadId();

// The platform's critical section: re-entrant for the owning thread.
struct CRITICAL_SECTION {
  void* lock = nullptr;
};
void InitializeCriticalSection(CRITICAL_SECTION* section);
void DeleteCriticalSection(CRITICAL_SECTION* section);
void EnterCriticalSection(CRITICAL_SECTION* section);
BOOL TryEnterCriticalSection(CRITICAL_SECTION* section);
void LeaveCriticalSection(CRITICAL_SECTION* section);

// Holds a critical section for its scope (not a platform call).
class CriticalSectionLock {
 public:
  explicit CriticalSectionLock(CRITICAL_SECTION* section) : m_section(section) { EnterCriticalSection(section); }
  ~CriticalSectionLock() { LeaveCriticalSection(m_section); }
  CriticalSectionLock(const CriticalSectionLock&) = delete;
  CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

 private:
  CRITICAL_SECTION* m_section;
};

// Test mode (not a platform call): the next `count` thread creations fail as if the system had no
// room for another thread.
void HostFailThreadCreation(unsigned count);
