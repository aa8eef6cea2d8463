#include "host/mfc/win_app.h"

#include "host/mfc/icon_api.h"
#include "host/run/call_log.h"

namespace {

CWinApp* application = nullptr;

}  // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

CWinApp::CWinApp() { application = this; }

CWinApp::~CWinApp() {
  if (application == this) application = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

HICON CWinApp::LoadIcon(UINT id) const { return LoadIconA(nullptr, id); }

void CWinApp::OnHelp() { HostCallLogRecord("WinHelp"); }

CWinApp* AfxGetApp() { return application; }

void AfxEnableControlContainer() {}
