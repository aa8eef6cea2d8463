// The window table and the message queue behind host/window_api.h.
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "host/run/call_log.h"
#include "host/window/host_input.h"
#include "host/run/instance_registry.h"
#include "host/time/host_clock.h"
#include "host/time/time_api.h"
#include "host/text/wide_text.h"
#include "host/window/window_api.h"
#include "host/window/window_backend.h"

namespace {

struct WindowClass {
  std::u16string name;
  WNDPROC procedure = nullptr;
  ATOM atom = 0;
};

struct Window {
  std::u16string className;
  std::u16string title;
  WNDPROC procedure = nullptr;
  LONG_PTR userData = 0;
  int width = 0;
  int height = 0;
  bool needsPaint = false;
  bool erase = false;
};

// A window another process published; only FindWindowW hands these out.
struct RemoteWindow {
  std::string key;
};

struct WindowSystem {
  std::recursive_mutex lock;
  std::vector<WindowClass> classes;
  std::map<HWND, Window> windows;
  std::map<HWND, RemoteWindow> remotes;
  std::vector<HWND> creationOrder;
  std::deque<MSG> queue;
  std::uintptr_t nextHandle = 1;
  ATOM nextAtom = 0xC000;
  HWND foreground = nullptr;
  bool quitPosted = false;
  int quitCode = 0;
};

WindowSystem& System() {
  static WindowSystem system;
  return system;
}

std::unique_ptr<WindowBackend>& BackendSlot() {
  static std::unique_ptr<WindowBackend> backend = std::make_unique<WindowBackend>();
  return backend;
}

// Handles are multiples of 16 so the caller's "lowest bit set" form of
// SetForegroundWindow can be told apart from the handle itself.
HWND NewHandle() { return reinterpret_cast<HWND>(System().nextHandle++ << 4); }

HWND WithoutLowBit(HWND window) {
  return reinterpret_cast<HWND>(reinterpret_cast<std::uintptr_t>(window) & ~std::uintptr_t{1});
}

std::u16string WideOrEmpty(LPCWSTR text) { return text ? std::u16string(text) : std::u16string(); }

std::string InstanceKey(const std::u16string& className, const std::u16string& title) {
  return Utf8FromWide(className.c_str()) + '\x1f' + Utf8FromWide(title.c_str());
}

Window* Find(HWND window) {
  const auto found = System().windows.find(window);
  return found == System().windows.end() ? nullptr : &found->second;
}

void Record(const std::string& entry) { HostCallLogRecord(entry); }

bool Fails(const char* name) { return HostCallFails(name); }

void PollRaiseRequests() {
  if (const void* raised = InstanceRegistryPoll()) {
    HWND window = static_cast<HWND>(const_cast<void*>(raised));
    System().foreground = window;
    HostWindowBackend().WindowRaised(window);
  }
}

bool TakeMessage(MSG* msg, bool remove) {
  WindowSystem& system = System();
  std::lock_guard guard(system.lock);
  if (!system.queue.empty()) {
    *msg = system.queue.front();
    if (remove) system.queue.pop_front();
    return true;
  }
  if (system.quitPosted) {
    *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(system.quitCode), 0, HostClockMs(), {0, 0}};
    if (remove) system.quitPosted = false;
    return true;
  }
  // As on the devices, WM_PAINT comes only when nothing else waits.
  for (auto& [handle, window] : system.windows) {
    if (window.needsPaint) {
      *msg = MSG{handle, WM_PAINT, 0, 0, HostClockMs(), {0, 0}};
      return true;
    }
  }
  return false;
}

}  // namespace

void HostSetWindowBackend(std::unique_ptr<WindowBackend> backend) {
  BackendSlot() = backend ? std::move(backend) : std::make_unique<WindowBackend>();
}

WindowBackend& HostWindowBackend() { return *BackendSlot(); }

void HostWindowSystemReset() {
  WindowSystem& system = System();
  std::lock_guard guard(system.lock);
  for (const auto& [handle, window] : system.windows) InstanceRegistryWithdraw(handle);
  system.classes.clear();
  system.windows.clear();
  system.remotes.clear();
  system.creationOrder.clear();
  system.queue.clear();
  system.foreground = nullptr;
  system.quitPosted = false;
  system.quitCode = 0;
}

ATOM RegisterClassW(const WNDCLASSW* windowClass) {
  Record("RegisterClassW");
  if (!windowClass || !windowClass->lpszClassName || Fails("RegisterClassW")) return 0;
  WindowSystem& system = System();
  std::lock_guard guard(system.lock);
  const std::u16string name = windowClass->lpszClassName;
  for (const WindowClass& existing : system.classes) {
    if (existing.name == name) return 0;
  }
  system.classes.push_back({name, windowClass->lpfnWndProc, system.nextAtom++});
  return system.classes.back().atom;
}

