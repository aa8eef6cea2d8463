// The registry store is parsed once and kept: every look-up must still see
// the file as it is now, however and however quickly it was changed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "host/module/module_api.h"
#include "host/registry/registry_api.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

constexpr char kKey[] = "Software\\Reelpack\\JpegCodec";

std::string StoreText(unsigned value) {
  char line[64];
  std::snprintf(line, sizeof line, "\"USECPU\"=dword:%08x\n", value);
  return std::string("[HKEY_LOCAL_MACHINE\\") + kKey + "]\n" + line;
}

// The value read through the API; -1 when the key or value is missing.
long ReadValue() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  const LONG status = RegQueryValueExA(key, "USECPU", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_DWORD ? static_cast<long>(value) : -1;
}

class RegistryStore : public ::testing::Test {
 protected:
  ScopedTempDir scratch{"registry_store_"};
  const std::string store = scratch.HostPath("registry.reg");
  void SetUp() override { setenv("NOVEL_REGISTRY_FILE", store.c_str(), 1); }
  void TearDown() override {
    unsetenv("NOVEL_REGISTRY_FILE");
    HostSetModulePath(nullptr);
  }
  // Rewrites the file where it is: same inode, and the same size for values
  // of the same width.
  void RewriteInPlace(const std::string& text) const {
    std::fstream file(store, std::ios::in | std::ios::out | std::ios::binary);
    ASSERT_TRUE(file);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
};

TEST_F(RegistryStore, RepeatedReadsAgree) {
  scratch.WriteFile("registry.reg", StoreText(3));
  for (int i = 0; i < 50; ++i) ASSERT_EQ(ReadValue(), 3);
}

TEST_F(RegistryStore, FileChangesAreSeenAtOnce) {
  EXPECT_EQ(ReadValue(), -1);  // no file yet
  scratch.WriteFile("registry.reg", StoreText(1));
  EXPECT_EQ(ReadValue(), 1);
  // Same size, same inode, within the file system's time granularity.
  for (unsigned value = 2; value < 10; ++value) {
    RewriteInPlace(StoreText(value));
    EXPECT_EQ(ReadValue(), static_cast<long>(value));
  }
  // Replaced by a new file renamed over it.
  scratch.WriteFile("next.reg", StoreText(0x20));
  ASSERT_EQ(std::rename(scratch.HostPath("next.reg").c_str(), store.c_str()), 0);
  EXPECT_EQ(ReadValue(), 0x20);
  // Grown by another key, then the key removed.
  scratch.WriteFile("registry.reg", StoreText(0x21) + "[HKEY_LOCAL_MACHINE\\Other]\n\"A\"=\"b\"\n");
  EXPECT_EQ(ReadValue(), 0x21);
  scratch.WriteFile("registry.reg", "[HKEY_LOCAL_MACHINE\\Other]\n");
  EXPECT_EQ(ReadValue(), -1);
  std::remove(store.c_str());
  EXPECT_EQ(ReadValue(), -1);
}

TEST_F(RegistryStore, AnotherStoreIsReadWhenTheProgramNamesIt) {
  scratch.WriteFile("registry.reg", StoreText(4));
  const std::string other = scratch.WriteFile("other.reg", StoreText(5));
  EXPECT_EQ(ReadValue(), 4);
  setenv("NOVEL_REGISTRY_FILE", other.c_str(), 1);
  EXPECT_EQ(ReadValue(), 5);
  // Without the variable the store beside the program is read.
  unsetenv("NOVEL_REGISTRY_FILE");
  scratch.WriteFile("program/registry.reg", StoreText(6));
  HostSetModulePath(scratch.HostPath("program/novel").c_str());
  EXPECT_EQ(ReadValue(), 6);
  HostSetModulePath(scratch.HostPath("novel").c_str());
  EXPECT_EQ(ReadValue(), 4);
}

}  // namespace
