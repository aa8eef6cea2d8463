// Settings chosen in the pop-up menu of a headless run by keys alone survive
// the exit through the menu's own command: "pelmo.cfg" holds them and the
// next start shows their marks and the new output rate.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/shell/engine_main.h"
#include "engine/shell/shell_fixture.h"
#include "game/game.h"
#include "game/menu/system_menu.h"
#include "host/audio/audio_backend.h"
#include "host/module/module_api.h"
#include "host/run/input_schedule.h"
#include "platform/ce5/ce5_build.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

struct ThreeFonts : FontListPort {
  std::vector<std::string> names{"Alpha", "Beta", "Gamma"};
  std::uint32_t Count() const override { return static_cast<std::uint32_t>(names.size()); }
  const char* Name(std::uint32_t index) const override { return index < names.size() ? names[index].c_str() : ""; }
  std::uint32_t Find(const char* name) override {
    for (std::uint32_t i = 0; i < names.size(); ++i) {
      if (names[i] == name) return i;
    }
    return 0;
  }
};

// The menu as the engine leaves it, read while the engine object still
// exists (the settings are flushed at exit).
struct ObservingServices : ProcessServicesPort {
  CGameApp* app = nullptr;
  std::string breadcrumb;
  std::vector<std::uint32_t> checked;
  void FlushProfile() override {
    auto& menu = static_cast<CSystemMenu&>(*app->systemMenu);
    char crumb[512];
    char status[128];
    menu.ComposeHeader(crumb, status);
    breadcrumb = crumb;
    checked.clear();
    for (std::uint32_t id = 40007; id <= 40332; ++id) {
      const MenuItem* item = menu.Item(nullptr, id);
      if (item != nullptr && (item->flags & kMenuChecked)) checked.push_back(id);
    }
    ProcessServicesPort::FlushProfile();
  }
};

// Key presses 100 ms apart from a start time.
class KeyScript {
 public:
  explicit KeyScript(int start) : time_(start) {}
  KeyScript& Press(const char* key, int times = 1) {
    for (int i = 0; i < times; ++i) {
      text_ += std::to_string(time_) + " press " + key + "; ";
      time_ += 100;
    }
    return *this;
  }
  std::string Close() { return text_ + std::to_string(time_ + 200) + " close"; }

 private:
  int time_;
  std::string text_;
};

class MenuRestartRunTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    std::filesystem::copy_file(std::string(NOVEL_BINARY_DIR) + "/bin/Tamberwick.ovl", dir_.HostPath("Tamberwick.ovl"));
    HostSetModulePath(dir_.HostPath("novel_ce5").c_str());
    HostAudioSetDevice(HostAudioDevice::Manual);
  }
  void TearDown() override {
    HostSetModulePath("");
    HostSetWindowBackend(nullptr);
    ShellTest::TearDown();
  }

  void Run(const std::string& input) {
    std::vector<ScheduledAction> actions;
    std::string error;
    ASSERT_TRUE(ParseInputScript(input, &actions, &error)) << error;
    HostWindowSystemReset();
    HostSetWindowBackend(MakeHeadlessBackend(InputSchedule(actions)));
    const int result = RunEngine(
        Ce5Build(), services_,
        [this] {
          std::unique_ptr<CGameApp> app = MakeGameApp();
          app->fontList = std::make_unique<ThreeFonts>();
          services_.app = app.get();
          return app;
        },
        nullptr, nullptr, SW_SHOWNORMAL);
    ASSERT_EQ(result, 0);
  }
  std::string Setting(const std::string& key) const {
    const std::string file = "\n" + dir_.ReadFile("pelmo.cfg").value_or("");
    const std::size_t at = file.find("\n" + key + "=");
    if (at == std::string::npos) return "<absent>";
    const std::size_t from = at + key.size() + 2;
    return file.substr(from, file.find('\r', from) - from);
  }

  ScopedTempDir dir_{"menu_restart_"};
  ObservingServices services_;
};

TEST_F(MenuRestartRunTest, SettingsChosenInTheMenuSurviveARestart) {
  // At the title Load, the quick loads, effects, settings and messages are
  // the root's selectable submenus; Down from no highlight takes the first.
  KeyScript keys(500);
  keys.Press("escape").Press("down", 4).Press("right").Press("down").Press("right").Press("down", 6).Press("right");
  keys.Press("escape").Press("down", 4).Press("right").Press("down", 7).Press("right").Press("down", 2).Press("right");
  keys.Press("escape").Press("down", 5).Press("right").Press("down", 3).Press("right").Press("down", 6).Press("right");
  keys.Press("escape").Press("down", 5).Press("right").Press("down", 2).Press("right").Press("down", 4).Press("right");
  // The current font's item cannot be chosen: Down skips it.
  keys.Press("escape").Press("down", 5).Press("right").Press("down").Press("right").Press("down").Press("right");
  // Up from no highlight: the last item, "終了".
  keys.Press("escape").Press("up").Press("right");
  Run(keys.Close() + "; 60000 close");
  EXPECT_EQ(Setting("MASTER_VOL"), "50");
  EXPECT_EQ(Setting("SAOUND_QUALITY"), "1");
  EXPECT_EQ(Setting("MESSAGE_SPEED"), "5");
  EXPECT_EQ(Setting("TRANS_MODE"), "3");
  EXPECT_EQ(Setting("MESSAGE_FONT_NAME"), "Beta");
  // 高音質 waits for the next start: the device kept its rate.
  EXPECT_NE(services_.breadcrumb.find("][22.05kHz]"), std::string::npos) << services_.breadcrumb;

  // The next start: open the menu, close it again, close the window.
  Run("500 press escape; 800 press left; 1200 close");
  const std::vector<std::uint32_t>& checked = services_.checked;
  for (std::uint32_t id : {40131u, 40259u, 40230u, 40054u, 40179u}) {
    EXPECT_NE(std::find(checked.begin(), checked.end(), id), checked.end()) << id;
  }
  EXPECT_NE(services_.breadcrumb.find("][44.10kHz]"), std::string::npos) << services_.breadcrumb;
}

}  // namespace
