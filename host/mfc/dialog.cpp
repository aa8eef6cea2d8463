#include "host/mfc/dialog.h"

#include "host/mfc/timer_api.h"
#include "host/mfc/win_app.h"
#include "host/time/time_api.h"

namespace {

std::function<void(CDialog&)>& ModalHook() {
  static std::function<void(CDialog&)> hook;
  return hook;
}

}  // namespace

void HostSetModalDialogHook(std::function<void(CDialog&)> hook) { ModalHook() = std::move(hook); }

bool HostDispatchOneMessage() {
  HostPostDueTimers();
  MSG msg{};
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  DispatchMessageW(&msg);
  return true;
}

void DDX_Control(CDataExchange* exchange, int id, CWnd& control) {
  if (control.m_hWnd) return;
  HWND item = HostChildWithId(exchange->m_pDlgWnd->m_hWnd, id);
  if (item) control.SubclassWindow(item);
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(const DialogTemplate& dialogTemplate, CWnd* parent) : template_(dialogTemplate), parent_(parent) {}

CDialog::~CDialog() { DestroyWindow(); }

BOOL CDialog::CreateFromTemplate() {
  ended_ = false;
  result_ = -1;
  HWND dialog =
      HostCreateFrameworkWindow(ControlKind::Dialog, parent_ ? parent_->m_hWnd : nullptr, 0, template_.caption,
                                template_.style, template_.exStyle, template_.cx, template_.cy);
  if (!dialog) return FALSE;
  SubclassWindow(dialog);
  for (const DialogItemTemplate& item : template_.items) {
    HWND control = HostCreateFrameworkWindow(item.kind, dialog, item.id, item.text, item.style | WS_CHILD, item.exStyle,
                                             item.cx, item.cy);
    if (!control) {
      DestroyWindow();
      return FALSE;
    }
    for (const std::string& text : item.items) {
      SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
  }
  SendMessage(WM_INITDIALOG);
  return TRUE;
}

INT_PTR CDialog::DoModal() {
  if (!CreateFromTemplate()) return -1;
  if (ModalHook()) ModalHook()(*this);
  while (!ended_) {
    if (!HostDispatchOneMessage()) Sleep(std::min<DWORD>(HostTimeToNextTimer(), 10));
  }
  return FinishModal();
}

INT_PTR CDialog::FinishModal() {
  DestroyWindow();
  return result_;
}

void CDialog::EndDialog(int result) {
  result_ = result;
  ended_ = true;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange exchange(this, saveAndValidate);
  DoDataExchange(&exchange);
  return TRUE;
}

void CDialog::DoDataExchange(CDataExchange* /*exchange*/) {}

void CDialog::OnOK() {
  UpdateData(TRUE);
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (CWnd::OnWndMsg(message, wParam, lParam, result)) return true;
  switch (message) {
    case WM_COMMAND:
      // Commands no window handles go to the application.
      return AfxGetApp() && AfxGetApp()->OnCmdMsg(static_cast<UINT>(wParam & 0xFFFF), static_cast<UINT>(wParam >> 16));
    case WM_INITDIALOG:
      *result = OnInitDialog();
      return true;
    case WM_CLOSE:
      SendMessage(WM_COMMAND, MakeCommandWParam(IDCANCEL, BN_CLICKED));
      return true;
    case WM_KEYDOWN:
      // The dialog manager's keys: Enter is the default button, Escape cancels.
      if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
        SendMessage(WM_COMMAND, MakeCommandWParam(wParam == VK_RETURN ? IDOK : IDCANCEL, BN_CLICKED));
        return true;
      }
      return false;
    default:
      return false;
  }
}
