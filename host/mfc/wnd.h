// CWnd: an object attached to a window of the framework. Messages reach it
// through its message map; what the map lacks goes to the window's own
// handling (a standard control's, or the window layer's default). Texts are
// Shift-JIS bytes.
#pragma once

#include <string>

#include "host/mfc/afx_message_map.h"

class CWnd : public CCmdTarget {
 public:
  CWnd() = default;
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }

  // Attaches this object to an existing window (its messages come here).
  BOOL SubclassWindow(HWND handle);

  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The window's own handling of the message being processed.
  LRESULT Default();
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  void SetWindowText(const char* text);
  std::string GetWindowText() const;
  CWnd* GetDlgItem(int id) const;

  DWORD GetStyle() const;
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsIconic() const;
  void Invalidate(BOOL erase = TRUE);
  BOOL RedrawWindow();
  void GetClientRect(RECT* rect) const;
  HICON SetIcon(HICON icon, BOOL big);
  BOOL DestroyWindow();

  UINT_PTR SetTimer(UINT_PTR id, UINT elapse, void* callback);
  BOOL KillTimer(UINT_PTR id);

  void CheckRadioButton(int firstId, int lastId, int checkId);
  // The checked button among firstId..lastId, or 0.
  int GetCheckedRadioButton(int firstId, int lastId) const;

 protected:
  // The window's messages with the map's handlers; true when one ran.
  virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual bool OnCommand(WPARAM wParam, LPARAM lParam);

  // Handlers the maps may name; each does the default processing.
  void OnTimer(UINT_PTR id);
  void OnPaint();
  void OnDestroy();
  void OnSysCommand(UINT id, LPARAM lParam);

 private:
  struct CurrentMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  CurrentMessage current_{};
};
