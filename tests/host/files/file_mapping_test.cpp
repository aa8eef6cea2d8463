#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/files/file_api.h"
#include "tests/support/temp_dir_test.h"

namespace {

using FileMapping = TempDirTest;

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return bytes;
}

std::string ReadRange(const std::u16string& path, DWORD offset, DWORD count) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(SetFilePointer(file, static_cast<LONG>(offset), nullptr, FILE_BEGIN), offset);
  std::string bytes(count, '\0');
  DWORD got = 0;
  EXPECT_TRUE(ReadFile(file, bytes.data(), count, &got, nullptr));
  bytes.resize(got);
  CloseHandle(file);
  return bytes;
}

TEST_F(FileMapping, ViewsHoldTheSameBytesAsReading) {
  const size_t size = 3 * 4096 + 321;
  dir_.WriteFile("Archive.Pak", Pattern(size));
  std::u16string path = dir_.WidePath("ARCHIVE.PAK");

  HANDLE file = CreateFileForMappingW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  ASSERT_NE(mapping, nullptr);
  // Mappings outlive the file handle, and views outlive the mapping.
  EXPECT_TRUE(CloseHandle(file));

  struct Range {
    DWORD offset;
    SIZE_T bytes;  // 0: to the end
  };
  const Range ranges[] = {{0, 0}, {0, 10}, {4096, 4096}, {4096 + 7, 1000}, {size - 1, 0}, {5000, 0}};
  for (const auto& r : ranges) {
    SCOPED_TRACE(r.offset);
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, r.offset, r.bytes);
    ASSERT_NE(view, nullptr);
    DWORD count = static_cast<DWORD>(r.bytes != 0 ? r.bytes : size - r.offset);
    EXPECT_EQ(std::string(static_cast<const char*>(view), count), ReadRange(path, r.offset, count));
    EXPECT_TRUE(UnmapViewOfFile(view));
  }

  const void* kept = MapViewOfFile(mapping, FILE_MAP_READ, 0, 100, 50);
  ASSERT_NE(kept, nullptr);
  EXPECT_TRUE(CloseHandle(mapping));
  EXPECT_EQ(std::memcmp(kept, Pattern(size).data() + 100, 50), 0);
  EXPECT_TRUE(UnmapViewOfFile(kept));
  EXPECT_FALSE(UnmapViewOfFile(kept));
}

TEST_F(FileMapping, RefusesWhatItCannotServe) {
  dir_.WriteFile("small.bin", "0123456789");
  dir_.WriteFile("empty.bin", "");
  HANDLE file = CreateFileForMappingW(dir_.WidePath("small.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                      nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 11, nullptr), nullptr);  // beyond the file
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(CreateFileMappingW(file, nullptr, 0x04 /* read-write */, 0, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 6, nullptr);
  ASSERT_NE(mapping, nullptr);
  EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 4, 3), nullptr);  // past the mapping's 6 bytes
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 6, 0), nullptr);
  EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 1, 0, 1), nullptr);
  EXPECT_EQ(MapViewOfFile(file, FILE_MAP_READ, 0, 0, 0), nullptr);  // a file is not a mapping
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 4, 0);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(std::string(static_cast<const char*>(view), 2), "45");
  EXPECT_TRUE(UnmapViewOfFile(view));
  CloseHandle(mapping);
  CloseHandle(file);

  HANDLE empty = CreateFileForMappingW(dir_.WidePath("empty.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                       nullptr);
  ASSERT_NE(empty, INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileMappingW(empty, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_INVALID);
  CloseHandle(empty);
}

}  // namespace
