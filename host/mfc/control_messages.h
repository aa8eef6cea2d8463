// Messages, notifications and style bits of dialogs and the standard
// controls (button, static, edit, combo box, track bar), beside the ones the
// window layer defines.
#pragma once

#include "host/window/window_api.h"

inline constexpr UINT WM_ENABLE = 0x000A;
inline constexpr UINT WM_SETTEXT = 0x000C;
inline constexpr UINT WM_ICONERASEBKGND = 0x0027;
inline constexpr UINT WM_SETICON = 0x0080;
inline constexpr UINT WM_QUERYDRAGICON = 0x0037;
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_DROPFILES = 0x0233;

inline constexpr int IDCANCEL = 2;
inline constexpr UINT ID_HELP = 0xE146;

// Window and dialog styles.
inline constexpr DWORD WS_POPUP = 0x80000000u;
inline constexpr DWORD WS_CHILD = 0x40000000u;
inline constexpr DWORD WS_MINIMIZE = 0x20000000u;
inline constexpr DWORD WS_DISABLED = 0x08000000u;
inline constexpr DWORD WS_CAPTION = 0x00C00000u;
inline constexpr DWORD WS_BORDER = 0x00800000u;
inline constexpr DWORD WS_SYSMENU = 0x00080000u;
inline constexpr DWORD WS_GROUP = 0x00020000u;
inline constexpr DWORD WS_TABSTOP = 0x00010000u;
inline constexpr DWORD DS_MODALFRAME = 0x0080u;
inline constexpr DWORD DS_SETFONT = 0x0040u;
inline constexpr DWORD WS_EX_ACCEPTFILES = 0x00000010u;
inline constexpr DWORD WS_EX_APPWINDOW = 0x00040000u;
inline constexpr int GWL_STYLE = -16;

// Notification codes of the controls.
inline constexpr UINT BN_CLICKED = 0;
inline constexpr UINT CBN_SELCHANGE = 1;

// Buttons.
inline constexpr DWORD BS_PUSHBUTTON = 0x0000u;
inline constexpr DWORD BS_AUTOCHECKBOX = 0x0003u;
inline constexpr DWORD BS_GROUPBOX = 0x0007u;
inline constexpr DWORD BS_AUTORADIOBUTTON = 0x0009u;
inline constexpr DWORD BS_TYPEMASK = 0x000Fu;
inline constexpr UINT BM_GETCHECK = 0x00F0;
inline constexpr UINT BM_SETCHECK = 0x00F1;
inline constexpr UINT BM_CLICK = 0x00F5;
inline constexpr int BST_UNCHECKED = 0;
inline constexpr int BST_CHECKED = 1;

// Edits and statics.
inline constexpr DWORD ES_AUTOHSCROLL = 0x0080u;
inline constexpr DWORD ES_READONLY = 0x0800u;
inline constexpr DWORD SS_LEFT = 0x0000u;

// Combo boxes.
inline constexpr DWORD CBS_DROPDOWNLIST = 0x0003u;
inline constexpr DWORD CBS_HASSTRINGS = 0x0200u;
inline constexpr UINT CB_GETCOUNT = 0x0146;
inline constexpr UINT CB_GETCURSEL = 0x0147;
inline constexpr UINT CB_ADDSTRING = 0x0143;
inline constexpr UINT CB_SETCURSEL = 0x014E;
inline constexpr LRESULT CB_ERR = -1;

// Track bars.
inline constexpr DWORD TBS_AUTOTICKS = 0x0001u;
inline constexpr DWORD TBS_TOP = 0x0004u;
inline constexpr UINT TBM_GETPOS = 0x0400;
inline constexpr UINT TBM_SETPOS = 0x0405;
inline constexpr UINT TBM_SETRANGE = 0x0406;
inline constexpr UINT TBM_SETTICFREQ = 0x0414;
inline constexpr UINT TBM_SETPAGESIZE = 0x0415;
inline constexpr UINT TBM_SETLINESIZE = 0x0417;

// What a user does to a control, as the host's test driver posts it: a
// choice from a combo box's list (wParam the index; notifies the parent), a
// track bar's knob moved (wParam the position, clamped; no notification).
inline constexpr UINT HOST_CB_USERSELECT = 0xBF00;
inline constexpr UINT HOST_TBM_USERSLIDE = 0xBF01;

inline constexpr WPARAM MakeCommandWParam(UINT id, UINT code) { return (WPARAM{code} << 16) | (id & 0xFFFF); }
inline constexpr LPARAM MakeLong(int low, int high) {
  return static_cast<LPARAM>((static_cast<DWORD>(high & 0xFFFF) << 16) | static_cast<DWORD>(low & 0xFFFF));
}
