#include <SDL.h>

#include <cstring>

#include "host/window/host_input.h"
#include "host/display/landscape_view.h"
#include "host/window/window_backend.h"
#include "host/base/diagnostics.h"

namespace {

constexpr Uint32 kPresentIntervalMs = 16;

WPARAM VirtualKeyFor(SDL_Keycode key) {
  switch (key) {
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_TAB: return VK_TAB;
    case SDLK_BACKSPACE: return VK_BACK;
    default: break;
  }
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<WPARAM>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<WPARAM>('0' + (key - SDLK_0));
  return 0;
}

class SdlBackend final : public WindowBackend {
 public:
  SdlBackend(InputSchedule schedule, int scale) : schedule_(std::move(schedule)), scale_(scale) {}

  ~SdlBackend() override {
    CloseWindow();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  void WindowCreated(HWND window, const std::string& title) override {
    if (sdlWindow_) return;  // the first window is the program's screen
    const LandscapeView view = TakeLandscapeView();
    sdlWindow_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                  view.width * scale_, view.height * scale_, SDL_WINDOW_SHOWN);
    if (!sdlWindow_) return;
    renderer_ = SDL_CreateRenderer(sdlWindow_, -1, 0);
    if (renderer_) {
      SDL_RenderSetLogicalSize(renderer_, view.width, view.height);
      texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                   view.width, view.height);
    }
    window_ = window;
  }

  void WindowDestroyed(HWND window) override {
    if (window == window_) CloseWindow();
  }

  void WindowTitleChanged(HWND window, const std::string& title) override {
    if (window == window_ && sdlWindow_) SDL_SetWindowTitle(sdlWindow_, title.c_str());
  }

  void WindowShown(HWND window, int command) override {
    if (window != window_ || !sdlWindow_) return;
    if (command == SW_MINIMIZE) {
      SDL_MinimizeWindow(sdlWindow_);
    } else if (command != SW_HIDE) {
      SDL_RestoreWindow(sdlWindow_);
      SDL_ShowWindow(sdlWindow_);
    }
  }

  void WindowRaised(HWND window) override {
    if (window != window_ || !sdlWindow_) return;
    SDL_RestoreWindow(sdlWindow_);
    SDL_RaiseWindow(sdlWindow_);
  }

  void Pump() override {
    schedule_.RunDue();
    SDL_Event event;
    while (SDL_PollEvent(&event)) Handle(event);
    const Uint32 now = SDL_GetTicks();
    if (now - lastPresent_ >= kPresentIntervalMs) {
      lastPresent_ = now;
      Present();
    }
  }

  void ShowMessage(const std::string& caption, const std::string& text) override {
    DiagnosticLine("%s: %s", caption.c_str(), text.c_str());
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && std::strcmp(driver, "dummy") != 0) {
      SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), sdlWindow_);
    }
  }

 private:
  void CloseWindow() {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (sdlWindow_) SDL_DestroyWindow(sdlWindow_);
    texture_ = nullptr;
    renderer_ = nullptr;
    sdlWindow_ = nullptr;
    window_ = nullptr;
  }

  void Pointer(HostPointer kind, int x, int y) {
    int panelX = 0;
    int panelY = 0;
    LandscapeToPanel(x, y, &panelX, &panelY);
    HostInjectPointer(kind, panelX, panelY);
  }

  void Handle(const SDL_Event& event) {
    switch (event.type) {
      case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT) Pointer(HostPointer::Down, event.button.x, event.button.y);
        break;
      case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT) Pointer(HostPointer::Up, event.button.x, event.button.y);
        break;
      case SDL_MOUSEMOTION:
        // A stylus moves only while it touches the panel.
        if (event.motion.state & SDL_BUTTON_LMASK) Pointer(HostPointer::Move, event.motion.x, event.motion.y);
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (const WPARAM key = VirtualKeyFor(event.key.keysym.sym)) HostInjectKey(key, event.type == SDL_KEYDOWN);
        break;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) HostInjectFocus(false);
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) HostInjectFocus(true);
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) HostInjectClose();
        break;
      case SDL_QUIT:
        HostInjectClose();
        break;
      default:
        break;
    }
  }

  void Present() {
    if (!texture_) return;
    const LandscapeView view = TakeLandscapeView();
    SDL_UpdateTexture(texture_, nullptr, view.pixels.data(), view.width * 2);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
  }

  InputSchedule schedule_;
  int scale_;
  HWND window_ = nullptr;
  SDL_Window* sdlWindow_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  Uint32 lastPresent_ = 0;
};

}  // namespace

std::unique_ptr<WindowBackend> MakeSdlBackend(InputSchedule schedule, int scale) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    DiagnosticLine("window: no video device (%s)", SDL_GetError());
    return nullptr;
  }
  return std::make_unique<SdlBackend>(std::move(schedule), scale < 1 ? 1 : scale);
}
