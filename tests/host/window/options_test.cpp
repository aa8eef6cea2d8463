#include <gtest/gtest.h>

#include <map>

#include "host/run/host_options.h"
#include "host/run/input_schedule.h"

namespace {

TEST(InputScript, ParsesEveryActionAndRejectsBadEntries) {
  std::vector<ScheduledAction> actions;
  std::string error;
  ASSERT_TRUE(ParseInputScript("100 tap 10 20; 200 press enter\n300 keydown x;400 keyup 65;500 move 1 2;"
                               "600 blur; 700 focus;800 close\n",
                               &actions, &error))
      << error;
  using Kind = ScheduledAction::Kind;
  ASSERT_EQ(actions.size(), 10u);
  EXPECT_EQ(actions[0].kind, Kind::Down);
  EXPECT_EQ(actions[1].kind, Kind::Up);
  EXPECT_EQ(actions[1].time, 150u);
  EXPECT_EQ(actions[1].x, 10);
  EXPECT_EQ(actions[2].key, 0x0Du);
  EXPECT_EQ(actions[3].kind, Kind::KeyUp);
  EXPECT_EQ(actions[4].key, static_cast<unsigned>('X'));
  EXPECT_EQ(actions[5].key, 65u);
  EXPECT_EQ(actions[9].kind, Kind::Close);
  for (const char* bad : {"tap 1 2", "100 tap 1", "100 jump", "100 press nokey", "100 close now", "-5 close"}) {
    EXPECT_FALSE(ParseInputScript(bad, &actions, &error)) << bad;
  }
  ScheduledAction shot;
  EXPECT_TRUE(ParseScreenshotRequest("1500:/tmp/a.png", &shot));
  EXPECT_EQ(shot.time, 1500u);
  EXPECT_EQ(shot.path, "/tmp/a.png");
  EXPECT_FALSE(ParseScreenshotRequest("soon:/tmp/a.png", &shot));
  EXPECT_FALSE(ParseScreenshotRequest("1500:", &shot));
}

TEST(HostOptions, CommandLineOverEnvironmentAndTheRestPassedOn) {
  std::map<std::string, std::string> environment = {{"NOVEL_BACKEND", "sdl"}, {"NOVEL_PANEL", "240x320"}};
  std::vector<std::string> args = {"--backend=headless", "game-arg", "--screenshot=10:/a.png;20:/b.png",
                                   "--quit-after=500", "--clock=virtual", "--input=5 press z", "--unknown=1",
                                   "--frame-costs=/tmp/costs.txt"};
  HostOptions options;
  std::string error;
  ASSERT_TRUE(ParseHostOptions(&args,
                               [&](const char* name) {
                                 const auto found = environment.find(name);
                                 return found == environment.end() ? nullptr : found->second.c_str();
                               },
                               &options, &error))
      << error;
  EXPECT_EQ(options.backend, HostOptions::Backend::Headless);
  EXPECT_EQ(options.panel.width, 240);
  EXPECT_EQ(options.quitAfterMs, 500);
  EXPECT_EQ(options.frameCosts, "/tmp/costs.txt");
  EXPECT_TRUE(options.clockGiven);
  EXPECT_EQ(options.actions.size(), 4u);  // two shots, key down and up
  EXPECT_EQ(args, (std::vector<std::string>{"game-arg", "--unknown=1"}));
}

TEST(HostOptions, BadValuesAreRefusedWithTheirName) {
  for (const char* bad : {"--backend=x11", "--panel=big", "--clock=fast", "--scale=0", "--quit-after=soon",
                          "--input=1 fly", "--screenshot=x"}) {
    std::vector<std::string> args = {bad};
    HostOptions options;
    std::string error;
    EXPECT_FALSE(ParseHostOptions(&args, nullptr, &options, &error)) << bad;
    EXPECT_NE(error.find(std::string(bad).substr(0, 8)), std::string::npos) << error;
  }
}

}  // namespace
