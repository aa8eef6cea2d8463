// What the framework keeps of each of its windows beside the window layer's
// table: id, parent, style, text (Shift-JIS bytes), the attached object and
// the state of a standard control. The dialog thread alone uses them.
#pragma once

#include <string>
#include <vector>

#include "host/mfc/control_messages.h"

class CWnd;

enum class ControlKind { Dialog, Button, Static, Edit, ComboBox, TrackBar };

struct ControlState {
  int check = BST_UNCHECKED;         // buttons
  std::vector<std::string> items;    // combo box list
  int selection = -1;                // combo box
  int rangeMin = 0, rangeMax = 100;  // track bar
  int position = 0;
  int ticFrequency = 1;
  int lineSize = 1;
  int pageSize = 20;
};

struct WindowRecord {
  HWND handle = nullptr;
  HWND parent = nullptr;
  int id = 0;
  ControlKind kind = ControlKind::Dialog;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::string text;
  CWnd* attached = nullptr;
  CWnd* plainWrapper = nullptr;  // handed out by GetDlgItem when nothing is attached
  ControlState control;
};

// Creates a window of the framework in the window layer's table; messages go
// to the attached object, else to the kind's own handling.
HWND HostCreateFrameworkWindow(ControlKind kind, HWND parent, int id, const std::string& text, DWORD style,
                               DWORD exStyle, int width, int height);
// Destroys the window's children, then the window; forgets their records.
void HostDestroyFrameworkWindow(HWND handle);
// Null when the window is not one of the framework's.
WindowRecord* HostWindowRecord(HWND handle);
// The child of parent with the id, or null.
HWND HostChildWithId(HWND parent, int id);
// The children of parent in creation (tab) order.
std::vector<HWND> HostChildren(HWND parent);
// The object GetDlgItem hands out for a window nothing is attached to; it
// lives as long as the window.
CWnd* HostPlainWrapper(HWND handle);
// The standard control's (or plain window's) own handling of a message.
LRESULT HostControlProcedure(WindowRecord& record, UINT message, WPARAM wParam, LPARAM lParam);
