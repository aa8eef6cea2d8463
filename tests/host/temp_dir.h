// A fresh directory per test, removed afterwards, and helpers to name files
// in it the way the engine does.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/file_api.h"

class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "host_test_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(dir_, ignored);
  }

  // The Linux path of name (UTF-8, '/' separators) inside the directory.
  std::string HostPath(const std::string& name) const { return dir_ + "/" + name; }

  // The platform form of that path: UTF-16 with '\' separators.
  std::u16string WidePath(const std::string& name) const {
    std::u16string wide = HostWideFromUtf8(HostPath(name));
    std::replace(wide.begin(), wide.end(), u'/', u'\\');
    return wide;
  }

  void WriteHostFile(const std::string& name, const std::string& bytes) const {
    std::ofstream(HostPath(name), std::ios::binary) << bytes;
  }

  std::string ReadHostFile(const std::string& name) const {
    std::ifstream in(HostPath(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string dir_;
};
