#include "engine/runtime/file_helpers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host/memory/memory_api.h"
#include "tests/support/temp_dir_test.h"

namespace {

// Files live below Data, as the engine keeps them.
class FileHelpers : public TempDirTest {
 protected:
  void SetUp() override { std::filesystem::create_directories(dir_.HostPath("Data")); }
};

TEST_F(FileHelpers, SizeAndExistence) {
  dir_.WriteFile("Data/Pict.mlz", "0123456789");
  EXPECT_EQ(10, QueryFileSize(dir_.EnginePath("data\\pict.MLZ").c_str()));  // found in other case
  EXPECT_EQ(1, FileExists(dir_.EnginePath("Data\\Pict.mlz").c_str()));
  EXPECT_EQ(-1, QueryFileSize(dir_.EnginePath("Data\\none.mlz").c_str()));
  EXPECT_EQ(0, FileExists(dir_.EnginePath("Data\\none.mlz").c_str()));
}

TEST_F(FileHelpers, ReadRangeFromEachOrigin) {
  dir_.WriteFile("Data/r.bin", "0123456789");
  const std::string path = dir_.EnginePath("Data\\r.bin");
  struct Case {
    int origin;
    int offset;
    unsigned count;
    std::string expected;
  };
  const Case cases[] = {{0, 3, 4, "3456"}, {1, 2, 3, "234"}, {2, -4, 10, "6789"}, {7, 5, 2, "01"}};
  for (const Case& c : cases) {
    char buffer[16] = {};
    std::uint32_t read = ReadFileRange(path.c_str(), buffer, c.origin, c.offset, c.count);
    EXPECT_EQ(c.expected, std::string(buffer, read)) << c.origin;
  }
  char buffer[4];
  EXPECT_EQ(0u, ReadFileRange(dir_.EnginePath("Data\\none").c_str(), buffer, 0, 0, 4));
}

TEST_F(FileHelpers, ReadWholeFile) {
  dir_.WriteFile("Data/empty.bin", "");
  std::uint32_t size = 99;
  void* block = ReadWholeFile(dir_.EnginePath("Data\\empty.bin").c_str(), &size, 1);
  ASSERT_NE(nullptr, block);
  EXPECT_EQ(0u, size);
  LocalFree(block);

  dir_.WriteFile("Data/text.txt", "hello");
  block = ReadWholeFile(dir_.EnginePath("DATA\\TEXT.TXT").c_str(), &size, 1);
  ASSERT_NE(nullptr, block);
  EXPECT_EQ(5u, size);
  EXPECT_EQ("hello", std::string(static_cast<char*>(block), size));
  LocalFree(block);

  EXPECT_EQ(nullptr, ReadWholeFile(dir_.EnginePath("Data\\none").c_str(), &size, 0));
}

TEST_F(FileHelpers, WriteCreateNewReplacesOpenAlwaysKeeps) {
  const std::string path = dir_.EnginePath("Data\\save001.dat");
  EXPECT_EQ(6u, WriteFileAt(path.c_str(), "abcdef", 0, 0, 6, 1));
  EXPECT_EQ(2u, WriteFileAt(path.c_str(), "XY", 0, 2, 2, 0));
  EXPECT_EQ(1u, WriteFileAt(path.c_str(), "!", 2, 0, 1, 0));
  char buffer[16] = {};
  EXPECT_EQ(7u, ReadFileRange(path.c_str(), buffer, 0, 0, sizeof buffer));
  EXPECT_EQ("abXYef!", std::string(buffer, 7));
  EXPECT_EQ(2u, WriteFileAt(path.c_str(), "zz", 0, 0, 2, 1));
  EXPECT_EQ(2, QueryFileSize(path.c_str()));
  EXPECT_EQ(0u, WriteFileAt(dir_.EnginePath("missing\\dir\\x").c_str(), "a", 0, 0, 1, 1));
}

TEST_F(FileHelpers, ShiftJisNamesConvertAtTheBoundary) {
  // "セーブ" in UTF-8 on disk, asked for as Shift-JIS bytes.
  dir_.WriteFile("Data/\xE3\x82\xBB\xE3\x83\xBC\xE3\x83\x96.dat", "x");
  EXPECT_EQ(1, QueryFileSize(dir_.EnginePath("Data\\\x83\x5A\x81\x5B\x83\x75.dat").c_str()));
}

}  // namespace
