#include "engine/shell/engine_base.h"

namespace {

void PointFromLParam(LPARAM lParam, std::int32_t* x, std::int32_t* y) {
  *x = static_cast<std::int16_t>(lParam & 0xFFFF);
  *y = static_cast<std::int32_t>((static_cast<std::uint32_t>(lParam) >> 16) & 0xFFFF);
}

}  // namespace

LRESULT CEngineBase::HandleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::int32_t x = 0;
  std::int32_t y = 0;
  switch (message) {
    case WM_ACTIVATE:
      return 0;
    case WM_LBUTTONDOWN:
      input[INPUT_STYLUS_DOWN_EVENT] = 1;
      input[INPUT_STYLUS_HELD] = 1;
      PointFromLParam(lParam, &x, &y);
      backBuffer->screenMode.MapStylusPoint(&x, &y);
      input[INPUT_STYLUS_X] = static_cast<std::uint32_t>(x);
      input[INPUT_STYLUS_Y] = static_cast<std::uint32_t>(y);
      return 0;
    case WM_LBUTTONUP:
      input[INPUT_STYLUS_DOWN_EVENT] = 0;
      input[INPUT_STYLUS_HELD] = 0;
      input[INPUT_STYLUS_UP_EVENT] = 1;
      return 0;
    case WM_MOUSEMOVE:
      PointFromLParam(lParam, &x, &y);
      OnStylusMove(window, x, y, wParam);
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
      OnKey(window, static_cast<std::uint32_t>(wParam), message == WM_KEYDOWN);
      return 0;
    default:
      return CAppWindow::WindowProc(window, message, wParam, lParam);
  }
}

void CEngineBase::OnStylusMove(HWND /*window*/, std::int32_t x, std::int32_t y, WPARAM /*keys*/) {
  backBuffer->screenMode.MapStylusPoint(&x, &y);
  input[INPUT_STYLUS_X] = static_cast<std::uint32_t>(x);
  input[INPUT_STYLUS_Y] = static_cast<std::uint32_t>(y);
}

void CEngineBase::OnKey(HWND window, std::uint32_t key, int down) {
  keyMap.TranslateKey(input.words.data(), key, down, options[KET_CUR_MODE], options[KET_DOUBLE_CLICK]);
  // The key that opens the menu counts as consumed (2), not released (0):
  // its auto-repeat would count 1 again and close the menu at once.
  auto consume = [this](InputWord key) {
    if (input[key] == 1) input[key] = 2;
  };
  if (options[KEY_CEN_CTRL] == 1) {
    if ((input[INPUT_START] == 1 || input[INPUT_B] == 1) && systemMenu->Open(window)) {
      consume(INPUT_START);
      consume(INPUT_B);
    }
  } else if (input[INPUT_B] == 1 && systemMenu->Open(window)) {
    consume(INPUT_B);
  }
}

std::uint32_t CEngineBase::PollInput() {
  input[INPUT_TAP] = input[INPUT_STYLUS_DOWN_EVENT];
  input[INPUT_SECOND_EVENT] = input[INPUT_SECOND_EVENT_RAW];
  input[INPUT_STYLUS_DOWN_EVENT] = 0;
  input[INPUT_SECOND_EVENT_RAW] = 0;
  input[INPUT_RELEASED] = input[INPUT_STYLUS_UP_EVENT];
  input[INPUT_STYLUS_UP_EVENT] = 0;
  if (input[INPUT_TAP]) {
    input[INPUT_C] = 0;
    input[INPUT_A] = 0;
    input[INPUT_B] = 0;
  }
  // A tap or a C, A or B key wipes the direction and start keys of the frame.
  if (input[INPUT_TAP] || input[INPUT_C] == 1 || input[INPUT_A] == 1 || input[INPUT_B] == 1) {
    for (int word = INPUT_UP; word <= INPUT_START; ++word) input.words[static_cast<std::size_t>(word)] = 0;
    for (int word = INPUT_LATCH_FIRST; word <= INPUT_START_LATCH; ++word) {
      input.words[static_cast<std::size_t>(word)] = 0;
    }
  }
  if (const std::uint32_t open = systemMenu->IsOpen()) return open;
  if (options[LOCK_SKIP] && input[INPUT_LEFT] == 1) {
    input[INPUT_LEFT] = 0;
    options[SKIP_RUNNING] = 1;
    return 0;
  }
  if (options[SKIP_RUNNING] && IsAdvanceInputDown()) {
    options[SKIP_RUNNING] = 0;
    input[INPUT_C] = 0;
    input[INPUT_TAP] = 0;
    input[INPUT_RIGHT] = 0;
  }
  return 0;
}
