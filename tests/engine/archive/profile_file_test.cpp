#include "engine/archive/profile_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "host/run/call_log.h"
#include "tests/support/temp_dir_test.h"

namespace {

class ProfileFileTest : public TempDirTest {
 protected:
  void SetUp() override { ClearProfileCache(); }
  void TearDown() override { ClearProfileCache(); }

  std::string ReadString(const char* section, const char* key, int maxLength = 127) {
    std::vector<char> out(maxLength + 1);
    const int length = ReadProfileString(section, key, "default", out.data(), maxLength, path_.c_str());
    EXPECT_EQ(static_cast<int>(std::strlen(out.data())), length);
    return out.data();
  }

  const std::string path_ = dir_.HostPath("pelmo.cfg");
};

TEST_F(ProfileFileTest, Reads) {
  struct Case {
    const char* what;
    const char* text;
    const char* section;
    const char* key;
    int expectedInt;
    const char* expectedString;
  };
  const Case cases[] = {
      {"blanks inside the brackets", "[ MUSIC_CONFIG ]\r\nPCM=2\r\n", "MUSIC_CONFIG", "PCM", 2, "2"},
      {"section in other case", "[music_config]\r\nPCM=3\r\n", "MUSIC_CONFIG", "PCM", 3, "3"},
      {"key in other case", "[A]\r\npcm=4\r\n", "a", "PCM", 4, "4"},
      {"blanks around '='", "[A]\r\nPCM = 2\r\n", "A", "PCM", 2, " 2"},
      {"blanks and tabs inside the key", "[A]\r\n MY\tKEY =5\r\n", "A", "MYKEY", 5, "5"},
      {"a trailing blank takes a decimal place", "[A]\r\nPCM=2 \r\n", "A", "PCM", 20, "2 "},
      {"negative and hexadecimal", "[A]\r\nN=-12\r\nH=0x1F\r\n", "A", "H", 31, "0x1F"},
      {"duplicate key: the first counts", "[A]\r\nK=1\r\nK=2\r\n", "A", "K", 1, "1"},
      {"quoted value", "[A]\r\nFONT=\"MS Gothic\"\r\n", "A", "FONT", 0, "MS Gothic"},
      {"quoted run inside a value", "[A]\r\nV=a\"b c\"d\r\n", "A", "V", 0, "ab cd"},
      {"text after the first '='", "[A]\r\nV=a=b\r\n", "A", "V", 0, "a=b"},
      {"missing section", "[A]\r\nK=1\r\n", "B", "K", -7, "default"},
      {"key of another section", "[A]\r\n[B]\r\nK=1\r\n", "A", "K", -7, "default"},
      {"empty value", "[A]\r\nK=\r\n", "A", "K", -7, "default"},
      {"line without '='", "[A]\r\nK\r\n;K=\r\n", "A", "K", -7, "default"},
      {"lines before the first section", "K=4\r\n[A]\r\nK=5\r\n", "", "K", 4, "4"},
      {"section in two parts", "[A]\r\nX=1\r\n[B]\r\n[A]\r\nK=6\r\n", "A", "K", 6, "6"},
      {"LF line ends", "[A]\nK=7\nL=8\n", "A", "L", 8, "8"},
      {"last line without a line end", "[A]\r\nK=9", "A", "K", 9, "9"},
      // 0x83 0x5D is one double-byte character whose second byte is ']'.
      {"double-byte section name", "[\x83\x5D]\r\nK=10\r\n", "\x83\x5D", "K", 10, "10"},
  };
  for (const Case& c : cases) {
    dir_.WriteFile("pelmo.cfg", c.text);
    ClearProfileCache();
    EXPECT_EQ(c.expectedInt, ReadProfileInt(c.section, c.key, -7, path_.c_str())) << c.what;
    EXPECT_EQ(c.expectedString, ReadString(c.section, c.key)) << c.what;
  }
}

TEST_F(ProfileFileTest, StringsLongerThanTheCallersMaximumLeaveTheDefault) {
  const std::string value(1500, 'v');
  dir_.WriteFile("pelmo.cfg", "[A]\r\nLONG=" + value + "\r\nQ=\"abc\"\r\n");
  EXPECT_EQ(value, ReadString("A", "LONG", 1500));
  EXPECT_EQ("default", ReadString("A", "LONG", 1499));
  // The limit applies to the text without its quotes.
  EXPECT_EQ("abc", ReadString("A", "Q", 3));
  char small[4];
  EXPECT_EQ(3, ReadProfileString("A", "NONE", "longer default", small, 3, path_.c_str()));
  EXPECT_STREQ("lon", small);
}

TEST_F(ProfileFileTest, WritesThenFlush) {
  struct Write {
    const char* section;
    const char* key;
    const char* value;
  };
  struct Case {
    const char* what;
    std::optional<std::string> text;  // nullopt: no file
    std::vector<Write> writes;
    std::optional<std::string> expected;  // nullopt: still no file
  };
  const Case cases[] = {
      {"unchanged file comes back byte for byte",
       "; settings\r\n\r\nK=0\r\n[A]\r\n  K = 1\r\n[ B ]\r\n\tX=\"y\"\r\n",
       {},
       "; settings\r\n\r\nK=0\r\n[A]\r\n  K = 1\r\n[ B ]\r\n\tX=\"y\"\r\n"},
      {"duplicate key: the first changes", "[A]\r\nK=1\r\nK=2\r\n", {{"A", "K", "5"}}, "[A]\r\nK=5\r\nK=2\r\n"},
      {"the caller's key spelling replaces the line", "[a]\r\nkey = 1\r\n", {{"A", "KEY", "2"}}, "[a]\r\nKEY=2\r\n"},
      {"missing section goes at the end",
       "[A]\r\nK=1\r\n",
       {{"B", "X", "2"}},
       "[A]\r\nK=1\r\n[B]\r\nX=2\r\n"},
      {"new keys go to the top of their section, last first",
       "[A]\r\nK=1\r\n[B]\r\n",
       {{"A", "X", "1"}, {"A", "Y", "2"}},
       "[A]\r\nY=2\r\nX=1\r\nK=1\r\n[B]\r\n"},
      {"a key is looked for only up to the next section",
       "[A]\r\n[B]\r\nK=1\r\n",
       {{"A", "K", "2"}},
       "[A]\r\nK=2\r\n[B]\r\nK=1\r\n"},
      {"missing file is created", std::nullopt, {{"S", "K", "v"}, {"S", "L", "w"}}, "[S]\r\nL=w\r\nK=v\r\n"},
      {"LF line ends are kept", "[A]\nK=1\n\nL=2", {{"A", "K", "3"}}, "[A]\nK=3\n\nL=2\n"},
      {"CR LF line ends are kept", "[A]\r\nK=1\r\n", {{"A", "N", "3"}}, "[A]\r\nN=3\r\nK=1\r\n"},
      {"missing file without writes stays missing", std::nullopt, {}, std::nullopt},
      {"empty file without writes is left alone", "", {}, ""},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(path_);
    if (c.text) dir_.WriteFile("pelmo.cfg", *c.text);
    ReadProfileInt("A", "K", 0, path_.c_str());
    for (const Write& w : c.writes) EXPECT_EQ(1, WriteProfileValue(w.section, w.key, w.value, path_.c_str()));
    EXPECT_EQ(1, FlushProfile()) << c.what;
    EXPECT_EQ(c.expected, dir_.ReadFile("pelmo.cfg")) << c.what;
  }
  EXPECT_FALSE(std::filesystem::exists(path_ + ".tmp"));
}

TEST_F(ProfileFileTest, LongLinesAndLargeFilesHaveNoLimit) {
  std::string text = "[A]\r\nBIG=" + std::string(5000, 'b') + "\r\n";
  for (int i = 0; text.size() < 200'000; ++i) text += "KEY" + std::to_string(i) + "=" + std::to_string(i) + "\r\n";
  dir_.WriteFile("pelmo.cfg", text);
  EXPECT_EQ(5000u, ReadString("A", "BIG", 6000).size());
  EXPECT_EQ(1234, ReadProfileInt("A", "KEY1234", 0, path_.c_str()));
  EXPECT_EQ(1, FlushProfile());
  EXPECT_EQ(text, dir_.ReadFile("pelmo.cfg"));
}

TEST_F(ProfileFileTest, TheCacheIsReadOnceAndWrittenAtTheFlush) {
  dir_.WriteFile("pelmo.cfg", "[A]\r\nK=1\r\n");
  EXPECT_EQ(1, ReadProfileInt("A", "K", 0, path_.c_str()));
  dir_.WriteFile("pelmo.cfg", "[A]\r\nK=2\r\n");  // not seen: the cache holds the file
  std::string upper = path_;
  upper.replace(upper.size() - 9, 9, "PELMO.CFG");
  EXPECT_EQ(1, ReadProfileInt("a", "k", 0, upper.c_str()));
  WriteProfileValue("A", "K", "3", path_.c_str());
  EXPECT_EQ(3, ReadProfileInt("A", "K", 0, path_.c_str()));
  EXPECT_EQ("[A]\r\nK=2\r\n", dir_.ReadFile("pelmo.cfg"));
  EXPECT_EQ(1, FlushProfile());
  EXPECT_EQ("[A]\r\nK=3\r\n", dir_.ReadFile("pelmo.cfg"));
}

TEST_F(ProfileFileTest, SwitchingFilesKeepsUnsavedChanges) {
  const std::string other = dir_.HostPath("other.cfg");
  WriteProfileValue("A", "K", "1", path_.c_str());
  EXPECT_EQ(5, ReadProfileInt("A", "K", 5, other.c_str()));
  EXPECT_EQ("[A]\r\nK=1\r\n", dir_.ReadFile("pelmo.cfg"));
  EXPECT_EQ(1, FlushProfile());
  EXPECT_FALSE(std::filesystem::exists(other));
}

TEST_F(ProfileFileTest, AFailedFlushLeavesTheOldFile) {
  dir_.WriteFile("pelmo.cfg", "[A]\r\nK=1\r\n");
  std::filesystem::create_directory(path_ + ".tmp");  // the temporary file cannot be made
  WriteProfileValue("A", "K", "2", path_.c_str());
  EXPECT_EQ(0, FlushProfile());
  EXPECT_EQ("[A]\r\nK=1\r\n", dir_.ReadFile("pelmo.cfg"));

  const std::string nowhere = dir_.HostPath("missing/pelmo.cfg");
  WriteProfileValue("A", "K", "2", nowhere.c_str());
  EXPECT_EQ(0, FlushProfile());
}

// Writing the values the file already holds changes nothing on disk: the
// bytes, the line ends and a symbolic link all stay.
TEST_F(ProfileFileTest, UnchangedValuesLeaveTheFileAlone) {
  const std::string text = "; settings\n[A]\nK=1\nS=\"x y\"\n";
  dir_.WriteFile("real.cfg", text);
  std::filesystem::create_symlink(dir_.HostPath("real.cfg"), path_);
  ReadProfileInt("A", "K", 0, path_.c_str());
  WriteProfileValue("A", "K", "1", path_.c_str());
  WriteProfileValue("a", "s", "\"x y\"", path_.c_str());
  EXPECT_EQ(1, FlushProfile());
  EXPECT_TRUE(std::filesystem::is_symlink(path_));
  EXPECT_EQ(text, dir_.ReadFile("real.cfg"));
}

// Every way the write can fail part-way leaves the old file whole and no
// temporary file behind.
TEST_F(ProfileFileTest, WriteFaultsLeaveTheOldFile) {
  const struct {
    const char* failing;
    int bytesBeforeFull;
  } cases[] = {
      {"CreateFileW", -1}, {"WriteFile", -1}, {"FlushFileBuffers", -1}, {"MoveFileW", -1}, {nullptr, 0}, {nullptr, 7},
  };
  for (const auto& c : cases) {
    const std::string what = c.failing != nullptr ? c.failing : "full after " + std::to_string(c.bytesBeforeFull);
    dir_.WriteFile("pelmo.cfg", "[A]\r\nK=1\r\n");
    ReadProfileInt("A", "K", 0, path_.c_str());
    WriteProfileValue("A", "K", "22222222", path_.c_str());
    if (c.failing != nullptr) HostFailCall(c.failing);
    if (c.bytesBeforeFull >= 0) HostFailWritesAfter(static_cast<std::uint64_t>(c.bytesBeforeFull));
    EXPECT_EQ(0, FlushProfile()) << what;
    HostClearFailures();
    EXPECT_EQ("[A]\r\nK=1\r\n", dir_.ReadFile("pelmo.cfg")) << what;
    EXPECT_FALSE(std::filesystem::exists(path_ + ".tmp")) << what;
  }
}

TEST_F(ProfileFileTest, AFileThatCannotBeReadIsNeverWrittenOver) {
  // Too large to read (a sparse file, so it costs no disk space).
  constexpr std::uintmax_t kSize = 3ull << 30;
  dir_.WriteFile("pelmo.cfg", "[A]\r\nK=1\r\n");
  std::filesystem::resize_file(path_, kSize);
  EXPECT_EQ(9, ReadProfileInt("A", "K", 9, path_.c_str()));
  WriteProfileValue("A", "K", "2", path_.c_str());
  EXPECT_EQ(0, FlushProfile());
  EXPECT_EQ(kSize, std::filesystem::file_size(path_));
}

}  // namespace
