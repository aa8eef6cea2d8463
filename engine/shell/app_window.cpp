#include "engine/shell/app_window.h"

#include <cstring>

#include "engine/runtime/file_helpers.h"
#include "host/text/code_page.h"
#include "host/memory/memory_api.h"

// What the window's GWL_USERDATA holds: the object that gets its messages
// and the window the record was made for.
struct CAppWindow::WindowRecord {
  CAppWindow* object;
  std::uint32_t reserved;
  HWND window;
};

namespace {

// The object whose window is being created: its first messages arrive before
// CreateWindowExW returns the handle.
CAppWindow* gObjectBeingCreated = nullptr;

std::u16string WideFromSystemText(const char* text) {
  const int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (units <= 0) return {};
  std::u16string wide(static_cast<std::size_t>(units), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), units);
  wide.resize(static_cast<std::size_t>(units) - 1);
  return wide;
}

}  // namespace

CAppWindow::CAppWindow() : self_(this), title_(kEngineBanner) {}

CAppWindow::~CAppWindow() {
  // The window is gone by now, so the record is freed from the object's own
  // copy rather than looked up through the window.
  LocalFree(record_);
}

LRESULT CAppWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultHandler(window, message, wParam, lParam);
}

void CAppWindow::CountFrame() {
  if (!pacing_.started) pacing_.started = 1;
  ++pacing_.count;
  pacing_.parity = static_cast<std::uint8_t>(pacing_.count & 1);
}

void CAppWindow::SetFrameCountAside() {
  pacing_.setAsideCount = pacing_.count;
  pacing_.count = 0;
  pacing_.parity = 0;
}

ATOM CAppWindow::RegisterWindowClass(HINSTANCE instance, WORD word, UINT style, const char* className) {
  classWord_ = word;
  className_ = WideFromSystemText(className);
  windowClass_ = WNDCLASSW{};
  windowClass_.style = style;
  windowClass_.lpfnWndProc = &CAppWindow::WindowProcTrampoline;
  windowClass_.hInstance = instance;
  windowClass_.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass_.lpszClassName = className_.c_str();
  atom_ = RegisterClassW(&windowClass_);
  return atom_;
}

HWND CAppWindow::Create(HINSTANCE instance, int x, int y, int width, int height, DWORD style,
                        const char* className, int showCommand, DWORD exStyle) {
  const std::u16string wideClass = WideFromSystemText(className);
  const std::u16string wideTitle = WideFromSystemText(title_.c_str());
  gObjectBeingCreated = self_;
  window_ = CreateWindowExW(exStyle, wideClass.c_str(), wideTitle.c_str(), style, x, y, width, height, nullptr,
                            nullptr, instance, nullptr);
  instance_ = instance;
  showCommand_ = showCommand;
  return window_;
}

void CAppWindow::SetTitle(const char* text) {
  title_ = text;
  SetWindowTextW(window_, AnsiToWideStatic(title_.c_str()));
}

void CAppWindow::DetachWindow() {
  if (record_) record_->window = nullptr;
}

LRESULT CAppWindow::WindowProcTrampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* record = reinterpret_cast<WindowRecord*>(GetWindowLongW(window, GWL_USERDATA));
  if (!record) {
    record = static_cast<WindowRecord*>(LocalAlloc(LPTR, sizeof(WindowRecord)));
    if (!record) return DefWindowProcW(window, message, wParam, lParam);
    record->object = gObjectBeingCreated;
    record->window = window;
    SetWindowLongW(window, GWL_USERDATA, reinterpret_cast<LONG_PTR>(record));
    // The object frees the record of its own window at the end.
    if (record->object && !record->object->record_) record->object->record_ = record;
  }
  if (record->window != window || !record->object) return 0;
  return record->object->WindowProc(window, message, wParam, lParam);
}

LRESULT CAppWindow::DefaultHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_MOVE:
    case WM_ACTIVATE:
    case WM_TIMER:
    case WM_INITMENUPOPUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_SYSCOMMAND:
      DefWindowProcW(window, WM_SYSCOMMAND, wParam, lParam);
      return 0;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
      DefWindowProcW(window, message, 0, lParam);
      return 0;
    case WM_ERASEBKGND:
      OnEraseBackground(window, reinterpret_cast<HDC>(wParam));
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void CAppWindow::OnPaint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  SetBkColor(dc, 0);
  SetTextColor(dc, 255);
  SetBkMode(dc, TRANSPARENT);
  EndPaint(window, &paint);
}

void CAppWindow::OnEraseBackground(HWND window, HDC dc) {
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}
