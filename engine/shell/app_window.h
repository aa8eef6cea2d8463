// The window framework at the base of the engine object: one window, its
// class, the window procedure that routes messages to the object, the
// framework's default message handling, and frame pacing.
#pragma once

#include <cstdint>
#include <string>

#include "host/window/window_api.h"

// Frame pacing: frames are due once per period on the engine clock; missed
// periods are skipped, not caught up. Frames are also counted per second.
struct FramePacing {
  std::uint32_t started = 0;  // set by the first CountFrame
  std::uint32_t count = 0;    // frames in the current second
  std::uint32_t lastCheck = 0;
  std::uint32_t nextFrame = 0;
  std::uint32_t endOfSecond = 0;
  std::uint32_t previousCount = 0;  // frames in the previous second
  std::uint8_t parity = 0;          // lowest bit of count
  std::uint32_t setAsideCount = 0;  // count moved aside by SetFrameCountAside
  std::uint32_t period = 16;
  std::uint32_t window = 1000;
};

class CAppWindow {
 public:
  CAppWindow();
  virtual ~CAppWindow();
  CAppWindow(const CAppWindow&) = delete;
  CAppWindow& operator=(const CAppWindow&) = delete;

  // The object's message handling.
  virtual LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Counts a frame (and marks pacing started).
  void CountFrame();
  // Moves the frame count aside and starts counting again.
  void SetFrameCountAside();

  ATOM RegisterWindowClass(HINSTANCE instance, WORD word, UINT style, const char* className);
  HWND Create(HINSTANCE instance, int x, int y, int width, int height, DWORD style, const char* className,
              int showCommand, DWORD exStyle);
  void SetTitle(const char* text);
  // Ends message delivery to this object: from now on the window procedure
  // answers every message with 0 (used before destroying a window that never
  // got going, so no handler runs for it).
  void DetachWindow();

  static LRESULT WindowProcTrampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultHandler(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void OnPaint(HWND window);
  void OnEraseBackground(HWND window, HDC dc);

  void SetFramePeriod(std::uint32_t periodMs);
  bool IsFrameDue();

  HWND GetWindow() const { return window_; }
  const std::string& GetTitle() const { return title_; }
  const FramePacing& GetPacing() const { return pacing_; }

 protected:
  HWND window_ = nullptr;
  HINSTANCE instance_ = nullptr;
  CAppWindow* self_;
  int showCommand_ = 0;
  WORD classWord_ = 0;
  ATOM atom_ = 0;
  FramePacing pacing_;
  WNDCLASSW windowClass_{};
  std::u16string className_;
  std::string title_;

 private:
  struct WindowRecord;
  WindowRecord* record_ = nullptr;
};

// The banner the window carries until start-up gives it its title.
inline constexpr const char* kEngineBanner =
    "\x83\x6c\x83\x8d\x83\x58\x94\xc4\x97\x70\x83\x56\x83\x58\x83\x65\x83\x80";
