// Windows, window classes and the message queue, as the engine's shell uses
// them. One process-wide table of windows; messages are delivered to the
// class's window procedure, synchronously for the calls that do so on the
// devices (creation, DestroyWindow, UpdateWindow, BeginPaint's erase).
#pragma once

#include <cstdint>

#include "host/base/win_types.h"
#include "host/gdi/gdi_api.h"

using HICON = void*;
using HCURSOR = void*;
using HMENU = void*;
using ATOM = WORD;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LONG_PTR = std::intptr_t;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

struct WNDCLASSW {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCWSTR lpszMenuName;
  LPCWSTR lpszClassName;
};

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
};

inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_MOVE = 0x0003;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_ACTIVATE = 0x0006;
inline constexpr UINT WM_SETFOCUS = 0x0007;
inline constexpr UINT WM_KILLFOCUS = 0x0008;
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_ERASEBKGND = 0x0014;
inline constexpr UINT WM_MEASUREITEM = 0x002C;
inline constexpr UINT WM_DRAWITEM = 0x002B;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_KEYUP = 0x0101;
inline constexpr UINT WM_CHAR = 0x0102;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_HSCROLL = 0x0114;
inline constexpr UINT WM_VSCROLL = 0x0115;
inline constexpr UINT WM_INITMENUPOPUP = 0x0117;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;

inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;

inline constexpr UINT CS_VREDRAW = 0x0001;
inline constexpr UINT CS_HREDRAW = 0x0002;
inline constexpr DWORD WS_VISIBLE = 0x10000000u;
inline constexpr DWORD WS_EX_TOPMOST = 0x00000008u;

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;
inline constexpr int SW_MINIMIZE = 6;
inline constexpr int SW_SHOW = 5;

inline constexpr int GWL_USERDATA = -21;

inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;

inline constexpr UINT MB_OK = 0x0000;
inline constexpr int IDOK = 1;

inline constexpr WORD MK_LBUTTON = 0x0001;

// Virtual-key codes the host's input back ends produce.
inline constexpr WPARAM VK_BACK = 0x08;
inline constexpr WPARAM VK_TAB = 0x09;
inline constexpr WPARAM VK_RETURN = 0x0D;
inline constexpr WPARAM VK_ESCAPE = 0x1B;
inline constexpr WPARAM VK_SPACE = 0x20;
inline constexpr WPARAM VK_LEFT = 0x25;
inline constexpr WPARAM VK_UP = 0x26;
inline constexpr WPARAM VK_RIGHT = 0x27;
inline constexpr WPARAM VK_DOWN = 0x28;

ATOM RegisterClassW(const WNDCLASSW* windowClass);
// Delivers WM_CREATE and WM_SIZE before it returns.
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
// Looks in this process first, then for a window another process has open
// under the same class and title (the single-instance rule of the devices).
HWND FindWindowW(LPCWSTR className, LPCWSTR title);
// The lowest bit of the handle may be set (bring owned windows forward too).
BOOL SetForegroundWindow(HWND window);
HWND GetForegroundWindow();
BOOL SetWindowTextW(HWND window, LPCWSTR text);
LONG_PTR GetWindowLongW(HWND window, int index);
LONG_PTR SetWindowLongW(HWND window, int index, LONG_PTR value);
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Sends WM_DESTROY before it returns.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
void PostQuitMessage(int exitCode);
BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PeekMessageW(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
// Blocks until a message arrives; 0 for WM_QUIT.
BOOL GetMessageW(MSG* msg, HWND window, UINT filterMin, UINT filterMax);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
BOOL ShowWindow(HWND window, int command);
// Sends WM_PAINT at once when part of the window is invalid.
BOOL UpdateWindow(HWND window);
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL GetClientRect(HWND window, RECT* rect);
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
int GetSystemMetrics(int index);
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