HWND CreateWindowExW(DWORD /*exStyle*/, LPCWSTR className, LPCWSTR title, DWORD /*style*/, int /*x*/,
                     int /*y*/, int width, int height, HWND /*parent*/, HMENU /*menu*/,
                     HINSTANCE /*instance*/, LPVOID /*param*/) {
  Record("CreateWindowExW");
  if (Fails("CreateWindowExW")) return nullptr;
  WindowSystem& system = System();
  HWND handle = nullptr;
  {
    std::lock_guard guard(system.lock);
    const std::u16string name = WideOrEmpty(className);
    WNDPROC procedure = nullptr;
    for (const WindowClass& existing : system.classes) {
      if (existing.name == name) procedure = existing.procedure;
    }
    if (!procedure) return nullptr;
    handle = NewHandle();
    Window& window = system.windows[handle];
    window.className = name;
    window.title = WideOrEmpty(title);
    window.procedure = procedure;
    window.width = width;
    window.height = height;
    window.needsPaint = true;
    window.erase = true;
    system.creationOrder.push_back(handle);
    InstanceRegistryPublish(handle, InstanceKey(window.className, window.title));
  }
  HostWindowBackend().WindowCreated(handle, Utf8FromWide(title));
  SendMessageW(handle, WM_CREATE, 0, 0);
  SendMessageW(handle, WM_SIZE, 0,
               static_cast<LPARAM>((static_cast<DWORD>(height) << 16) | static_cast<WORD>(width)));
  return handle;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR title) {
  Record("FindWindowW");
  WindowSystem& system = System();
  std::lock_guard guard(system.lock);
  const std::u16string wantedClass = WideOrEmpty(className);
  const std::u16string wantedTitle = WideOrEmpty(title);
  for (HWND handle : system.creationOrder) {
    const Window* window = Find(handle);
    if (window && (!className || window->className == wantedClass) &&
        (!title || window->title == wantedTitle)) {
      return handle;
    }
  }
  const std::string key = InstanceKey(wantedClass, wantedTitle);
  if (!InstanceRegistryExists(key)) return nullptr;
  for (const auto& [handle, remote] : system.remotes) {
    if (remote.key == key) return handle;
  }
  HWND handle = NewHandle();
  system.remotes[handle] = RemoteWindow{key};
  return handle;
}

BOOL SetForegroundWindow(HWND window) {
  Record("SetForegroundWindow");
  WindowSystem& system = System();
  std::lock_guard guard(system.lock);
  HWND handle = WithoutLowBit(window);
  if (const auto remote = system.remotes.find(handle); remote != system.remotes.end()) {
    return InstanceRegistryRequestRaise(remote->second.key) ? TRUE : FALSE;
  }
  if (!Find(handle)) return FALSE;
  system.foreground = handle;
  HostWindowBackend().WindowRaised(handle);
  return TRUE;
}

HWND GetForegroundWindow() {
  std::lock_guard guard(System().lock);
  return System().foreground;
}

BOOL SetWindowTextW(HWND handle, LPCWSTR text) {
  Record("SetWindowTextW");
  std::string titleUtf8;
  {
    std::lock_guard guard(System().lock);
    Window* window = Find(handle);
    if (!window) return FALSE;
    window->title = WideOrEmpty(text);
    InstanceRegistryPublish(handle, InstanceKey(window->className, window->title));
    titleUtf8 = Utf8FromWide(text);
  }
  HostWindowBackend().WindowTitleChanged(handle, titleUtf8);
  return TRUE;
}

LONG_PTR GetWindowLongW(HWND handle, int index) {
  std::lock_guard guard(System().lock);
  const Window* window = Find(handle);
  return window && index == GWL_USERDATA ? window->userData : 0;
}

LONG_PTR SetWindowLongW(HWND handle, int index, LONG_PTR value) {
  std::lock_guard guard(System().lock);
  Window* window = Find(handle);
  if (!window || index != GWL_USERDATA) return 0;
  const LONG_PTR previous = window->userData;
  window->userData = value;
  return previous;
}

LRESULT DefWindowProcW(HWND handle, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
  if (message == WM_PAINT) {
    std::lock_guard guard(System().lock);
    if (Window* window = Find(handle)) window->needsPaint = false;
  }
  if (message == WM_CLOSE) DestroyWindow(handle);
  return 0;
}

LRESULT SendMessageW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC procedure = nullptr;
  {
    std::lock_guard guard(System().lock);
    const Window* window = Find(handle);
    if (!window) return 0;
    procedure = window->procedure;
  }
  return procedure(handle, message, wParam, lParam);
}

BOOL DestroyWindow(HWND handle) {
  Record("DestroyWindow");
  if (!IsWindow(handle)) return FALSE;
  SendMessageW(handle, WM_DESTROY, 0, 0);
  WindowSystem& system = System();
  {
    std::lock_guard guard(system.lock);
    system.windows.erase(handle);
    std::erase(system.creationOrder, handle);
    std::erase_if(system.queue, [handle](const MSG& msg) { return msg.hwnd == handle; });
    if (system.foreground == handle) system.foreground = nullptr;
    InstanceRegistryWithdraw(handle);
  }
  HostWindowBackend().WindowDestroyed(handle);
  return TRUE;
}

