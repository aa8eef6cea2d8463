// The dialog with the real job on a small stream: its files equal the
// command's with the same (default) settings, and closing the dialog during
// the job stops it and leaves nothing behind.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "converter/cli/command_run.h"
#include "converter/dialog/dialog_template.h"
#include "host/module/module_api.h"
#include "tests/converter/dialog/dialog_fixture.h"
#include "tests/converter/job/job_test_support.h"
#include "tests/support/file_bytes.h"

using namespace reelpack;

namespace dialog_test {
namespace {

class DialogRealJob : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    // The MP3 encoder module is found beside the program.
    HostSetModulePath(NOVEL_BINARY_DIR "/bin/reelpack");
  }
  void TearDown() override {
    DialogTest::TearDown();
    HostSetModulePath("");
  }

  // The fixture stream copied to in/clip.mpg; empty when ffmpeg failed.
  std::string Input(const std::string& fixture) {
    const std::string source = job_test::FixturePath(fixture);
    if (source.empty()) return {};
    std::filesystem::create_directories(dir_.HostPath("in"));
    std::filesystem::copy_file(source, dir_.HostPath("in/clip.mpg"));
    return dir_.HostPath("in/clip.mpg");
  }

  std::vector<std::string> Names(const std::string& folder) const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.HostPath(folder))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(DialogRealJob, WritesTheFilesTheCommandWrites) {
  const std::string input = Input("qcif");
  ASSERT_FALSE(input.empty());
  Open(true);
  Browse(input);
  driver_->Click(IDC_START);
  ASSERT_NE(dialog_->Job(), nullptr);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
  while (dialog_->Job() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    Tick();
  }
  ASSERT_EQ(dialog_->Job(), nullptr);
  EXPECT_TRUE(driver_->Enabled(IDC_START));
  EXPECT_EQ(driver_->Text(IDC_PROGRESS), "");
  EXPECT_NE(driver_->TextUtf8(IDC_AVERAGE_RATE), "平均ビットレート：0kbps");
  EXPECT_EQ(Names(""), (std::vector<std::string>{"clip.mp3", "clip.rzm2", "in"}));

  std::filesystem::create_directories(dir_.HostPath("cli"));
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  EXPECT_EQ(RunReelpackCommand({"-q", "-o", dir_.HostPath("cli"), input}, out, err, false), 0);
  std::fclose(out);
  std::fclose(err);
  for (const char* name : {"clip.rzm2", "clip.mp3"}) {
    SCOPED_TRACE(name);
    const std::vector<std::uint8_t> fromDialog = ReadFileBytes(dir_.HostPath(name));
    EXPECT_FALSE(fromDialog.empty());
    EXPECT_EQ(fromDialog, ReadFileBytes(dir_.HostPath(std::string("cli/") + name)));
  }
}

TEST_F(DialogRealJob, ClosingDuringTheJobStopsItAndLeavesNothing) {
  const std::string input = Input("vga");
  ASSERT_FALSE(input.empty());
  Open(true);
  Browse(input);
  driver_->Click(IDC_START);
  ASSERT_NE(dialog_->Job(), nullptr);
  Tick();
  driver_->CloseBox();
  EXPECT_TRUE(driver_->Ended());
  EXPECT_EQ(dialog_->Job(), nullptr);
  EXPECT_EQ(Names(""), (std::vector<std::string>{"in"}));
}

}  // namespace
}  // namespace dialog_test
