// Page memory for the converter's large blocks.
#include <gtest/gtest.h>

#include <cstring>

#include "host/memory/memory_api.h"
#include "host/run/call_log.h"

namespace {

TEST(VirtualMemory, BlocksAreZeroWritableAndReleasedWhole) {
  const SIZE_T bytes = (8u << 20) + 123;
  auto* block = static_cast<unsigned char*>(VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block[0], 0);
  EXPECT_EQ(block[bytes - 1], 0);
  std::memset(block, 0x5A, bytes);
  EXPECT_EQ(VirtualFree(block, bytes, MEM_RELEASE), FALSE);  // a release names no size
  EXPECT_EQ(VirtualFree(block, 0, MEM_RELEASE), TRUE);
  EXPECT_EQ(VirtualFree(block, 0, MEM_RELEASE), FALSE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
}

TEST(VirtualMemory, RefusesBadRequestsAndInjectedFailures) {
  int local = 0;
  EXPECT_EQ(VirtualAlloc(&local, 4096, MEM_COMMIT, PAGE_READWRITE), nullptr);
  EXPECT_EQ(VirtualAlloc(nullptr, 0, MEM_COMMIT, PAGE_READWRITE), nullptr);
  EXPECT_EQ(VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_READWRITE), nullptr);
  HostFailCall("VirtualAlloc");
  EXPECT_EQ(VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_READWRITE), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  HostClearFailures();
  HostLimitAllocations(4096);
  EXPECT_EQ(VirtualAlloc(nullptr, 8192, MEM_COMMIT, PAGE_READWRITE), nullptr);
  void* small = VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
  EXPECT_NE(small, nullptr);
  EXPECT_EQ(VirtualFree(small, 0, MEM_RELEASE), TRUE);
  HostClearFailures();
}

}  // namespace
