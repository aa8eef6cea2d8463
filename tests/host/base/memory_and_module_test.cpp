#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "host/memory/memory_api.h"
#include "host/module/module_api.h"
#include "host/run/call_log.h"

namespace {

TEST(LocalHeap, ZeroInitAndFree) {
  // Dirty a block first so a reused one would show stale bytes.
  HLOCAL dirty = LocalAlloc(LMEM_FIXED, 4096);
  ASSERT_NE(dirty, nullptr);
  std::fill_n(static_cast<unsigned char*>(dirty), 4096, 0xA5);
  EXPECT_EQ(LocalFree(dirty), nullptr);

  auto* block = static_cast<unsigned char*>(LocalAlloc(LPTR, 4096));
  ASSERT_NE(block, nullptr);
  EXPECT_TRUE(std::all_of(block, block + 4096, [](unsigned char b) { return b == 0; }));
  EXPECT_EQ(LocalFree(block), nullptr);

  HLOCAL empty = LocalAlloc(LMEM_FIXED, 0);
  EXPECT_NE(empty, nullptr);
  EXPECT_EQ(LocalFree(empty), nullptr);
  EXPECT_EQ(LocalFree(nullptr), nullptr);
}

TEST(LocalHeap, FailsWhileATestSaysSo) {
  HostFailCall("LocalAlloc");
  SetLastError(0);
  EXPECT_EQ(LocalAlloc(LMEM_FIXED, 16), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  HostClearFailures();
  HLOCAL block = LocalAlloc(LMEM_FIXED, 16);
  EXPECT_NE(block, nullptr);
  LocalFree(block);
}

class ModulePath : public ::testing::Test {
 protected:
  void TearDown() override { HostSetModulePath(""); }
};

TEST_F(ModulePath, OverrideIsReportedInPlatformForm) {
  HostSetModulePath("/opt/\xE8\xA1\xA8/novel_ce5");
  const std::u16string expected = u"\\opt\\\u8868\\novel_ce5";
  WCHAR out[MAX_PATH];
  EXPECT_EQ(GetModuleFileNameW(nullptr, out, MAX_PATH), expected.size());
  EXPECT_EQ(std::u16string(out), expected);

  // Exactly room for the path but not its NUL: a cut copy and failure.
  WCHAR small[16];
  EXPECT_EQ(GetModuleFileNameW(nullptr, small, static_cast<DWORD>(expected.size())), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::u16string(small), expected.substr(0, expected.size() - 1));
  EXPECT_EQ(GetModuleFileNameW(nullptr, nullptr, 0), 0u);
}

TEST_F(ModulePath, RealPathIsThisProgram) {
  WCHAR out[4096];
  DWORD length = GetModuleFileNameW(nullptr, out, 4096);
  ASSERT_GT(length, 0u);
  std::u16string path(out, length);
  EXPECT_EQ(path.front(), u'\\');
  EXPECT_EQ(path.find(u'/'), std::u16string::npos);
  EXPECT_TRUE(path.ends_with(u"\\test_host_base")) << std::string(path.begin(), path.end());
}

}  // namespace
