#include "host/mfc/wnd.h"

#include "host/mfc/timer_api.h"
#include "host/mfc/window_records.h"

CWnd::~CWnd() {
  if (WindowRecord* record = HostWindowRecord(m_hWnd); record && record->attached == this) record->attached = nullptr;
}

BOOL CWnd::SubclassWindow(HWND handle) {
  WindowRecord* record = HostWindowRecord(handle);
  if (!record || m_hWnd) return FALSE;
  record->attached = this;
  m_hWnd = handle;
  return TRUE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  const CurrentMessage outer = current_;
  current_ = {message, wParam, lParam};
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  current_ = outer;
  return result;
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_COMMAND) return OnCommand(wParam, lParam);
  const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(message);
  if (!entry) return false;
  *result = entry->pfn(this, wParam, lParam);
  return true;
}

bool CWnd::OnCommand(WPARAM wParam, LPARAM /*lParam*/) {
  return OnCmdMsg(static_cast<UINT>(wParam & 0xFFFF), static_cast<UINT>(wParam >> 16));
}

LRESULT CWnd::Default() { return DefWindowProc(current_.message, current_.wParam, current_.lParam); }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* record = HostWindowRecord(m_hWnd);
  return record ? HostControlProcedure(*record, message, wParam, lParam) : 0;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return PostMessageW(m_hWnd, message, wParam, lParam);
}

void CWnd::SetWindowText(const char* text) { SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }

std::string CWnd::GetWindowText() const {
  const WindowRecord* record = HostWindowRecord(m_hWnd);
  return record ? record->text : std::string();
}

CWnd* CWnd::GetDlgItem(int id) const {
  HWND child = HostChildWithId(m_hWnd, id);
  if (!child) return nullptr;
  const WindowRecord* record = HostWindowRecord(child);
  return record->attached ? record->attached : HostPlainWrapper(child);
}

DWORD CWnd::GetStyle() const {
  const WindowRecord* record = HostWindowRecord(m_hWnd);
  return record ? record->style : 0;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT /*flags*/) {
  WindowRecord* record = HostWindowRecord(m_hWnd);
  if (!record) return FALSE;
  const DWORD style = (record->style & ~remove) | add;
  if (style == record->style) return FALSE;
  record->style = style;
  return TRUE;
}

BOOL CWnd::EnableWindow(BOOL enable) {
  const BOOL wasDisabled = (GetStyle() & WS_DISABLED) != 0;
  if (enable) {
    ModifyStyle(WS_DISABLED, 0);
  } else {
    ModifyStyle(0, WS_DISABLED);
  }
  SendMessage(WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}

BOOL CWnd::IsIconic() const { return (GetStyle() & WS_MINIMIZE) != 0; }

void CWnd::Invalidate(BOOL erase) { InvalidateRect(m_hWnd, nullptr, erase); }

BOOL CWnd::RedrawWindow() {
  Invalidate(TRUE);
  for (HWND child : HostChildren(m_hWnd)) InvalidateRect(child, nullptr, TRUE);
  return UpdateWindow(m_hWnd);
}

void CWnd::GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }

HICON CWnd::SetIcon(HICON icon, BOOL big) {
  return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big ? 1 : 0, reinterpret_cast<LPARAM>(icon)));
}

BOOL CWnd::DestroyWindow() {
  if (!HostWindowRecord(m_hWnd)) return FALSE;
  HostDestroyFrameworkWindow(m_hWnd);
  m_hWnd = nullptr;
  return TRUE;
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse, void* /*callback*/) {
  return ::SetTimer(m_hWnd, id, elapse, nullptr);
}

BOOL CWnd::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

void CWnd::CheckRadioButton(int firstId, int lastId, int checkId) {
  for (int id = firstId; id <= lastId; ++id) {
    if (CWnd* button = GetDlgItem(id)) button->SendMessage(BM_SETCHECK, id == checkId ? BST_CHECKED : BST_UNCHECKED);
  }
}

int CWnd::GetCheckedRadioButton(int firstId, int lastId) const {
  for (int id = firstId; id <= lastId; ++id) {
    CWnd* button = GetDlgItem(id);
    if (button && button->SendMessage(BM_GETCHECK) == BST_CHECKED) return id;
  }
  return 0;
}

void CWnd::OnTimer(UINT_PTR /*id*/) { Default(); }
void CWnd::OnPaint() { Default(); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnSysCommand(UINT /*id*/, LPARAM /*lParam*/) { Default(); }
