#include "engine/shell/engine_base.h"

#include "engine/pictures/picture_design_space.h"

#include <algorithm>
#include <cstdlib>

#include "common/sjis_string.h"
#include "engine/pictures/picture_rgb565.h"
#include "engine/raster/compositor_engine.h"
#include "engine/raster/raster_primitives.h"
#include "engine/shell/display_access.h"
#include "engine/runtime/engine_clock.h"
#include "engine/runtime/runtime_globals.h"
#include "engine/text/message_window.h"
#include "host/text/code_page.h"
#include "host/module/module_api.h"
#include "host/time/time_api.h"

namespace {

constexpr int kProgramPathUnits = 1023;
constexpr int kProgramFolderBytes = 1024;

std::string ProgramFolderFromModule() {
  WCHAR path[kProgramPathUnits + 1] = {};
  GetModuleFileNameW(nullptr, path, kProgramPathUnits);
  char narrow[kProgramFolderBytes] = {};
  WideCharToMultiByte(CP_ACP, 0, path, -1, narrow, kProgramFolderBytes, nullptr, nullptr);
  narrow[kProgramFolderBytes - 1] = '\0';
  // Cut after the last backslash; a path without one is used whole.
  if (char* lastSeparator = StrFindLast(narrow, '\\')) lastSeparator[1] = '\0';
  return narrow;
}

}  // namespace

CEngineBase::CEngineBase()
    : services(&StandInProcessServices()) {
  defaultKeys = GXGetDefaultKeys(GX_LANDSCAPEKEYS);
  std::int16_t codes[8];
  for (int i = 0; i < 8; ++i) codes[i] = defaultKeys.keys[i].vkCode;
  keyMap.SetDefaultKeys(codes);
  input.Clear();
  backBuffer = std::make_unique<CBackBuffer>();
  mixer = std::make_unique<CSoundMixer>();
  systemMenu = std::make_unique<SystemMenuPort>();
  dirtyList = std::make_unique<CDirtyRectList>();
  compositor = MakeLayerCompositor(*this);

  options[MESSAGE_SPEED] = 2;
  options[MASTER_VOL] = 100;
  options[VOICE_VOL] = 100;
  options[MUSIC_VOL] = 60;
  options[SE_VOL] = 60;
  options[MOV_VOL] = 100;
  options[EFFECT_USE] = 1;
  options[MESSAGE_SADOW] = 1;
  options[VOICE_PLAY] = 1;
  options[SE_PLAY] = 1;
  options[PCM] = 1;
  options[BACKLOG_SIZE_MODE] = 96;

  std::srand(GetClockMs());
  programFolder = ProgramFolderFromModule();
  std::srand(GetTickCount());
}

CEngineBase::~CEngineBase() {
  if (dirtyList) dirtyList->Clear();
}

LRESULT CEngineBase::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return HandleWindowMessage(window, message, wParam, lParam);
}

void CEngineBase::CheckForeground() {
  const bool foreground = GetForegroundWindow() == window_;
  if (windowActive && !foreground) {
    Deactivate();
  } else if (!windowActive && foreground) {
    Reactivate();
  }
}

void CEngineBase::Deactivate() {
  if (!windowActive) return;
  windowActive = 0;
  if (backBuffer->IsMoviePlaying()) backBuffer->StopMovie();
  mixer->Suspend();
  GXSuspend();
  ShowWindow(window_, SW_MINIMIZE);
}

void CEngineBase::Reactivate() {
  windowActive = 1;
  GXResume();
  mixer->Resume();
  ShowWindow(window_, SW_SHOW);
  RECT whole{0, 0, GetScreenWidth(), GetScreenHeight()};
  dirtyList->Add(&whole, 1);
}

int CEngineBase::RenderFrame(const LayerNode* layers) {
  const std::int32_t width = static_cast<std::int32_t>(backBuffer->GetWidth());
  const std::int32_t height = static_cast<std::int32_t>(backBuffer->GetHeight());
  std::uint16_t* pixels = backBuffer->GetPixels();
  for (std::uint32_t i = 0; i < dirtyList->Count(); ++i) {
    RECT rect;
    if (dirtyList->GetAt(i, &rect) != 1) continue;
    if (backgroundClear) {
      FillRectColor(pixels, width, std::max<std::int32_t>(rect.left, 0), std::max<std::int32_t>(rect.top, 0),
                    std::min<std::int32_t>(rect.right, width), std::min<std::int32_t>(rect.bottom, height),
                    PackRgb565((backgroundColor >> 16) & 0xFF, (backgroundColor >> 8) & 0xFF, backgroundColor & 0xFF));
    }
    compositor->ComposeRect(layers, rect);
  }
  if (messageWindow && !messageWindow->textHidden) {
    messageWindow->MarkDirtyGlyphs(*dirtyList);
    messageWindow->Draw(*backBuffer, TextAntiAliasLevel(options), options[MESSAGE_SADOW]);
  }
  return 1;
}

void CEngineBase::PresentDirtyRects(int whole, const POINT* shake) {
  const std::uint32_t count = whole ? 1 : dirtyList->Count();
  if (count == 0) return;
  const DisplayAccess& display = GetDisplayAccess();
  void* frame = display.beginDraw();
  if (!frame) return;
  const RECT screen{0, 0, static_cast<LONG>(backBuffer->GetWidth()), static_cast<LONG>(backBuffer->GetHeight())};
  for (std::uint32_t i = 0; i < count; ++i) {
    RECT r = screen;
    if (!whole) dirtyList->GetAt(i, &r);
    RECT d = r;
    RECT s = r;
    if (shake) {
      const LONG dx = shake->x;
      const LONG dy = shake->y;
      if (dx < 0) {
        d.right += dx;
        s.left -= dx;
      } else if (dx > 0) {
        d.left += dx;
        s.right -= dx;
      }
      if (dy < 0) {
        d.bottom += dy;
        s.top -= dy;
      } else if (dy > 0) {
        d.top += dy;
        s.bottom -= dy;
      }
    }
    const POINT source{s.left, s.top};
    backBuffer->Present(window_, frame, &d, &source);
  }
  display.endDraw();
}

void CEngineBase::InvalidateDesignRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  RECT rect = DesignRectToScreen(x, y, width, height);
  dirtyList->Add(&rect, 1);
}

bool CEngineBase::IsAdvanceInputDown() const {
  return input[INPUT_TAP] == 1 || input[INPUT_C] == 1 || input[INPUT_RIGHT] == 1;
}
