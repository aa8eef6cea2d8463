// CDialog: a dialog made from its template (held as data), its controls
// bound to member objects through data exchange, run modally until
// EndDialog. Enter, Escape and the close box reach OnOK and OnCancel.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/mfc/controls.h"
#include "host/mfc/window_records.h"

struct DialogItemTemplate {
  ControlKind kind;
  int id;            // -1 for the labels nobody addresses
  std::string text;  // Shift-JIS
  DWORD style;       // WS_*, BS_*, ES_*, CBS_*, TBS_* bits
  DWORD exStyle;
  short x, y, cx, cy;              // dialog units
  std::vector<std::string> items;  // a list's initial items (Shift-JIS)
};

struct DialogTemplate {
  UINT id;
  std::string caption;  // Shift-JIS
  DWORD style;
  DWORD exStyle;
  short cx, cy;          // dialog units
  std::string fontName;  // Shift-JIS
  WORD pointSize;
  std::vector<DialogItemTemplate> items;  // in tab order
};

class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
  CWnd* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
};

// Binds control to the dialog's item id (once).
void DDX_Control(CDataExchange* exchange, int id, CWnd& control);

class CDialog : public CWnd {
 public:
  CDialog(const DialogTemplate& dialogTemplate, CWnd* parent);
  ~CDialog() override;

  // Creates the dialog and its controls, runs the message loop until
  // EndDialog, destroys the window; the value given to EndDialog, or -1 when
  // the dialog could not be made.
  INT_PTR DoModal();
  void EndDialog(int result);

  // DoModal in steps, for a driver that dispatches the messages itself.
  BOOL CreateFromTemplate();
  bool ModalEnded() const { return ended_; }
  INT_PTR FinishModal();

  virtual BOOL OnInitDialog();
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  const DialogTemplate& Template() const { return template_; }

 protected:
  virtual void DoDataExchange(CDataExchange* exchange);
  virtual void OnOK();
  virtual void OnCancel();
  bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  DECLARE_MESSAGE_MAP()

 private:
  const DialogTemplate& template_;
  CWnd* parent_;
  bool ended_ = false;
  INT_PTR result_ = -1;
};

// Tests: called by DoModal once the dialog is open, before its loop runs.
void HostSetModalDialogHook(std::function<void(CDialog&)> hook);

// One turn of a message loop: posts due timers, then dispatches one message;
// false when none waited.
bool HostDispatchOneMessage();
