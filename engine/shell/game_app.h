// The engine object as created by the program: the message handling of the
// final class and the frame tick.
#pragma once

#include "engine/shell/game_engine.h"

class CGameApp : public CGameEngine {
 public:
  LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnPaint(HWND window);
  // The frame tick: 0 when the pop-up menu took the pass, else 1.
  int OnIdle();

  // Start-up after the data folder is known: reads "pelmo.cfg" beside the
  // program into the options, the font list, the sound device and the key
  // map, then runs the game's start-up.
  void LoadConfigAndBuildMenu();
  // Puts every written option back into the settings cache; the shutdown's
  // flush writes the file when a value changed.
  void SaveConfig();
};
