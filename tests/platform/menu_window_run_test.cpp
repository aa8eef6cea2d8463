// The pop-up menu in the program's real window: an X server of its own
// (Xvfb), the SDL window on it, keys and the mouse from xdotool, and
// screenshots of each stage. Skipped only where Xvfb is not installed.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/shell/engine_main.h"
#include "engine/shell/shell_fixture.h"
#include "game/game.h"
#include "host/display/landscape_view.h"
#include "host/module/module_api.h"
#include "host/run/screenshot.h"
#include "host/window/host_input.h"
#include "platform/ce5/ce5_build.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/screenshot_pixel.h"

// The leak checker of the sanitizer build; absent elsewhere.
extern "C" void __lsan_disable() __attribute__((weak));
extern "C" void __lsan_enable() __attribute__((weak));

namespace {

constexpr std::uint16_t kPanel = 0xD699;
constexpr std::uint16_t kBand = 0x0010;
constexpr auto kStepLimit = std::chrono::seconds(30);

bool Installed(const char* program) {
  return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

// An X server on a free display, stopped with the object.
class VirtualDisplay {
 public:
  VirtualDisplay() {
    int numberPipe[2];
    if (pipe(numberPipe) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(numberPipe[0]);
      const std::string fd = std::to_string(numberPipe[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "800x600x24", "-nolisten", "tcp",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(numberPipe[1]);
    char text[16] = {};
    std::size_t got = 0;
    while (got < sizeof text - 1) {
      const ssize_t n = read(numberPipe[0], text + got, sizeof text - 1 - got);
      if (n <= 0 || text[got + n - 1] == '\n') {
        got += n > 0 ? static_cast<std::size_t>(n) : 0;
        break;
      }
      got += static_cast<std::size_t>(n);
    }
    close(numberPipe[0]);
    if (got > 0 && text[0] >= '0' && text[0] <= '9')
      name_ = ":" + std::string(text, text + got - (text[got - 1] == '\n'));
  }
  ~VirtualDisplay() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  // ":N", or "" when the server did not start.
  const std::string& Name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

// A key held for several frames (a slow sanitizer build's too), short of
// the X server's auto-repeat: the engine looks at keys once a frame, so a
// press and release within one frame could go unseen, as on the device.
std::string Press(const std::string& key) { return "keydown " + key + " sleep 0.4 keyup " + key; }

std::uint16_t At(const LandscapeView& view, int x, int y) {
  return view.pixels[static_cast<std::size_t>(y) * view.width + x];
}

// One stage: an xdotool command, then what display memory shows once it has
// acted, then a screenshot.
struct Stage {
  std::string name;
  std::string xdotool;
  std::function<bool(const LandscapeView&)> reached;
};

// The SDL window with the stages run from its pump, on the program's thread:
// each command runs on a helper thread while the program goes on; the stage
// ends when display memory shows it, and the last one closes the window.
class StagedWindow : public WindowBackend {
 public:
  StagedWindow(std::unique_ptr<WindowBackend> window, std::vector<Stage> stages, std::string display,
               const ScopedTempDir& shots)
      : window_(std::move(window)), stages_(std::move(stages)), display_(std::move(display)), shots_(shots) {}
  ~StagedWindow() override {
    if (command_.joinable()) command_.join();
  }

  void WindowCreated(HWND window, const std::string& title) override { window_->WindowCreated(window, title); }
  void WindowDestroyed(HWND window) override { window_->WindowDestroyed(window); }
  void WindowTitleChanged(HWND window, const std::string& title) override {
    window_->WindowTitleChanged(window, title);
  }
  void WindowShown(HWND window, int command) override { window_->WindowShown(window, command); }
  void WindowRaised(HWND window) override { window_->WindowRaised(window); }
  void ShowMessage(const std::string& caption, const std::string& text) override {
    window_->ShowMessage(caption, text);
  }

  void Pump() override {
    window_->Pump();
    if (next_ >= stages_.size() || HostMainWindow() == nullptr) return;
    const Stage& stage = stages_[next_];
    if (!command_.joinable()) {
      started_ = std::chrono::steady_clock::now();
      const std::string line = "DISPLAY=" + display_ + " xdotool " + stage.xdotool + " >/dev/null 2>&1";
      command_ = std::thread([this, line] { commandStatus_ = std::system(line.c_str()); });
      return;
    }
    if (stage.reached(TakeLandscapeView())) {
      command_.join();
      if (commandStatus_ != 0) failures.push_back(stage.name + ": xdotool failed");
      if (!HostWriteScreenshot(Shot(stage.name))) failures.push_back(stage.name + ": no screenshot");
      reached.push_back(stage.name);
      if (++next_ == stages_.size()) HostInjectClose();
    } else if (std::chrono::steady_clock::now() - started_ > kStepLimit) {
      failures.push_back(stage.name + ": not reached");
      next_ = stages_.size();
      HostInjectClose();
    }
  }

  std::string Shot(const std::string& name) const { return shots_.HostPath(name + ".png"); }

  std::vector<std::string> reached;
  std::vector<std::string> failures;

 private:
  std::unique_ptr<WindowBackend> window_;
  std::vector<Stage> stages_;
  std::string display_;
  const ScopedTempDir& shots_;
  std::size_t next_ = 0;
  std::thread command_;
  std::atomic<int> commandStatus_{0};
  std::chrono::steady_clock::time_point started_;
};

class MenuWindowRunTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    if (!Installed("Xvfb")) GTEST_SKIP() << "Xvfb is not installed (setup.sh installs xvfb and xdotool)";
    ASSERT_TRUE(Installed("xdotool")) << "install xdotool (setup.sh does)";
    dir_.WriteFile("pelmo.cfg", "[SYSTEM_CONFIG]\r\n");
    HostSetModulePath(dir_.HostPath("novel_ce5").c_str());
    HostClockSetMode(HostClockMode::Real);
    for (const char* name : {"DISPLAY", "SDL_VIDEODRIVER"}) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
    HostSetModulePath("");
    HostSetWindowBackend(nullptr);
    if (leakCheckOff_ && __lsan_enable) __lsan_enable();
    ShellTest::TearDown();
  }

  ScopedTempDir dir_{"menu_window_"};
  bool leakCheckOff_ = false;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
  // Outlives the window, which TearDown closes first.
  std::unique_ptr<VirtualDisplay> display_;
};

TEST_F(MenuWindowRunTest, EscapeOpensTheMenuTheMouseEntersASubmenuAndEnterChoosesASetting) {
  display_ = std::make_unique<VirtualDisplay>();
  const VirtualDisplay& display = *display_;
  ASSERT_FALSE(display.Name().empty()) << "Xvfb did not start";
  setenv("DISPLAY", display.Name().c_str(), 1);
  setenv("SDL_VIDEODRIVER", "x11", 1);
  // SDL's X11 video leaves its D-Bus connection, and what hangs on it, behind
  // on purpose: the leak checker looks away until the window is gone (the
  // headless runs of the other tests check the engine's own blocks).
  if (__lsan_disable) __lsan_disable();
  leakCheckOff_ = true;
  auto window = MakeSdlBackend(InputSchedule(), 1);
  ASSERT_NE(window, nullptr) << "no SDL window on " << display.Name();

  // The program's own window: its name is the title (SDL also marks an
  // unnamed helper window with the process). The root has 13 items (a panel
  // 209 rows high); "表示効果" (the effects submenu, item 5) holds one item,
  // so its panel is 53 rows high.
  const std::string programWindow = "search --sync --onlyvisible --pid " + std::to_string(getpid()) + " --name '.+' ";
  const std::vector<Stage> stages = {
      {"root", programWindow + "windowfocus --sync %1 " + Press("Escape"),
       [](const LandscapeView& v) { return At(v, 0, 0) == kPanel && At(v, 5, 208) == 0x0000; }},
      {"effects", programWindow + "mousemove --sync --window %1 40 105 mousedown 1 sleep 0.2 mouseup 1",
       [](const LandscapeView& v) { return At(v, 5, 52) == 0x0000 && At(v, 5, 100) != kPanel; }},
      {"highlight", programWindow + "windowfocus --sync %1 " + Press("Down"),
       [](const LandscapeView& v) { return At(v, 11, 34) == kBand; }},
      {"closed", programWindow + "windowfocus --sync %1 " + Press("Return"),
       [](const LandscapeView& v) { return At(v, 0, 0) != kPanel; }},
  };
  auto staged = std::make_unique<StagedWindow>(std::move(window), stages, display.Name(), dir_);
  StagedWindow& run = *staged;
  HostSetWindowBackend(std::move(staged));
  ProcessServicesPort services;
  EXPECT_EQ(RunEngine(
                Ce5Build(), services, [] { return MakeGameApp(); }, nullptr, nullptr, SW_SHOWNORMAL),
            0);

  EXPECT_EQ(run.failures, std::vector<std::string>{});
  ASSERT_EQ(run.reached, (std::vector<std::string>{"root", "effects", "highlight", "closed"}));
  // The screenshots show the same: the root panel with its white top-left
  // border, the small submenu panel, the band, and the game picture again.
  EXPECT_EQ(ScreenshotPixel(run.Shot("root"), 1, 1), 0xFFFF);
  EXPECT_EQ(ScreenshotPixel(run.Shot("root"), 5, 150), kPanel);
  EXPECT_NE(ScreenshotPixel(run.Shot("effects"), 5, 150), kPanel);
  EXPECT_EQ(ScreenshotPixel(run.Shot("highlight"), 11, 40), kBand);
  EXPECT_NE(ScreenshotPixel(run.Shot("closed"), 5, 5), kPanel);
}

}  // namespace
