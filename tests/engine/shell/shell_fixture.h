// A fresh host for each engine-shell test: no windows, a 480 x 640 portrait
// panel, the virtual clock at 0, the calls log on and nothing failing, the
// engine's sizes as the CE 5 build sets them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/shell/raw_display_access.h"
#include "engine/runtime/runtime_globals.h"
#include "host/run/call_log.h"
#include "host/display/display_api.h"
#include "host/display/gapi.h"
#include "host/time/time_api.h"
#include "host/window/window_api.h"
#include "host/window/window_backend.h"

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostWindowSystemReset();
    HostSetWindowBackend(nullptr);
    GXCloseInput();
    GXCloseDisplay();
    GXResume();
    HostDisplaySetPanel(HostPanel{480, 640, 0});
    HostClockSetMode(HostClockMode::Virtual);
    HostClockSetVirtualNow(0);
    HostClearFailures();
    HostCallLogEnable(true);
    SetDisplayAccess(RawDisplayAccess());
    SetDesignWidth(800);
    SetDesignHeight(600);
    SetScreenWidth(640);
    SetScreenHeight(480);
  }

  void TearDown() override {
    HostCallLogEnable(false);
    HostClearFailures();
    HostWindowSystemReset();
  }

  // A window of the engine's class and title, as a first running copy
  // leaves it, with the log emptied after it.
  static HWND OpenFirstInstance() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = u"MYSYSTEM";
    RegisterClassW(&windowClass);
    HWND first = CreateWindowExW(0, u"MYSYSTEM", u"ペルモちゃん", 0, 0, 0, 480, 640, nullptr, nullptr, nullptr, nullptr);
    HostCallLogTake();
    return first;
  }

  // The log entries of the named calls only, in order.
  static std::vector<std::string> Only(const std::vector<std::string>& log, const std::vector<std::string>& names) {
    std::vector<std::string> kept;
    for (const std::string& entry : log) {
      for (const std::string& name : names) {
        if (entry.rfind(name, 0) == 0) {
          kept.push_back(entry);
          break;
        }
      }
    }
    return kept;
  }
};
