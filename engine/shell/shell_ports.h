// The narrow interfaces through which the application shell reaches the
// subsystems that sit around it: the pop-up menu, the message-font list, the
// compositor, the game side (settings, scenes, saves, menu commands) and the
// process-wide services (decoder plug-ins, message font, settings-file
// cache). Each base class is the "nothing there" stand-in: no menu open, one
// font listed, nothing composed, scene logic that does nothing.
#pragma once

#include <cstdint>
#include <string>

#include "engine/shell/config_options.h"
#include "engine/shell/input_state.h"
#include "host/window/window_api.h"

class CEngineBase;
class CGameApp;
class CGameEngine;
class FontListPort;
struct LayerNode;

class SystemMenuPort {
 public:
  virtual ~SystemMenuPort() = default;
  virtual std::uint32_t IsOpen() const { return 0; }
  virtual void HandleInput(HWND /*window*/, InputState& /*input*/) {}
  // Non-zero when the menu opened.
  virtual int Open(HWND /*window*/) { return 0; }
  // Makes the items, once the message fonts are listed.
  virtual void BuildTree(const FontListPort& /*fonts*/) {}
  // The option setters: each stores its word as the menu normalises it and
  // marks the chosen item; this stand-in has no items to mark.
  virtual void SetOption(ConfigOptions& options, ConfigWord word, std::uint32_t value);
  // The message font among count listed fonts.
  virtual void SetMessageFont(ConfigOptions& options, std::uint32_t count, std::uint32_t index);
};

// The message fonts the player can choose from: the preferred names of the
// settings file, then the fonts installed. The stand-in lists one face, the
// one asked for last (the host's font matching serves any face), else the
// usual Gothic face "ＭＳ ゴシック".
class FontListPort {
 public:
  virtual ~FontListPort() = default;
  virtual void AddPreferred(const char* /*name*/) {}
  virtual void EnumerateInstalled() {}
  virtual std::uint32_t Count() const { return 1; }
  // The listed name at index; "" past the end.
  virtual const char* Name(std::uint32_t index) const;
  // The index of name (any letter case); 0 when empty or not listed.
  virtual std::uint32_t Find(const char* name);

 private:
  std::string face_ = kDefaultMessageFace;
  static constexpr char kDefaultMessageFace[] = "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E";
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
  // The game's start-up (save listings, "system.dat"); called once the
  // engine has read its settings.
  virtual void LoadConfigAndBuildMenu(CGameApp& /*app*/) {}
  virtual void RunSceneFrame(CGameEngine& /*engine*/) {}
  virtual void WriteSystemData(CGameEngine& /*engine*/) {}
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
  // maxLength; out holds maxLength + 1 bytes.
  virtual void ReadProfileString(const char* section, const char* key, const char* def, char* out,
                                 std::uint32_t maxLength, const char* path);
  virtual std::int32_t ReadProfileInt(const char* section, const char* key, std::int32_t def, const char* path);
  virtual void WriteProfileValue(const char* section, const char* key, const char* value, const char* path);
  virtual void SetMessageFontFace(const char* face);
};

// The services used until the program installs its own.
ProcessServicesPort& StandInProcessServices();
