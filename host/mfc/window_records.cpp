#include "host/mfc/window_records.h"

#include <map>
#include <memory>

#include "host/mfc/timer_api.h"
#include "host/mfc/wnd.h"

namespace {

constexpr char16_t kClassName[] = u"HostFrameworkWindow";

struct Records {
  std::map<HWND, WindowRecord> byHandle;
  std::vector<HWND> order;
  std::map<HWND, std::unique_ptr<CWnd>> wrappers;
};

Records& All() {
  static Records records;
  return records;
}

LRESULT FrameworkWindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* record = HostWindowRecord(handle);
  if (!record) return DefWindowProcW(handle, message, wParam, lParam);
  // A timer killed after its message was posted delivers nothing.
  if (message == WM_TIMER && !HostTimerDelivered(handle, wParam)) return 0;
  if (record->attached) return record->attached->WindowProc(message, wParam, lParam);
  return HostControlProcedure(*record, message, wParam, lParam);
}

void EnsureClass() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = FrameworkWindowProc;
  windowClass.lpszClassName = kClassName;
  RegisterClassW(&windowClass);  // 0 once it exists
}

}  // namespace

HWND HostCreateFrameworkWindow(ControlKind kind, HWND parent, int id, const std::string& text, DWORD style,
                               DWORD exStyle, int width, int height) {
  EnsureClass();
  HWND handle =
      CreateWindowExW(exStyle, kClassName, nullptr, style, 0, 0, width, height, parent, nullptr, nullptr, nullptr);
  if (!handle) return nullptr;
  WindowRecord& record = All().byHandle[handle];
  record.handle = handle;
  record.parent = parent;
  record.id = id;
  record.kind = kind;
  record.style = style;
  record.exStyle = exStyle;
  record.text = text;
  All().order.push_back(handle);
  return handle;
}

void HostDestroyFrameworkWindow(HWND handle) {
  for (HWND child : HostChildren(handle)) HostDestroyFrameworkWindow(child);
  DestroyWindow(handle);
  HostKillTimersOf(handle);
  Records& records = All();
  if (auto found = records.byHandle.find(handle); found != records.byHandle.end()) {
    if (found->second.attached) found->second.attached->m_hWnd = nullptr;
    records.byHandle.erase(found);
  }
  std::erase(records.order, handle);
  records.wrappers.erase(handle);
}

WindowRecord* HostWindowRecord(HWND handle) {
  const auto found = All().byHandle.find(handle);
  return found == All().byHandle.end() ? nullptr : &found->second;
}

HWND HostChildWithId(HWND parent, int id) {
  for (HWND handle : All().order) {
    const WindowRecord& record = All().byHandle[handle];
    if (record.parent == parent && record.id == id) return handle;
  }
  return nullptr;
}

std::vector<HWND> HostChildren(HWND parent) {
  std::vector<HWND> children;
  for (HWND handle : All().order) {
    if (All().byHandle[handle].parent == parent) children.push_back(handle);
  }
  return children;
}

CWnd* HostPlainWrapper(HWND handle) {
  std::unique_ptr<CWnd>& wrapper = All().wrappers[handle];
  if (!wrapper) {
    wrapper = std::make_unique<CWnd>();
    wrapper->m_hWnd = handle;
  }
  return wrapper.get();
}
