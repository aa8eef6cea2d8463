#include "engine/shell/game_app.h"

#include "engine/pictures/picture_design_space.h"
#include "engine/shell/display_access.h"
#include "engine/runtime/engine_clock.h"
#include "host/device/power_api.h"
#include "host/time/time_api.h"

namespace {

constexpr int kPictureSlotForBackgroundRule = 28;

}  // namespace

LRESULT CGameApp::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return HandleMessage(window, message, wParam, lParam);
}

LRESULT CGameApp::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      game->DispatchMenuCommand(*this, window, static_cast<std::uint32_t>(wParam & 0xFFFF), lParam);
      return 0;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_CLOSE:
      mixer->Close();
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      WriteSystemData();
      SaveConfig();
      PostQuitMessage(0);
      return 0;
    default:
      return HandleWindowMessage(window, message, wParam, lParam);
  }
}

void CGameApp::OnPaint(HWND window) {
  PAINTSTRUCT paint;
  BeginPaint(window, &paint);
  if (windowActive && backBuffer->GetPixels()) {
    const DisplayAccess& display = GetDisplayAccess();
    if (void* frame = display.beginDraw()) {
      backBuffer->Present(window, frame, nullptr, nullptr);
      display.endDraw();
    }
  }
  EndPaint(window, &paint);
}

int CGameApp::OnIdle() {
  frameTime = GetClockMs();
  if (systemMenu->IsOpen()) {
    PollInput();
    systemMenu->HandleInput(window_, input);
    Sleep(1);
    return 0;
  }
  if (backBuffer->IsMoviePlaying()) {
    PollInput();
    if (!IsAdvanceInputDown()) {
      // A movie that ends on its own leaves its last frame on screen; the
      // next frame redraws everything over it.
      if (!backBuffer->PollMovie()) InvalidateDesignRect(0, 0, 800, 600);
      return 1;
    }
    input[INPUT_TAP] = 0;
    input[INPUT_C] = 0;
    input[INPUT_RIGHT] = 0;
    backBuffer->StopMovie();
    InvalidateDesignRect(0, 0, 800, 600);
    return 1;
  }
  if (!IsFrameDue()) {
    Sleep(1);
    return 1;
  }
  SystemIdleTimerReset();
  PollInput();
  if (!windowActive) {
    Sleep(1);
    return 1;
  }
  ClearDrawLists();
  RunSceneFrame();
  if (backBuffer->IsMoviePlaying()) {
    InvalidateDesignRect(0, 0, 800, 600);
    return 1;
  }
  if (statusWord) {
    DestroyWindow(window_);
    dirtyList->Clear();
    return 1;
  }
  BuildDrawLists();
  RemoveFinishedSprites();
  InvalidateMovedSprites();
  backgroundClear =
      sceneState != SCENE_GAME || !pictureSlots.IsPictureSlotUsed(kPictureSlotForBackgroundRule) ? 1 : 0;
  RenderFrame(LayerListHead());
  if (shakeX == 0 && shakeY == 0) {
    PresentDirtyRects(0, nullptr);
  } else {
    // The offsets are design px; the present moves back-buffer px.
    const POINT shake{DesignXToScreen(shakeX), DesignYToScreen(shakeY)};
    PresentDirtyRects(1, &shake);
  }
  dirtyList->Clear();
  return 1;
}
