// Saving at exit goes through a temporary file: whatever step fails, the
// player's "pelmo.cfg" stays as it was, one line says which step, and no
// temporary file is left behind.
#include <algorithm>
#include <filesystem>
#include <string>

#include "host/run/call_log.h"
#include "settings_fixture.h"

namespace {

const char kBefore[] = "; before\r\n[MESSAGE_CONFIG]\r\nMESSAGE_SPEED=4\r\n[KEY_CONFIG]\r\nKEY_C=20\r\n";

TEST_F(SettingsTest, AFailedSaveLeavesTheFileAsItWas) {
  // The size of the file the save writes.
  auto probe = Start(kBefore);
  probe->options[MESSAGE_SPEED] = 6;
  const std::size_t size = Exit(*probe).size();
  struct Case {
    const char* what;
    const char* failingCall;  // null: the write stops after `bytes`
    std::uint64_t bytes;
    const char* step;
  };
  const Case cases[] = {
      {"creating the temporary file", "CreateFileW", 0, "creating the temporary file"},
      {"no byte written", nullptr, 0, "writing the temporary file"},
      {"one byte written", nullptr, 1, "writing the temporary file"},
      {"half written", nullptr, size / 2, "writing the temporary file"},
      {"all but one byte written", nullptr, size - 1, "writing the temporary file"},
      {"the flush", "FlushFileBuffers", 0, "flushing the temporary file"},
      {"the rename", "MoveFileW", 0, "moving the temporary file over it"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dir_.WriteFile("pelmo.cfg", kBefore);
    auto app = Start(std::nullopt);
    app->options[MESSAGE_SPEED] = 6;
    app->SaveConfig();
    if (c.failingCall != nullptr) {
      HostFailCall(c.failingCall);
    } else {
      HostFailWritesAfter(c.bytes);
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(FlushProfile(), 0);
    const std::string messages = testing::internal::GetCapturedStderr();
    HostClearFailures();
    EXPECT_EQ(dir_.ReadFile("pelmo.cfg"), kBefore);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '\n'), 1) << messages;
    EXPECT_NE(messages.find(c.step), std::string::npos) << messages;
    EXPECT_NE(messages.find("pelmo.cfg"), std::string::npos) << messages;
    EXPECT_FALSE(std::filesystem::exists(dir_.HostPath("pelmo.cfg.tmp")));
  }
}

TEST_F(SettingsTest, AStaleTemporaryFileIsNeverReadAndGoesWithTheNextSave) {
  dir_.WriteFile("pelmo.cfg.tmp", "[MESSAGE_CONFIG]\r\nMESSAGE_SPEED=9\r\n[MESSAGE_CONF");
  auto app = Start(kBefore);
  EXPECT_EQ(app->options[MESSAGE_SPEED], 4u);
  app->options[MESSAGE_SPEED] = 5;
  EXPECT_EQ(WrittenValue(Exit(*app), "MESSAGE_SPEED"), "5");
  EXPECT_FALSE(std::filesystem::exists(dir_.HostPath("pelmo.cfg.tmp")));
}

}  // namespace
