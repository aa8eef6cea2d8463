#include "host/run/program_entry.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/audio/audio_backend.h"
#include "host/files/file_api.h"
#include "host/run/host_options.h"
#include "host/run/instance_registry.h"
#include "host/time/frame_costs.h"
#include "host/window/window_backend.h"
#include "host/base/diagnostics.h"

namespace {

constexpr long long kHeadlessDefaultRunMs = 10000;

bool DesktopAvailable() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 && *x11) || (wayland && *wayland);
}

// The schedule of one back end: the clock mode set (the schedule counts from
// the clock's present reading) and the time limit added as a close.
InputSchedule ScheduleFor(const HostOptions& options, bool headless) {
  HostClockSetMode(options.clockGiven ? options.clock : headless ? HostClockMode::Virtual : HostClockMode::Real);
  std::vector<ScheduledAction> actions = options.actions;
  const long long limit = options.quitAfterMs >= 0 ? options.quitAfterMs : headless ? kHeadlessDefaultRunMs : -1;
  if (limit >= 0) {
    ScheduledAction close;
    close.kind = ScheduledAction::Kind::Close;
    close.time = static_cast<DWORD>(limit);
    actions.push_back(close);
  }
  return InputSchedule(std::move(actions));
}

std::unique_ptr<WindowBackend> MakeBackend(const HostOptions& options, bool* headless) {
  const HostPanel& panel = options.panel;
  const int viewWidth = panel.width <= panel.height ? panel.height : panel.width;
  const int scale = options.scale ? options.scale : (viewWidth < 640 ? 2 : 1);
  const bool wantSdl = options.backend == HostOptions::Backend::Sdl ||
                       (options.backend == HostOptions::Backend::Auto && DesktopAvailable());
  *headless = false;
  if (wantSdl) {
    if (auto sdl = MakeSdlBackend(ScheduleFor(options, false), scale)) return sdl;
    if (options.backend == HostOptions::Backend::Sdl) return nullptr;
    DiagnosticLine("window: running headless");
  }
  *headless = true;
  return MakeHeadlessBackend(ScheduleFor(options, true));
}

}  // namespace

int HostRunProgram(int argc, char** argv, WinMainFunction winMain, const HostPanel& defaultPanel) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  HostOptions options;
  options.panel = defaultPanel;
  std::string error;
  if (!ParseHostOptions(&args, [](const char* name) { return std::getenv(name); }, &options, &error)) {
    DiagnosticLine("%s\n%s", error.c_str(), HostOptionsHelp());
    return 2;
  }
  if (options.help) {
    std::printf("%s", HostOptionsHelp());
    return 0;
  }
  HostDisplaySetPanel(options.panel);
  bool headless = false;
  auto backend = MakeBackend(options, &headless);
  if (!backend) return 2;
  HostInstanceScopeSet(options.scopeGiven ? options.instanceScope
                       : headless         ? std::string()
                                          : "user-" + std::to_string(getuid()));
  HostSetWindowBackend(std::move(backend));
  // A window plays sound through SDL; a headless run plays by its clock.
  HostAudioSetDevice(headless ? HostAudioDevice::Manual : HostAudioDevice::Sdl);
  HostAudioSetCapture(options.audioCapture);

  std::string commandLine;
  for (const std::string& arg : args) commandLine += (commandLine.empty() ? "" : " ") + arg;
  std::u16string wideCommandLine = HostWideFromUtf8(commandLine);
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(std::uintptr_t{0x10000});
  HostFrameCostsStart(options.frameCosts);
  const int result = winMain(instance, nullptr, wideCommandLine.data(), SW_SHOWNORMAL);
  HostFrameCostsFinish();
  HostSetWindowBackend(nullptr);
  return result;
}
