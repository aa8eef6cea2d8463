// CWinApp: the one application object. Its InitInstance runs the program's
// start (for a dialog program: the dialog, modally); commands no window
// handles reach its message map.
#pragma once

#include "host/mfc/wnd.h"

class CWinApp : public CCmdTarget {
 public:
  CWinApp();
  ~CWinApp() override;

  // The program's start; false ends the program (a dialog program's
  // InitInstance runs its dialog and returns false).
  virtual BOOL InitInstance();

  HICON LoadIcon(UINT id) const;
  // Help on the application: recorded as "WinHelp" (no help viewer here).
  void OnHelp();

  CWnd* m_pMainWnd = nullptr;

  DECLARE_MESSAGE_MAP()
};

// The application object, or null before it is made.
CWinApp* AfxGetApp();
// Allows controls that are objects of their own in dialogs; nothing to do here.
void AfxEnableControlContainer();
