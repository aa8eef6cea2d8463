// Message pages and the choice screen over a real message window with the
// fake glyph source, the virtual clock, a mixer whose voice position the test
// sets, a sound output and game hooks that log their calls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/shell/game_engine.h"
#include "engine/text/message_font.h"
#include "engine/text/message_window.h"
#include "engine/text/text_fixture.h"
#include "game/frames/window_frames.h"
#include "game/messages/message_hooks.h"
#include "game/messages/message_pages.h"
#include "game/sound/sound_commands.h"
#include "game/stores/backlog_ring.h"
#include "game/stores/seen_stores.h"
#include "host/time/time_api.h"

using Log = std::vector<std::string>;

class VoiceMixer : public CSoundMixer {
 public:
  std::int32_t GetPlayPosition(int slot) override { return slot == kVoiceChannel ? voicePosition : -1; }
  std::int32_t voicePosition = -1;
};

struct LoggingOutput : SoundOutput {
  explicit LoggingOutput(Log& log) : log_(log) {}
  int Play(int slot, const char* name, const std::string&, CArchiveReader*, int, std::uint32_t, int, int) override {
    log_.push_back("Play " + std::to_string(slot) + " " + name);
    return 0;
  }
  void Stop(int slot) override { log_.push_back("Stop " + std::to_string(slot)); }
  void FadeOut(int slot, std::uint32_t ms) override {
    log_.push_back("FadeOut " + std::to_string(slot) + " " + std::to_string(ms));
  }
  int StartMovie(const char*) override { return 1; }
  void StopMovie() override {}
  Log& log_;
};

struct LoggingHooks : MessageHooks {
  explicit LoggingHooks(Log& log) : log_(log) {}
  const char* CurrentScriptName() override { return "main.txt"; }
  void CaptureSaveState() override { log_.push_back("Capture"); }
  int SaveGame(int slot) override {
    log_.push_back("SaveGame " + std::to_string(slot));
    return saveResult;
  }
  int LoadGame(int slot) override {
    log_.push_back("LoadGame " + std::to_string(slot));
    return 1;
  }
  void QuickSave() override { log_.push_back("QuickSave"); }
  void QuickLoad() override { log_.push_back("QuickLoad"); }
  int HandleWindowButtons() override { return buttonRun; }
  void SetupBacklogScreen() override { log_.push_back("SetupBacklog"); }
  void SetMenuItemEnabled(int command, int enabled) override {
    log_.push_back("Enable " + std::to_string(command) + " " + std::to_string(enabled));
  }
  int buttonRun = -1;
  int saveResult = 1;
  Log& log_;
};

class MessageTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    engine.mixer = std::make_unique<VoiceMixer>();
    engine.sceneState = SCENE_GAME;
    engine.options[MESSAGE_SPEED] = 0;  // typed at once
    engine.dirtyList->SetSize(640, 480);
    frames.BuildWindowFrame(0);
    frames.ShowMessageWindow(1);
  }
  void TearDown() override {
    engine.messageWindow.reset();
    DeleteMessageFont();
    TextTest::TearDown();
  }

  VoiceMixer& Mixer() { return static_cast<VoiceMixer&>(*engine.mixer); }
  CMessageWindow& Window() { return *engine.messageWindow; }
  std::uint32_t& Word(std::size_t word) { return engine.input.words[word]; }
  // Frames of a text token until it is shown (the typing is instant).
  void ShowText(const char* token) {
    text_ = token;
    for (std::uint32_t frame = 0; frame < 100; ++frame) {
      if (pages.ShowMessageText(text_.c_str(), frame)) return;
    }
    ADD_FAILURE() << "text never finished: " << token;
  }
  // Frames of a KW from its first until it advances, at most frames.
  int WaitFrames(std::uint32_t position, std::uint32_t frames, std::uint32_t msPerFrame = 0) {
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
      if (pages.WaitForReader(position, frame)) return static_cast<int>(frame);
      HostClockAdvance(msPerFrame);
    }
    return -1;
  }

  Log log;
  CGameEngine engine;
  CWindowFrames frames{engine};
  std::uint32_t backlogMode = 0;
  CBacklogRing backlog{backlogMode};
  CSeenStores seen;
  CSoundCommands sound{engine, std::make_unique<LoggingOutput>(log)};
  LoggingHooks hooks{log};
  CMessagePages pages{engine, frames, backlog, seen, sound, hooks};

 private:
  std::string text_;
};
