// What sits behind the window layer: a desktop window (SDL) or nothing at all
// (headless). The window layer tells the back end what happens to the
// program's windows; the back end turns device events into messages through
// host/host_input.h and keeps the picture of display memory current.
#pragma once

#include <memory>
#include <string>

#include "host/run/input_schedule.h"
#include "host/window/window_api.h"

class WindowBackend {
 public:
  virtual ~WindowBackend() = default;
  virtual void WindowCreated(HWND /*window*/, const std::string& /*titleUtf8*/) {}
  virtual void WindowDestroyed(HWND /*window*/) {}
  virtual void WindowTitleChanged(HWND /*window*/, const std::string& /*titleUtf8*/) {}
  // SW_MINIMIZE, SW_SHOW, ...
  virtual void WindowShown(HWND /*window*/, int /*command*/) {}
  virtual void WindowRaised(HWND /*window*/) {}
  // Called on every look at the message queue.
  virtual void Pump() {}
  virtual void ShowMessage(const std::string& /*captionUtf8*/, const std::string& /*textUtf8*/) {}
};

// Replaces the back end; null installs the quiet default (no window, no events).
void HostSetWindowBackend(std::unique_ptr<WindowBackend> backend);
WindowBackend& HostWindowBackend();

// Forgets every class, window and queued message (tests start afresh).
void HostWindowSystemReset();

// No window: display memory only; the schedule supplies input, screenshots
// and the end of the run; messages boxes go to standard error.
std::unique_ptr<WindowBackend> MakeHeadlessBackend(InputSchedule schedule);
// A desktop window showing display memory in landscape, scale times its size;
// null when no video device can be opened.
std::unique_ptr<WindowBackend> MakeSdlBackend(InputSchedule schedule, int scale);
