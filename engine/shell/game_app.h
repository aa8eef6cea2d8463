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

  void LoadConfigAndBuildMenu() { game->LoadConfigAndBuildMenu(*this); }
  void SaveConfig() { game->SaveConfig(*this); }
};
