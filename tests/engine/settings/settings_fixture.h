// The settings routine run on an engine object in a temporary program folder
// without a window: fakes record what reaches the sound device, the menu's
// setters and the message font.
#pragma once

#include <gtest/gtest.h>

#include <strings.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/archive/profile_file.h"
#include "engine/shell/config_rules.h"
#include "engine/shell/game_app.h"
#include "engine/shell/shell_fixture.h"
#include "host/module/module_api.h"
#include "tests/support/scoped_temp_dir.h"

// Opens at 44,100 Hz when asked, unless it falls back to 22,050 Hz.
struct DeviceRecordingMixer : CSoundMixer {
  bool fallsBack = false;
  std::vector<std::string> calls;
  std::uint32_t Open(std::uint32_t rate, std::uint32_t half) override {
    calls.push_back("Open " + std::to_string(rate) + " " + std::to_string(half));
    return rate == 44100 && !fallsBack ? 44100 : 22050;
  }
  void SetOggFirst(std::uint32_t flag) override { calls.push_back("SetOggFirst " + std::to_string(flag)); }
  void SetDeviceVolume(std::uint32_t level) override { calls.push_back("SetDeviceVolume " + std::to_string(level)); }
};

// The menu's setter seam: records each call, then stores as the stand-in does.
struct RecordingMenu : SystemMenuPort {
  std::vector<std::pair<ConfigWord, std::uint32_t>> sets;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> fonts;  // count, index
  void SetOption(ConfigOptions& options, ConfigWord word, std::uint32_t value) override {
    sets.emplace_back(word, value);
    SystemMenuPort::SetOption(options, word, value);
  }
  void SetMessageFont(ConfigOptions& options, std::uint32_t count, std::uint32_t index) override {
    fonts.emplace_back(count, index);
    SystemMenuPort::SetMessageFont(options, count, index);
  }
};

// A list of known faces; Find ignores letter case.
struct FakeFontList : FontListPort {
  std::vector<std::string> names;
  std::vector<std::string> preferred;
  bool enumerated = false;
  void AddPreferred(const char* name) override { preferred.push_back(name); }
  void EnumerateInstalled() override { enumerated = true; }
  std::uint32_t Count() const override { return static_cast<std::uint32_t>(names.size()); }
  const char* Name(std::uint32_t index) const override { return index < names.size() ? names[index].c_str() : ""; }
  std::uint32_t Find(const char* name) override {
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (strcasecmp(names[i].c_str(), name) == 0) return static_cast<std::uint32_t>(i);
    }
    return 0;
  }
};

// The real settings file, with the message font's face recorded.
struct FaceRecordingServices : ProcessServicesPort {
  std::vector<std::string> faces;
  void SetMessageFontFace(const char* face) override { faces.emplace_back(face); }
};

class SettingsTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    ClearProfileCache();
    HostSetModulePath(dir_.HostPath("novel_ce5").c_str());
  }
  void TearDown() override {
    ClearProfileCache();
    HostSetModulePath("");
    ShellTest::TearDown();
  }

  // A fresh engine object with the fakes; fonts empty keeps the stand-in list.
  std::unique_ptr<CGameApp> MakeApp(bool fallsBack = false, std::vector<std::string> fonts = {}) {
    auto app = std::make_unique<CGameApp>();
    auto recordingMixer = std::make_unique<DeviceRecordingMixer>();
    recordingMixer->fallsBack = fallsBack;
    mixer = recordingMixer.get();
    app->mixer = std::move(recordingMixer);
    auto recordingMenu = std::make_unique<RecordingMenu>();
    menu = recordingMenu.get();
    app->systemMenu = std::move(recordingMenu);
    fontList = nullptr;
    if (!fonts.empty()) {
      auto list = std::make_unique<FakeFontList>();
      list->names = std::move(fonts);
      fontList = list.get();
      app->fontList = std::move(list);
    }
    services.faces.clear();
    app->services = &services;
    return app;
  }

  // Starts an engine on the folder's "pelmo.cfg" (text, or none).
  std::unique_ptr<CGameApp> Start(const std::optional<std::string>& text, bool fallsBack = false,
                                  std::vector<std::string> fonts = {}) {
    if (text) dir_.WriteFile("pelmo.cfg", *text);
    ClearProfileCache();
    auto app = MakeApp(fallsBack, std::move(fonts));
    app->LoadConfigAndBuildMenu();
    return app;
  }

  // What exit leaves in "pelmo.cfg": the settings written and flushed.
  std::string Exit(CGameApp& app) {
    app.SaveConfig();
    FlushProfile();
    return dir_.ReadFile("pelmo.cfg").value_or("<none>");
  }

  static std::uint32_t Word(const CGameApp& app, const char* key) {
    return app.options[static_cast<ConfigWord>(FindConfigRule(key)->target)];
  }

  // The value of key's line in the file text, or "<absent>".
  static std::string WrittenValue(const std::string& file, const std::string& key) {
    const std::string needle = "\n" + key + "=";
    const std::size_t at = ("\n" + file).find(needle);
    if (at == std::string::npos) return "<absent>";
    const std::size_t from = at + needle.size() - 1;
    return file.substr(from, file.find('\r', from) - from);
  }

  ScopedTempDir dir_{"settings_"};
  FaceRecordingServices services;
  DeviceRecordingMixer* mixer = nullptr;
  RecordingMenu* menu = nullptr;
  FakeFontList* fontList = nullptr;
};
