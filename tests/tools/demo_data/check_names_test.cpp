// The data build's name check: a name the scripts use that no maker makes,
// or a picture one set lacks, stops the build with a line naming it; a name
// made anywhere (a picture in both sets, a sound of any kind, a movie) passes.
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "support/scoped_temp_dir.h"

namespace {

const std::string kChecker = std::string(NOVEL_TEST_DATA_DIR) + "/../../tools/demo_data/check_names.py";

struct Check {
  int status;
  std::string messages;
  bool stamped;
};

// Two picture sets, one sound of each kind and a movie "opening".
Check RunCheck(const ScopedTempDir& dir, const std::string& names) {
  dir.WriteFile("names.txt", names);
  dir.WriteFile("big/pictures.txt", "bg_room 30 800 600 pict\nchr_a 32 400 600 pict2\nwide_only 30 1600 600\n");
  dir.WriteFile("small/pictures.txt", "bg_room 30 800 600 pict\nchr_a 32 400 600 pict2\n");
  dir.WriteFile("sounds/bgm/01.ogg", "");
  dir.WriteFile("sounds/se/se_chime.mp3", "");
  dir.WriteFile("sounds/voice/va_0001.ogg", "");
  const std::string command = "/usr/bin/python3 -B '" + kChecker + "' --names '" + dir.HostPath("names.txt") +
                              "' --pictures '" + dir.HostPath("big/pictures.txt") + "' '" +
                              dir.HostPath("small/pictures.txt") + "' --sounds '" + dir.HostPath("sounds") +
                              "' --movie opening --stamp '" + dir.HostPath("stamp") + "' 2>'" +
                              dir.HostPath("messages") + "'";
  const int status = std::system(command.c_str());
  return {status, dir.ReadFile("messages").value_or(""), dir.ReadFile("stamp").has_value()};
}

TEST(CheckNames, EveryMadeNamePasses) {
  ScopedTempDir dir("check_names");
  const Check check = RunCheck(dir, "# comment\nbg_room\nchr_a   # with alpha\n01\nse_chime\nva_0001\nopening\n");
  EXPECT_EQ(0, check.status) << check.messages;
  EXPECT_EQ("", check.messages);
  EXPECT_TRUE(check.stamped);
}

TEST(CheckNames, AMissingNameOrSetStopsTheBuildAndSaysWhich) {
  struct Case {
    const char* names;
    const char* message;
  };
  const Case cases[] = {
      {"bg_room\nva_0002\n", "'va_0002' is used by the scripts but no picture, sound or movie is made for it"},
      {"wide_only\n", "picture 'wide_only' is missing from the small set"},
      {"ending\n01\n", "'ending' is used by the scripts but no picture, sound or movie is made for it"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.names);
    ScopedTempDir dir("check_names");
    const Check check = RunCheck(dir, c.names);
    EXPECT_NE(0, check.status);
    EXPECT_NE(std::string::npos, check.messages.find(c.message)) << check.messages;
    EXPECT_FALSE(check.stamped);
  }
}

}  // namespace
