// CPaintDC: BeginPaint and EndPaint around a window's painting.
#pragma once

#include "host/mfc/icon_api.h"
#include "host/mfc/wnd.h"

class CPaintDC {
 public:
  explicit CPaintDC(CWnd* window) : window_(window->m_hWnd) { BeginPaint(window_, &m_ps); }
  ~CPaintDC() { EndPaint(window_, &m_ps); }
  CPaintDC(const CPaintDC&) = delete;
  CPaintDC& operator=(const CPaintDC&) = delete;

  HDC GetSafeHdc() const { return m_ps.hdc; }
  BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_ps.hdc, x, y, icon); }

  PAINTSTRUCT m_ps{};

 private:
  HWND window_;
};
