// The host's thread calls and critical sections.
#include <gtest/gtest.h>

#include <atomic>

#include "host/files/file_api.h"
#include "host/threads/thread_api.h"
#include "host/time/time_api.h"

namespace {

std::atomic<int> g_calls{0};

DWORD CountCall(LPVOID parameter) {
  ++g_calls;
  return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(parameter));
}

TEST(HostThreadsTest, SuspendedThreadRunsOnlyAfterResume) {
  g_calls = 0;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, CountCall, reinterpret_cast<LPVOID>(9), CREATE_SUSPENDED, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_EQ(WaitForSingleObject(thread, 20), WAIT_TIMEOUT);
  EXPECT_EQ(g_calls, 0);
  EXPECT_EQ(ResumeThread(thread), 1u);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(g_calls, 1);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 9u);
  EXPECT_EQ(ResumeThread(thread), 0u);
  EXPECT_TRUE(CloseHandle(thread));
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_FAILED);
  EXPECT_FALSE(CloseHandle(thread));
}

TEST(HostThreadsTest, RuntimeCallAndFailures) {
  unsigned id = 0;
  const std::uintptr_t thread = _beginthreadex(
      nullptr, 0, [](void*) -> unsigned { return 4; }, nullptr, 0, &id);
  ASSERT_NE(thread, 0u);
  EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(thread), INFINITE), WAIT_OBJECT_0);
  CloseHandle(reinterpret_cast<HANDLE>(thread));

  HostFailThreadCreation(2);
  EXPECT_EQ(_beginthreadex(nullptr, 0, [](void*) -> unsigned { return 0; }, nullptr, 0, &id), 0u);
  EXPECT_EQ(CreateThread(nullptr, 0, CountCall, nullptr, 0, nullptr), nullptr);
  HANDLE third = CreateThread(nullptr, 0, CountCall, nullptr, 0, nullptr);
  ASSERT_NE(third, nullptr);
  WaitForSingleObject(third, INFINITE);
  CloseHandle(third);
}

TEST(HostThreadsTest, WaitOnANonThreadHandleFails) {
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
  EXPECT_EQ(ResumeThread(nullptr), 0xFFFFFFFFu);
}

TEST(HostThreadsTest, CriticalSectionIsReentrantAndExclusive) {
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  EXPECT_TRUE(TryEnterCriticalSection(&section));  // the owner may enter again
  static CRITICAL_SECTION* shared;
  shared = &section;
  HANDLE other = CreateThread(
      nullptr, 0, [](LPVOID) -> DWORD { return TryEnterCriticalSection(shared) ? 1 : 0; }, nullptr, 0, nullptr);
  WaitForSingleObject(other, INFINITE);
  DWORD entered = 2;
  GetExitCodeThread(other, &entered);
  EXPECT_EQ(entered, 0u);
  CloseHandle(other);
  LeaveCriticalSection(&section);
  LeaveCriticalSection(&section);
  DeleteCriticalSection(&section);
}

}  // namespace
