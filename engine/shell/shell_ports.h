// The narrow interfaces through which the application shell reaches the
// subsystems that sit around it: the pop-up menu, the key
// map, the compositor, the game side (settings, scenes,
// saves, menu commands) and the process-wide services (decoder plug-ins,
// message font, settings-file cache). Each base class is the "nothing there"
// stand-in: no menu open, no keys mapped, nothing composed,
// scene logic that does nothing.
#pragma once

#include <cstdint>

#include "engine/shell/config_options.h"
#include "engine/shell/input_state.h"
#include "host/window/window_api.h"

class CEngineBase;
class CGameApp;
class CGameEngine;
struct LayerNode;

class SystemMenuPort {
 public:
  virtual ~SystemMenuPort() = default;
  virtual std::uint32_t IsOpen() const { return 0; }
  virtual void HandleInput(HWND /*window*/, InputState& /*input*/) {}
  // Non-zero when the menu opened.
  virtual int Open(HWND /*window*/) { return 0; }
};

class KeyMapPort {
 public:
  virtual ~KeyMapPort() = default;
  // Up, down, left, right, A, B, C, start.
  virtual void SetDefaultKeys(const std::int16_t (&/*codes*/)[8]) {}
  // Turns one key message into the action words of the input state.
  virtual void Translate(std::uint32_t /*key*/, bool /*down*/, InputState& /*input*/,
                         const ConfigOptions& /*options*/) {}
};

class CompositorPort {
 public:
  virtual ~CompositorPort() = default;
  // Draws every node of the layer list, clipped to rect, into the back buffer.
  virtual void ComposeRect(const LayerNode* /*layers*/, const RECT& /*rect*/) {}
};

class GamePort {
 public:
  virtual ~GamePort() = default;
  // The game's start-up: its settings and the pop-up menu; called once the
  // engine has its frame period, dirty list and data folder.
  virtual void LoadConfigAndBuildMenu(CGameApp& /*app*/) {}
  virtual void RunSceneFrame(CGameEngine& /*engine*/) {}
  virtual void WriteSystemData(CGameEngine& /*engine*/) {}
  virtual void SaveConfig(CGameApp& /*app*/) {}
  virtual void DispatchMenuCommand(CGameApp& /*app*/, HWND /*window*/, std::uint32_t /*command*/,
                                   LPARAM /*lParam*/) {}
};

// The plug-in calls load the decoder plug-ins, the message font and the
// settings-file calls go to their engine modules.
class ProcessServicesPort {
 public:
  virtual ~ProcessServicesPort() = default;
  virtual void LoadMp3Plugin();
  virtual void LoadOggPlugin();
  virtual void FreeOggPlugin();
  virtual void FreeMp3Plugin();
  virtual void DeleteMessageFont();
  virtual void ClearProfileCache();
  virtual void FlushProfile();
  // The settings file's string value, or def when missing or longer than
  // maxLength (GAME_INST_FOLDER lookups); out holds maxLength + 1 bytes.
  virtual void ReadProfileString(const char* section, const char* key, const char* def, char* out,
                                 std::uint32_t maxLength, const char* path);
};

// The services used until the program installs its own.
ProcessServicesPort& StandInProcessServices();
