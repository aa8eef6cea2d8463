// The application object runs the dialog modally; the help command reaches
// the application; the minimised paint draws the icon; the path edit is made
// by its class name.
#include <gtest/gtest.h>

#include <algorithm>

#include "converter/dialog/dialog_template.h"
#include "converter/dialog/reelpack_app.h"
#include "host/mfc/icon_api.h"
#include "host/run/call_log.h"
#include "tests/converter/dialog/dialog_fixture.h"

using namespace reelpack;

namespace dialog_test {
namespace {

using DialogApp = DialogTest;

bool Logged(const std::vector<std::string>& log, const std::string& prefix) {
  return std::any_of(log.begin(), log.end(), [&](const std::string& entry) { return entry.rfind(prefix, 0) == 0; });
}

TEST_F(DialogApp, InitInstanceRunsTheDialogAsMainWindowAndEndsTheProgram) {
  CWnd* mainDuringRun = nullptr;
  std::string caption;
  HostSetModalDialogHook([&](CDialog& dialog) {
    mainDuringRun = theApp.m_pMainWnd;
    caption = Utf8(dialog.GetWindowText());
    dialog.PostMessage(WM_COMMAND, MakeCommandWParam(IDCANCEL, BN_CLICKED));
  });
  EXPECT_FALSE(theApp.InitInstance());
  HostSetModalDialogHook(nullptr);
  EXPECT_NE(mainDuringRun, nullptr);
  EXPECT_EQ(caption, "reelpack ver1.03（Linux）");
  EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

TEST_F(DialogApp, HelpCommandReachesTheApplication) {
  Open();
  HostCallLogTake();
  dialog_->PostMessage(WM_COMMAND, MakeCommandWParam(ID_HELP, 0));
  driver_->Pump();
  EXPECT_TRUE(Logged(HostCallLogTake(), "WinHelp"));
}

TEST_F(DialogApp, MinimisedPaintDrawsTheIconCentred) {
  HostCallLogTake();
  Open();
  EXPECT_TRUE(Logged(HostCallLogTake(), "LoadIcon(128)"));
  driver_->Send(WM_PAINT);
  EXPECT_FALSE(Logged(HostCallLogTake(), "DrawIcon"));
  dialog_->ModifyStyle(0, WS_MINIMIZE);
  driver_->Send(WM_PAINT);
  const int x = (ReelpackDialogTemplate().cx - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (ReelpackDialogTemplate().cy - GetSystemMetrics(SM_CYICON) + 1) / 2;
  EXPECT_TRUE(Logged(HostCallLogTake(), "DrawIcon(" + std::to_string(x) + "," + std::to_string(y) + ")"));
  EXPECT_EQ(reinterpret_cast<HICON>(driver_->Send(WM_QUERYDRAGICON)), LoadIconA(nullptr, IDR_MAINFRAME));
}

TEST(WinEdit, IsMadeByItsClassName) {
  const CRuntimeClass* edit = CRuntimeClass::FromName("CWinEdit");
  ASSERT_NE(edit, nullptr);
  std::unique_ptr<CObject> made(edit->CreateObject());
  const auto* winEdit = dynamic_cast<const CWinEdit*>(made.get());
  ASSERT_NE(winEdit, nullptr);
  EXPECT_EQ(winEdit->m_dropped, 0);
  EXPECT_EQ(CRuntimeClass::FromName("CReelpackDlg"), nullptr);
}

}  // namespace
}  // namespace dialog_test
