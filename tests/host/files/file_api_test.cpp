#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "host/files/file_api.h"
#include "host/run/call_log.h"
#include "tests/support/temp_dir_test.h"

namespace {

using FileApi = TempDirTest;

std::string ReadAll(HANDLE file) {
  std::string bytes(256, '\0');
  DWORD got = 0;
  EXPECT_TRUE(ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr));
  bytes.resize(got);
  return bytes;
}

TEST_F(FileApi, FindsNamesInOtherCaseThroughShiftJisAndWidePaths) {
  std::filesystem::create_directories(dir_.HostPath("Data/Scene"));
  dir_.WriteFile("Data/Scene/\xE8\xA1\xA8.TXT", "hyou");  // "表.TXT"

  // "表" is 0x95 0x5C in Shift-JIS: its trail byte must not split the path.
  // The temporary folder's name is ASCII, the same in Shift-JIS.
  std::string shiftJis = dir_.EnginePath("DATA\\scene\\\x95\x5C.txt");
  EXPECT_EQ(HostPathFromShiftJis(shiftJis.c_str()), dir_.HostPath("Data/Scene/\xE8\xA1\xA8.TXT"));
  HANDLE narrow = CreateFileA(shiftJis.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(narrow, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadAll(narrow), "hyou");
  EXPECT_TRUE(CloseHandle(narrow));

  std::u16string wide = dir_.WidePath("data") + u"\\SCENE\\\u8868.tXt";
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(ReadAll(file), "hyou");
  EXPECT_TRUE(CloseHandle(file));
}

TEST_F(FileApi, CreatesUnderExistingFoldersOfOtherCaseWithTheGivenName) {
  std::filesystem::create_directories(dir_.HostPath("Save"));
  std::u16string path = dir_.WidePath("SAVE") + u"\\New.Dat";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_TRUE(std::filesystem::exists(dir_.HostPath("Save/New.Dat")));

  std::u16string folder = dir_.WidePath("save") + u"\\Sub";
  EXPECT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  EXPECT_TRUE(std::filesystem::is_directory(dir_.HostPath("Save/Sub")));
  EXPECT_FALSE(CreateDirectoryW((dir_.WidePath("SAVE") + u"\\sub").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);

  std::u16string orphan = dir_.WidePath("Missing") + u"\\x.dat";
  EXPECT_EQ(CreateFileW(orphan.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(FileApi, CreationDispositions) {
  struct Case {
    const char* what;
    DWORD creation;
    bool exists;
    bool opens;
    DWORD error;
    const char* contentAfter;
  };
  const Case cases[] = {
      {"create new over a file", CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"},
      {"create new", CREATE_NEW, false, true, ERROR_SUCCESS, ""},
      {"create always over a file", CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""},
      {"create always", CREATE_ALWAYS, false, true, ERROR_SUCCESS, ""},
      {"open existing", OPEN_EXISTING, true, true, ERROR_SUCCESS, "old"},
      {"open existing without a file", OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
      {"open always over a file", OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old"},
      {"open always", OPEN_ALWAYS, false, true, ERROR_SUCCESS, ""},
      {"truncate existing", TRUNCATE_EXISTING, true, true, ERROR_SUCCESS, ""},
      {"truncate without a file", TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
      {"unknown disposition", 9, true, false, ERROR_INVALID_PARAMETER, "old"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(dir_.HostPath("f.bin"));
    std::filesystem::remove(dir_.HostPath("F.BIN"));
    if (c.exists) dir_.WriteFile("f.bin", "old");
    SetLastError(12345);
    HANDLE file = CreateFileW(dir_.WidePath("F.BIN").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, c.creation, 0,
                              nullptr);
    EXPECT_EQ(file != INVALID_HANDLE_VALUE, c.opens);
    EXPECT_EQ(GetLastError(), c.error);
    if (file != INVALID_HANDLE_VALUE) {
      EXPECT_TRUE(CloseHandle(file));
    }
    if (c.contentAfter != nullptr) {
      // An existing file keeps its name; a new one gets the name asked for.
      EXPECT_EQ(dir_.ReadFile(c.exists ? "f.bin" : "F.BIN"), c.contentAfter);
    } else {
      EXPECT_FALSE(std::filesystem::exists(dir_.HostPath("f.bin")) || std::filesystem::exists(dir_.HostPath("F.BIN")));
    }
  }
}

TEST_F(FileApi, ReadsWritesSeeksAndSizes) {
  HANDLE file = CreateFileW(dir_.WidePath("rw.bin").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                            nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD count = 0;
  ASSERT_TRUE(WriteFile(file, "0123456789", 10, &count, nullptr));
  EXPECT_EQ(count, 10u);
  DWORD high = 7;
  EXPECT_EQ(GetFileSize(file, &high), 10u);
  EXPECT_EQ(high, 0u);

  struct Seek {
    LONG distance;
    DWORD method;
    DWORD position;
    const char* nextTwo;
  };
  const Seek seeks[] = {
      {2, FILE_BEGIN, 2, "23"}, {1, FILE_CURRENT, 5, "56"}, {-3, FILE_CURRENT, 4, "45"},
      {-2, FILE_END, 8, "89"},  {0, FILE_END, 10, ""},      {20, FILE_BEGIN, 20, ""},
  };
  for (const auto& s : seeks) {
    SCOPED_TRACE(s.position);
    EXPECT_EQ(SetFilePointer(file, s.distance, nullptr, s.method), s.position);
    char two[2] = {};
    ASSERT_TRUE(ReadFile(file, two, 2, &count, nullptr));  // past the end: success, short count
    EXPECT_EQ(std::string(two, count), s.nextTwo);
  }

  EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, 3), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  // With a high part the two halves make one 64-bit position.
  LONG distanceHigh = 0;
  EXPECT_EQ(SetFilePointer(file, -1, &distanceHigh, FILE_BEGIN), 0xFFFFFFFFu);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(distanceHigh, 0);
  distanceHigh = 1;
  EXPECT_EQ(SetFilePointer(file, 5, &distanceHigh, FILE_BEGIN), 5u);
  EXPECT_EQ(distanceHigh, 1);
  distanceHigh = 0x7FFFFFFF;  // far beyond any position: refused, not wrapped
  EXPECT_EQ(SetFilePointer(file, -1, &distanceHigh, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_NE(GetLastError(), ERROR_SUCCESS);

  EXPECT_EQ(SetFilePointer(file, 3, nullptr, FILE_BEGIN), 3u);
  ASSERT_TRUE(WriteFile(file, "ab", 2, &count, nullptr));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(dir_.ReadFile("rw.bin"), "012ab56789");

  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  count = 99;
  EXPECT_FALSE(ReadFile(file, nullptr, 0, &count, nullptr));
  EXPECT_EQ(count, 0u);
  EXPECT_FALSE(WriteFile(INVALID_HANDLE_VALUE, "x", 1, &count, nullptr));
  EXPECT_EQ(GetFileSize(nullptr, nullptr), INVALID_FILE_SIZE);
}

TEST_F(FileApi, FindFirstFileReportsExistenceSizeAndTheNameOnDisk) {
  std::filesystem::create_directories(dir_.HostPath("Data"));
  dir_.WriteFile("Data/Movie.Rzm2", std::string(1234, 'x'));

  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((dir_.WidePath("DATA") + u"\\movie.RZM2").c_str(), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(found.nFileSizeLow, 1234u);
  EXPECT_EQ(found.nFileSizeHigh, 0u);
  EXPECT_EQ(found.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(std::u16string(found.cFileName), u"Movie.Rzm2");
  EXPECT_TRUE(FindClose(find));
  EXPECT_FALSE(FindClose(find));

  find = FindFirstFileW((dir_.WidePath("data") + u"\\").c_str(), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(found.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(std::u16string(found.cFileName), u"Data");
  EXPECT_TRUE(CloseHandle(find));  // CloseHandle takes find handles too

  EXPECT_EQ(FindFirstFileW((dir_.WidePath("data") + u"\\none.bin").c_str(), &found), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindFirstFileW((dir_.WidePath("nodir") + u"\\none.bin").c_str(), &found), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  // A folder is not a file to open.
  EXPECT_EQ(CreateFileW(dir_.WidePath("Data").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(FileApi, ReadOnlyAttributeGuardsDeletion) {
  dir_.WriteFile("Keep.sav", "k");
  std::u16string path = dir_.WidePath("keep.SAV");
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(path.c_str(), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(found.dwFileAttributes, FILE_ATTRIBUTE_READONLY);
  FindClose(find);
  EXPECT_FALSE(DeleteFileW(path.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(DeleteFileW(path.c_str()));
  EXPECT_FALSE(std::filesystem::exists(dir_.HostPath("Keep.sav")));
  EXPECT_FALSE(DeleteFileW(path.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL));
}

TEST_F(FileApi, MoveFileReplacesTheTargetFoundInOtherCase) {
  dir_.WriteFile("Save1.dat", "old");
  dir_.WriteFile("save1.tmp", "new");
  ASSERT_TRUE(MoveFileW(dir_.WidePath("SAVE1.TMP").c_str(), dir_.WidePath("SAVE1.DAT").c_str()));
  EXPECT_EQ(dir_.ReadFile("Save1.dat"), "new");
  EXPECT_FALSE(std::filesystem::exists(dir_.HostPath("save1.tmp")));
  EXPECT_FALSE(MoveFileW(dir_.WidePath("gone.tmp").c_str(), dir_.WidePath("x.dat").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileApi, HandlesStayApartAcrossThreads) {
  // Each thread opens, writes, reads back and closes its own files while the
  // others do the same through the shared handle table.
  auto work = [this](int thread) {
    for (int round = 0; round < 50; ++round) {
      std::string name = "t" + std::to_string(thread) + "_" + std::to_string(round);
      std::u16string path = dir_.WidePath(name);
      HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      ASSERT_NE(file, INVALID_HANDLE_VALUE);
      DWORD count = 0;
      ASSERT_TRUE(WriteFile(file, name.data(), static_cast<DWORD>(name.size()), &count, nullptr));
      ASSERT_EQ(SetFilePointer(file, 0, nullptr, FILE_BEGIN), 0u);
      EXPECT_EQ(ReadAll(file), name);
      ASSERT_TRUE(CloseHandle(file));
    }
  };
  std::vector<std::thread> threads;
  for (int thread = 0; thread < 4; ++thread) threads.emplace_back(work, thread);
  for (auto& thread : threads) thread.join();
}

TEST(HostPaths, ConversionHelpers) {
  EXPECT_EQ(HostWideFromUtf8("a\\b/\xE8\xA1\xA8"), u"a\\b/\u8868");
  EXPECT_EQ(HostWideFromUtf8("\xFF"), u"");
  EXPECT_EQ(HostPathFromShiftJis("\x81"), "");
  EXPECT_EQ(HostPathFromWide(u"\\proc\\SELF\\exe"), "/proc/self/exe");
  EXPECT_EQ(HostPathFromWide(u"\\no-such-root\\A\\b\\"), "/no-such-root/A/b/");
}

// Calls a test makes fail report failure the platform's way and do nothing;
// a byte limit on writes leaves the part that fitted, as a full medium does.
TEST_F(FileApi, InjectedWriteAndReadFaults) {
  const std::u16string path = dir_.WidePath("file.bin");
  dir_.WriteFile("file.bin", "0123456789");
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char buffer[4] = {};
  DWORD done = 99;
  const struct {
    const char* name;
    std::function<bool()> call;
  } cases[] = {
      {"CreateFileW", [&] { return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr) !=
                                   INVALID_HANDLE_VALUE; }},
      {"CreateFileA", [&] { return CreateFileA(dir_.EnginePath("file.bin").c_str(), GENERIC_READ, 0, nullptr,
                                               OPEN_EXISTING, 0, nullptr) != INVALID_HANDLE_VALUE; }},
      {"ReadFile", [&] { return ReadFile(file, buffer, 4, &done, nullptr) != FALSE || done != 0; }},
      {"WriteFile", [&] { return WriteFile(file, "abcd", 4, &done, nullptr) != FALSE || done != 0; }},
      {"SetFilePointer", [&] { return SetFilePointer(file, 2, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER; }},
      {"FlushFileBuffers", [&] { return FlushFileBuffers(file) != FALSE; }},
      {"SetFileAttributesW", [&] { return SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY) != FALSE; }},
      {"MoveFileW", [&] { return MoveFileW(path.c_str(), dir_.WidePath("moved.bin").c_str()) != FALSE; }},
  };
  for (const auto& c : cases) {
    HostFailCall(c.name);
    EXPECT_FALSE(c.call()) << c.name;
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << c.name;
    HostClearFailures();
  }
  EXPECT_EQ(dir_.ReadFile("file.bin"), "0123456789");
  EXPECT_TRUE(FlushFileBuffers(file));

  HostFailWritesAfter(6);
  EXPECT_TRUE(WriteFile(file, "abcd", 4, &done, nullptr));
  EXPECT_FALSE(WriteFile(file, "efgh", 4, &done, nullptr));
  EXPECT_EQ(done, 2u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_FALSE(WriteFile(file, "ijkl", 4, &done, nullptr));
  EXPECT_EQ(done, 0u);
  HostClearFailures();
  EXPECT_TRUE(WriteFile(file, "mn", 2, &done, nullptr));
  CloseHandle(file);
  EXPECT_EQ(dir_.ReadFile("file.bin"), "abcdefmn89");
}

TEST_F(FileApi, OneChosenCallFailsAndTheOthersPass) {
  for (const char* name : {"a", "b", "c", "d"}) dir_.WriteFile(name, name);
  const auto move = [&](const char* from, const char* to) {
    return MoveFileW(dir_.WidePath(from).c_str(), dir_.WidePath(to).c_str()) != FALSE;
  };
  HostFailCallAt("MoveFileW", 2);
  HostFailCallAt("SetFileAttributesW", 1);
  EXPECT_TRUE(move("a", "a2"));
  EXPECT_FALSE(move("b", "b2"));  // the second
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(move("c", "c2"));
  EXPECT_TRUE(move("b", "b2"));
  EXPECT_FALSE(SetFileAttributesW(dir_.WidePath("d").c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(SetFileAttributesW(dir_.WidePath("d").c_str(), FILE_ATTRIBUTE_NORMAL));
  // Cleared before its turn, it never fails.
  HostFailCallAt("MoveFileW", 2);
  HostClearFailures();
  EXPECT_TRUE(move("a2", "a3"));
  EXPECT_TRUE(move("a3", "a4"));
}

}  // namespace
