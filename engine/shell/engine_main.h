// The program's start-up, main loop and shutdown, shared by every build:
// each build's WinMain calls RunEngine with its variant.
#pragma once

#include <functional>
#include <memory>

#include "engine/shell/build_variant.h"
#include "engine/shell/game_app.h"
#include "engine/shell/shell_ports.h"
#include "host/window/window_api.h"

// Window class and title: the single-instance rule looks for them.
inline constexpr const char* kWindowClass = "MYSYSTEM";
inline constexpr const char* kWindowTitle = "\x83\x79\x83\x8b\x83\x82\x82\xbf\x82\xe1\x82\xf1";

using EngineFactory = std::function<std::unique_ptr<CGameApp>()>;

// Returns the exit code of the last message (WM_QUIT's), or 0 when start-up
// stops. Whatever start-up set up is undone on every path.
int RunEngine(const BuildVariant& build, ProcessServicesPort& services, const EngineFactory& makeEngine,
              HINSTANCE instance, LPWSTR commandLine, int showCommand);
