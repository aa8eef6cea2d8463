// The engine runtime part of the engine object: back buffer, dirty list,
// input, options, data paths and the collaborators the shell drives.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/shell/app_window.h"
#include "engine/shell/back_buffer.h"
#include "engine/shell/config_options.h"
#include "engine/shell/dirty_rect_list.h"
#include "engine/shell/input_state.h"
#include "engine/shell/key_map.h"
#include "engine/raster/layer_node.h"
#include "engine/pictures/picture_slots.h"
#include "engine/raster/rule_transition.h"
#include "engine/shell/shell_ports.h"
#include "engine/sound/sound_mixer.h"
#include "engine/sprites/sprite_part.h"
#include "host/display/gapi.h"

class CMessageWindow;

class CEngineBase : public CAppWindow {
 public:
  CEngineBase();
  ~CEngineBase() override;

  LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT HandleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // Once per frame tick: turns the events of the messages into this frame's
  // words. Non-zero while the pop-up menu is open.
  std::uint32_t PollInput();
  void OnKey(HWND window, std::uint32_t key, int down);
  void OnStylusMove(HWND window, std::int32_t x, std::int32_t y, WPARAM keys);
  // The stylus pressed this frame, the C key or the right key.
  bool IsAdvanceInputDown() const;

  void CheckForeground();
  void Deactivate();
  void Reactivate();

  // Redraws every redraw rectangle of the dirty list, then the message
  // window's glyphs that need it (unless its text is hidden).
  int RenderFrame(const LayerNode* layers);
  // The dirty list, or the whole screen moved by the shake offsets.
  void PresentDirtyRects(int whole, const POINT* shake);
  // A rectangle (x, y, width, height) of the design space marked for redrawing.
  void InvalidateDesignRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);

  std::string GetProgramFolder() const { return programFolder; }
  // The data folder named in the settings file (GAME_INST_FOLDER, DATA01 to
  // DATA05) that holds the probe file, else "data\" beside the program.
  // 1 when a configured folder was taken.
  int LocateDataFolder(const char* settingsFile, const char* probeFile);
  // A folder text made absolute against the program folder; 1 when the probe
  // file (if any) exists in it.
  int ResolvePath(std::string* out, const char* folderText, const char* probeFile) const;
  // Every data path under folder; the save folder is created when missing.
  void SetDataFolder(const std::string& folder);

  // Around the scene dispatcher of each frame, in this order: empty the
  // per-priority lists; insert every live, visible sprite after its
  // priority's head (clock frozen, so one frame sees one time); drop sprites
  // whose effect ended; mark moved sprites dirty.
  void ClearDrawLists();
  void BuildDrawLists();
  void RemoveFinishedSprites();
  void InvalidateMovedSprites();
  const LayerNode* LayerListHead() const { return &drawListHeads[127]; }

  // Bits that end the program after the current frame (a picture that
  // failed to load, a blank picture asked for outside the slots).
  std::uint32_t statusWord = 0;
  CPictureSlots pictureSlots{statusWord};
  std::unique_ptr<CBackBuffer> backBuffer;
  std::string saveFolder;
  std::string pictureArchive;
  std::string secondPictureArchive;
  std::string scriptArchive;
  std::string soundEffectArchive;
  std::string voiceArchive;
  std::string bgmFolder;
  std::string dataFolder;
  std::unique_ptr<CSoundMixer> mixer;
  InputState input;
  CKeyMap keyMap;
  std::unique_ptr<CDirtyRectList> dirtyList;
  std::unique_ptr<SystemMenuPort> systemMenu;
  // Made by the settings routine unless installed before it.
  std::unique_ptr<FontListPort> fontList;
  // The running rule-image transition, if any; the compositor deletes it
  // when it has run its course.
  std::unique_ptr<CRuleTransition> ruleTransition;
  std::unique_ptr<CompositorPort> compositor;
  // Null until a script opens the window.
  std::unique_ptr<CMessageWindow> messageWindow;
  std::array<std::unique_ptr<CSpritePart>, 512> sprites;
  // Process-wide services (settings file, plug-ins); owned by the program.
  ProcessServicesPort* services;
  std::uint32_t windowActive = 1;
  std::uint32_t frameTime = 0;
  ConfigOptions options;
  LayerNode drawListHeads[128];
  std::string programFolder;
  std::uint32_t screenEffectLevel = 256;
  std::uint32_t backgroundClear = 1;
  // The game screen's fill where no picture covers it: 0x00RRGGBB.
  std::uint32_t backgroundColor = 0;
  std::int32_t shakeX = 0;
  std::int32_t shakeY = 0;
  GXKeyList defaultKeys{};
};
