#include "engine/shell/engine_main.h"

#include <new>
#include <string>

#include "engine/runtime/file_helpers.h"
#include "engine/runtime/runtime_globals.h"
#include "host/display/gapi.h"
#include "host/device/input_method_api.h"
#include "host/device/shell_api.h"

namespace {

constexpr DWORD kFullScreenFlags = SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON | SHFS_HIDESTARTICON;

void ShowStartupError(const char16_t* text) { MessageBoxW(nullptr, text, u"Error", MB_OK); }

// What start-up has brought up so far; the shutdown undoes exactly that, in
// the fixed order, whether the main loop ran or start-up stopped early.
struct Startup {
  const BuildVariant& build;
  ProcessServicesPort& services;
  std::unique_ptr<CGameApp> engine;
  bool timerRaised = false;
  UINT timerPeriod = 0;
  bool pluginsLoaded = false;
  bool displayOpen = false;
  bool inputOpen = false;
  bool profileCleared = false;
  bool inputMethodOff = false;
  HIMC previousInputContext = nullptr;

  void ShutDown() {
    HWND window = engine ? engine->GetWindow() : nullptr;
    if (inputOpen) GXCloseInput();
    if (displayOpen) GXCloseDisplay();
    if (profileCleared) services.FlushProfile();
    if (inputMethodOff) ImmAssociateContext(window, previousInputContext);
    if (timerRaised) build.endTimerPeriod(timerPeriod);
    // A window left over from a stopped start-up goes without running any
    // handler (nothing of the game was loaded, so nothing is saved).
    if (window && IsWindow(window)) {
      engine->DetachWindow();
      DestroyWindow(window);
    }
    engine.reset();
    if (pluginsLoaded) {
      services.DeleteMessageFont();
      services.FreeOggPlugin();
      services.FreeMp3Plugin();
    }
  }
};

int RunMainLoop(CGameApp& engine) {
  MSG msg{};
  do {
    engine.CheckForeground();
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      GetMessageW(&msg, nullptr, 0, 0);
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } else {
      engine.OnIdle();
    }
  } while (msg.message != WM_QUIT);
  return static_cast<int>(msg.wParam);
}

// Steps 3 to 17 of start-up; false when it stops (any message shown).
bool BringUp(Startup& startup, HINSTANCE instance, int showCommand) {
  CGameApp& engine = *startup.engine;
  // The conversion buffer is shared, so each text is copied out in turn.
  const std::u16string className = AnsiToWideStatic(kWindowClass);
  const std::u16string title = AnsiToWideStatic(kWindowTitle);
  if (HWND running = FindWindowW(className.c_str(), title.c_str())) {
    SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<std::uintptr_t>(running) | 1));
    return false;
  }
  if (startup.build.beginTimerPeriod) {
    startup.timerPeriod = startup.build.beginTimerPeriod();
    startup.timerRaised = true;
  }
  startup.services.LoadMp3Plugin();
  startup.services.LoadOggPlugin();
  startup.pluginsLoaded = true;
  if (!engine.RegisterWindowClass(instance, 0, CS_HREDRAW | CS_VREDRAW, kWindowClass)) return false;
  HWND window = engine.Create(instance, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                              WS_VISIBLE, kWindowClass, showCommand, WS_EX_TOPMOST);
  engine.SetTitle(kWindowTitle);
  if (!SHFullScreen(window, kFullScreenFlags)) {
    ShowStartupError(u"ウィンドウのフルスクリーン化に失敗しました");
    return false;
  }
  if (!window) {
    ShowStartupError(u"ウィンドウの作成に失敗しました。");
    return false;
  }
  if (!GXOpenDisplay(window, GX_FULLSCREEN)) {
    ShowStartupError(u"GAPIライブラリのロードに失敗しました");
    return false;
  }
  startup.displayOpen = true;
  GXOpenInput();
  startup.inputOpen = true;
  startup.build.display.readProperties(&engine.backBuffer->properties);
  // Drawing through a foreign geometry would write anywhere; the record alone
  // decides, so no drawing bracket is opened here.
  if (!IsUsableDisplayRecord(engine.backBuffer->properties)) {
    ShowStartupError(u"GAPIライブラリのロードに失敗しました");
    return false;
  }
  startup.services.ClearProfileCache();
  startup.profileCleared = true;
  startup.previousInputContext = ImmAssociateContext(window, nullptr);
  startup.inputMethodOff = true;
  SetForegroundWindow(window);
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  engine.SetFramePeriod(16);
  engine.dirtyList->SetSize(GetScreenWidth(), GetScreenHeight());
  engine.LocateDataFolder("pelmo.cfg", GetScreenWidth() < 640 ? "pict.mlz" : "pict_v.mlz");
  engine.LoadConfigAndBuildMenu();
  return true;
}

}  // namespace

int RunEngine(const BuildVariant& build, ProcessServicesPort& services, const EngineFactory& makeEngine,
              HINSTANCE instance, LPWSTR /*commandLine*/, int showCommand) {
  SetDesignWidth(800);
  SetDesignHeight(600);
  if (build.setsScreenSize) {
    SetScreenWidth(640);
    SetScreenHeight(480);
  }
  SetClockSource(build.clock);
  SetDisplayAccess(build.display);

  Startup startup{build, services, nullptr};
  try {
    startup.engine = makeEngine();
  } catch (const std::bad_alloc&) {
    startup.engine.reset();
  }
  if (!startup.engine) {
    ShowStartupError(u"メモリが足りません");
    return 0;
  }
  startup.engine->services = &services;
  int result = 0;
  if (BringUp(startup, instance, showCommand)) result = RunMainLoop(*startup.engine);
  startup.ShutDown();
  return result;
}
