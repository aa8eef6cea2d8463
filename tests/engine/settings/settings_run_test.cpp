// The engine started in a program folder whose "pelmo.cfg" rebinds C to
// Space and sets cursor mode 4; keys come through the window's queue.
#include <functional>
#include <string>
#include <vector>

#include "engine/shell/engine_main.h"
#include "engine/shell/fake_ports.h"
#include "settings_fixture.h"

namespace {

// Each frame: what the counters say, then the next key messages.
struct KeyScript : GamePort {
  std::vector<std::function<void(CGameEngine&)>> frames;
  std::size_t next = 0;
  void RunSceneFrame(CGameEngine& engine) override {
    if (next < frames.size()) frames[next++](engine);
  }
};

TEST_F(SettingsTest, BindingsAndCursorModeFromTheFileTakeEffectAndExitWritesTheFile) {
  dir_.WriteFile("pelmo.cfg", "[KEY_CONFIG]\r\nKEY_C=20\r\n[SYSTEM_CONFIG]\r\nKET_CUR_MODE=4\r\n");
  std::vector<std::uint32_t> seen;
  const auto post = [](CGameEngine& engine, UINT message, WPARAM key) {
    PostMessageW(engine.GetWindow(), message, key, 0);
  };
  auto script = std::make_unique<KeyScript>();
  // A frame runs between each key's down and up, as a real press lasts.
  script->frames = {
      [&](CGameEngine& e) { post(e, WM_KEYDOWN, VK_SPACE); },
      [&](CGameEngine& e) {
        seen.push_back(e.input[INPUT_C]);
        post(e, WM_KEYUP, VK_SPACE);
        post(e, WM_KEYDOWN, VK_RETURN);
      },
      [&](CGameEngine& e) {
        seen.push_back(e.input[INPUT_C]);
        post(e, WM_KEYUP, VK_RETURN);
        post(e, WM_KEYDOWN, VK_UP);
      },
      [&](CGameEngine& e) {
        seen.push_back(e.input[INPUT_UP]);
        post(e, WM_KEYUP, VK_UP);
        post(e, WM_KEYDOWN, VK_UP);
      },
      [&](CGameEngine& e) {
        seen.push_back(e.input[INPUT_UP]);
        post(e, WM_KEYUP, VK_UP);
        PostMessageW(e.GetWindow(), WM_CLOSE, 0, 0);
      },
  };
  const int result = RunEngine(RecordingCe5Build(), StandInProcessServices(),
                               [&] {
                                 auto app = std::make_unique<CGameApp>();
                                 app->game = std::move(script);
                                 return app;
                               },
                               nullptr, nullptr, SW_SHOWNORMAL);
  EXPECT_EQ(result, 0);
  // Space counts C, Enter nothing; only the second up press counts.
  EXPECT_EQ(seen, (std::vector<std::uint32_t>{1, 0, 0, 1}));
  const std::string file = dir_.ReadFile("pelmo.cfg").value_or("");
  EXPECT_EQ(WrittenValue(file, "KET_CUR_MODE"), "4");
  EXPECT_EQ(WrittenValue(file, "KEY_C"), "20");
  EXPECT_EQ(WrittenValue(file, "MESSAGE_SPEED"), "1");
}

}  // namespace