BOOL IsWindow(HWND handle) {
  std::lock_guard guard(System().lock);
  return Find(handle) ? TRUE : FALSE;
}

void PostQuitMessage(int exitCode) {
  Record("PostQuitMessage");
  std::lock_guard guard(System().lock);
  System().quitPosted = true;
  System().quitCode = exitCode;
}

BOOL PostMessageW(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  std::lock_guard guard(System().lock);
  if (handle && !Find(handle)) return FALSE;
  System().queue.push_back(MSG{handle, message, wParam, lParam, HostClockMs(), {0, 0}});
  return TRUE;
}

BOOL PeekMessageW(MSG* msg, HWND /*window*/, UINT /*filterMin*/, UINT /*filterMax*/, UINT removeFlags) {
  PollRaiseRequests();
  HostWindowBackend().Pump();
  return TakeMessage(msg, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL GetMessageW(MSG* msg, HWND window, UINT filterMin, UINT filterMax) {
  while (!PeekMessageW(msg, window, filterMin, filterMax, PM_REMOVE)) Sleep(1);
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL TranslateMessage(const MSG* /*msg*/) { return FALSE; }

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  return SendMessageW(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL ShowWindow(HWND handle, int command) {
  Record("ShowWindow(" + std::to_string(command) + ")");
  {
    std::lock_guard guard(System().lock);
    if (!Find(handle)) return FALSE;
    // A minimised full-screen window gives up the foreground.
    if (command == SW_MINIMIZE && System().foreground == handle) System().foreground = nullptr;
  }
  HostWindowBackend().WindowShown(handle, command);
  return TRUE;
}

BOOL UpdateWindow(HWND handle) {
  Record("UpdateWindow");
  bool paint = false;
  {
    std::lock_guard guard(System().lock);
    const Window* window = Find(handle);
    if (!window) return FALSE;
    paint = window->needsPaint;
  }
  if (paint) SendMessageW(handle, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL InvalidateRect(HWND handle, const RECT* /*rect*/, BOOL erase) {
  std::lock_guard guard(System().lock);
  Window* window = Find(handle);
  if (!window) return FALSE;
  window->needsPaint = true;
  window->erase = window->erase || erase;
  return TRUE;
}

BOOL GetClientRect(HWND handle, RECT* rect) {
  std::lock_guard guard(System().lock);
  const Window* window = Find(handle);
  if (!window || !rect) return FALSE;
  *rect = RECT{0, 0, window->width, window->height};
  return TRUE;
}

HDC BeginPaint(HWND handle, PAINTSTRUCT* paint) {
  bool erase = false;
  {
    std::lock_guard guard(System().lock);
    Window* window = Find(handle);
    if (!window || !paint) return nullptr;
    erase = window->erase;
    window->needsPaint = false;
    window->erase = false;
    *paint = PAINTSTRUCT{reinterpret_cast<HDC>(handle), erase ? TRUE : FALSE,
                         RECT{0, 0, window->width, window->height}};
  }
  if (erase) SendMessageW(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(paint->hdc), 0);
  return paint->hdc;
}

BOOL EndPaint(HWND /*window*/, const PAINTSTRUCT* /*paint*/) { return TRUE; }

int MessageBoxW(HWND /*owner*/, LPCWSTR text, LPCWSTR caption, UINT /*type*/) {
  const std::string captionUtf8 = Utf8FromWide(caption);
  const std::string textUtf8 = Utf8FromWide(text);
  Record("MessageBoxW(" + captionUtf8 + ": " + textUtf8 + ")");
  HostWindowBackend().ShowMessage(captionUtf8, textUtf8);
  return IDOK;
}

// Device events.

HWND HostMainWindow() {
  std::lock_guard guard(System().lock);
  return System().creationOrder.empty() ? nullptr : System().creationOrder.front();
}

void HostInjectPointer(HostPointer kind, int x, int y) {
  const UINT message = kind == HostPointer::Down ? WM_LBUTTONDOWN
                       : kind == HostPointer::Up ? WM_LBUTTONUP
                                                 : WM_MOUSEMOVE;
  const WPARAM keys = kind == HostPointer::Up ? 0 : MK_LBUTTON;
  const LPARAM point = static_cast<LPARAM>((static_cast<DWORD>(static_cast<WORD>(y)) << 16) |
                                           static_cast<WORD>(x));
  PostMessageW(HostMainWindow(), message, keys, point);
}

void HostInjectKey(WPARAM virtualKey, bool down) {
  PostMessageW(HostMainWindow(), down ? WM_KEYDOWN : WM_KEYUP, virtualKey, 0);
}

void HostInjectFocus(bool gained) {
  std::lock_guard guard(System().lock);
  System().foreground = gained ? HostMainWindow() : nullptr;
}

void HostInjectClose() { PostMessageW(HostMainWindow(), WM_CLOSE, 0, 0); }
