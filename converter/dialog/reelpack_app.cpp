#include "converter/dialog/reelpack_app.h"

#include "converter/dialog/reelpack_dlg.h"

namespace reelpack {

CReelpackApp theApp;

BEGIN_MESSAGE_MAP(CReelpackApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

BOOL CReelpackApp::InitInstance() {
  AfxEnableControlContainer();
  CReelpackDlg dialog;
  m_pMainWnd = &dialog;
  dialog.DoModal();
  m_pMainWnd = nullptr;
  return FALSE;
}

}  // namespace reelpack
