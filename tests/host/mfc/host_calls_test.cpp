// The calls behind the dialog: the open-file dialog's chooser, dropped
// files, the current folder in Shift-JIS.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "host/console/current_directory_api.h"
#include "host/files/file_api.h"
#include "host/mfc/drop_files_api.h"
#include "host/mfc/file_chooser_api.h"
#include "tests/support/temp_dir_test.h"

namespace {

TEST(FileChooser, AnswersFromTheQueueAndRefusesWhatDoesNotFit) {
  char file[16] = "untouched";
  char title[6] = {};
  OPENFILENAMEA dialog{};
  dialog.lpstrFilter = "movies\0*.mpg\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file;
  dialog.nMaxFile = sizeof file;
  dialog.lpstrFileTitle = title;
  dialog.nMaxFileTitle = sizeof title;
  dialog.lpstrDefExt = "mpg";
  HostQueueFileChoice("/m/clip.mpg");
  HostQueueFileChoice("/a/path/longer/than/16.mpg");
  HostQueueFileChoiceCancel();
  EXPECT_TRUE(GetOpenFileNameA(&dialog));
  EXPECT_STREQ(file, "/m/clip.mpg");
  EXPECT_STREQ(title, "clip.");
  EXPECT_EQ(dialog.nFileOffset, 3);
  EXPECT_FALSE(GetOpenFileNameA(&dialog));
  EXPECT_FALSE(GetOpenFileNameA(&dialog));
  EXPECT_FALSE(GetOpenFileNameA(&dialog));  // empty queue: cancel
  EXPECT_STREQ(file, "/m/clip.mpg");
  const std::vector<FileChooserCall> calls = HostTakeFileChooserCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].filter, (std::vector<std::string>{"movies", "*.mpg"}));
  EXPECT_EQ(calls[0].maxFile, 16u);
  EXPECT_EQ(calls[0].defaultExtension, "mpg");

  HostSetFileChooser(
      [](const FileChooserCall& call) { return std::optional<std::string>("/x" + call.defaultExtension); });
  EXPECT_TRUE(GetOpenFileNameA(&dialog));
  EXPECT_STREQ(file, "/xmpg");
  HostSetFileChooser(nullptr);
  HostTakeFileChooserCalls();
}

TEST(DroppedFiles, CountLengthAndBoundedCopies) {
  HDROP drop = HostMakeDrop({"/first.mpg", "/second.mpg"});
  char buffer[8];
  EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0), 2u);
  EXPECT_EQ(DragQueryFileA(drop, 1, nullptr, 0), 11u);
  EXPECT_EQ(DragQueryFileA(drop, 0, buffer, sizeof buffer), 7u);
  EXPECT_STREQ(buffer, "/first.");
  EXPECT_EQ(DragQueryFileA(drop, 2, buffer, sizeof buffer), 0u);
  EXPECT_EQ(HostOpenDrops(), 1);
  DragFinish(drop);
  EXPECT_EQ(HostOpenDrops(), 0);
  EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0), 0u);
}

class CurrentDirectory : public TempDirTest {
 protected:
  void SetUp() override { previous_ = std::filesystem::current_path(); }
  void TearDown() override { std::filesystem::current_path(previous_); }
  std::filesystem::path previous_;
};

// Folders of any name give a Shift-JIS form that leads back to them.
TEST_F(CurrentDirectory, GivesAShiftJisFormOfAnyFolder) {
  for (const char* name : {"plain", "日本語", "josé", "clip 🎬"}) {
    SCOPED_TRACE(name);
    const std::filesystem::path folder = std::filesystem::path(dir_.HostPath("")) / name;
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    char buffer[1024] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(length, std::strlen(buffer));
    EXPECT_TRUE(std::filesystem::equivalent(HostPathFromShiftJis(buffer), folder));

    char small[4] = "abc";
    EXPECT_EQ(GetCurrentDirectoryA(sizeof small, small), length + 1);
    EXPECT_STREQ(small, "abc");
  }
}

}  // namespace
