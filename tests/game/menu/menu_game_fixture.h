// A game with the real system menu over an engine object without a window:
// the game's own steps that a command reaches (loads, saves, the title, the
// previous choice, volumes, stopping sound) and the menu's setters write a
// line each into the host's call log.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/shell/config_rules.h"
#include "engine/shell/fake_ports.h"
#include "engine/shell/shell_fixture.h"
#include "game/game.h"
#include "game/menu/system_menu.h"

struct ListedFonts : FontListPort {
  std::vector<std::string> names{"Alpha", "Beta", "Gamma"};
  std::uint32_t Count() const override { return static_cast<std::uint32_t>(names.size()); }
  const char* Name(std::uint32_t index) const override { return index < names.size() ? names[index].c_str() : ""; }
};

struct SetterRecordingMenu : CSystemMenu {
  void SetOption(ConfigOptions& options, ConfigWord word, std::uint32_t value) override {
    HostCallLogRecord("Set " + std::string(FindConfigRuleForWord(word)->key) + " " + std::to_string(value));
    CSystemMenu::SetOption(options, word, value);
  }
  void SetMessageFont(ConfigOptions& options, std::uint32_t count, std::uint32_t index) override {
    HostCallLogRecord("Set MESSAGE_FONT_NAME " + std::to_string(index) + " of " + std::to_string(count));
    CSystemMenu::SetMessageFont(options, count, index);
  }
};

struct CommandMixer : RecordingMixer {
  void SetOggFirst(std::uint32_t flag) override { HostCallLogRecord("SetOggFirst " + std::to_string(flag)); }
};

struct FaceServices : RecordingServices {
  void SetMessageFontFace(const char* face) override { HostCallLogRecord(std::string("Face ") + face); }
};

class CommandGame : public CGame {
 public:
  using CGame::CGame;
  int LoadGame(int slot) override { return Log("LoadGame " + std::to_string(slot)); }
  int SaveGame(int slot) override { return Log("SaveGame " + std::to_string(slot)); }
  void ReturnToTitle() override { Log("ReturnToTitle"); }
  void ReturnToPreviousChoice() override { Log("ReturnToPreviousChoice"); }
  void ApplyVolumes(std::uint32_t category, std::uint32_t volume) override {
    Log("ApplyVolumes " + std::to_string(category) + " " + std::to_string(volume));
  }

 protected:
  void StopMovie() override { Log("StopMovie"); }
  void StopAllSounds() override { Log("StopAllSounds"); }

 private:
  static int Log(const std::string& line) {
    HostCallLogRecord(line);
    return 1;
  }
};

class MenuGameTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    app = std::make_unique<CGameApp>();
    auto recordingMenu = std::make_unique<SetterRecordingMenu>();
    menu = recordingMenu.get();
    app->systemMenu = std::move(recordingMenu);
    app->mixer = std::make_unique<CommandMixer>();
    app->fontList = std::make_unique<ListedFonts>();
    app->services = &services;
    app->dirtyList->SetSize(static_cast<std::int32_t>(app->backBuffer->GetWidth()),
                            static_cast<std::int32_t>(app->backBuffer->GetHeight()));
    auto commandGame = std::make_unique<CommandGame>(*app);
    game = commandGame.get();
    app->game = std::move(commandGame);
    menu->BuildTree(*app->fontList);
    HostCallLogTake();
  }
  void TearDown() override {
    app.reset();
    ShellTest::TearDown();
  }

  // The command as the window procedure hands it on.
  void Dispatch(std::uint32_t id) { app->HandleMessage(app->GetWindow(), WM_COMMAND, id, 0); }
  // What the game and the menu were asked to do since the last call.
  static std::vector<std::string> Taken() {
    return Only(HostCallLogTake(), {"Set ", "LoadGame", "SaveGame", "ReturnTo", "ApplyVolumes", "StopMovie",
                                    "StopAllSounds", "SetOggFirst", "Face "});
  }
  // The messages posted since the last call.
  static std::vector<UINT> Posted() {
    std::vector<UINT> messages;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) messages.push_back(message.message);
    return messages;
  }
  MenuItem& Item(std::uint32_t id) {
    MenuItem* item = menu->Item(nullptr, id);
    EXPECT_NE(item, nullptr) << id;
    static MenuItem none;
    return item != nullptr ? *item : none;
  }
  bool Checked(std::uint32_t id) { return (Item(id).flags & kMenuChecked) != 0; }
  bool Enabled(std::uint32_t id) { return (Item(id).flags & kMenuEnabled) != 0; }

  FaceServices services;
  std::unique_ptr<CGameApp> app;
  SetterRecordingMenu* menu = nullptr;
  CommandGame* game = nullptr;
};
