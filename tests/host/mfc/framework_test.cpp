// The class-library subset on the headless window layer: notifications of
// the standard controls as a user's actions send them, the dialog's default
// keys and close box, commands the application handles, timers on the
// virtual clock, and the modal loop.
#include <gtest/gtest.h>

#include <vector>

#include "host/mfc/dialog_driver.h"
#include "host/mfc/timer_api.h"
#include "host/mfc/win_app.h"
#include "host/run/call_log.h"
#include "host/time/time_api.h"
#include "host/window/window_backend.h"

namespace {

constexpr int kList = 10, kPush = 11, kCheck = 12, kRadioA = 13, kRadioB = 14, kRadioC = 15, kSlider = 16;
constexpr UINT kAppCommand = 0x8001;

const DialogTemplate& TestTemplate() {
  static const DialogTemplate dialog{
      900,
      "test",
      WS_POPUP | WS_CAPTION,
      0,
      100,
      100,
      "font",
      9,
      {
          {ControlKind::ComboBox, kList, "", CBS_DROPDOWNLIST, 0, 0, 0, 10, 10, {"a", "b", "c"}},
          {ControlKind::Button, kPush, "push", BS_PUSHBUTTON, 0, 0, 0, 10, 10, {}},
          {ControlKind::Button, kCheck, "check", BS_AUTOCHECKBOX, 0, 0, 0, 10, 10, {}},
          {ControlKind::Button, kRadioA, "a", BS_AUTORADIOBUTTON | WS_GROUP, 0, 0, 0, 10, 10, {}},
          {ControlKind::Button, kRadioB, "b", BS_AUTORADIOBUTTON, 0, 0, 0, 10, 10, {}},
          {ControlKind::Button, kRadioC, "c", BS_AUTORADIOBUTTON | WS_GROUP, 0, 0, 0, 10, 10, {}},
          {ControlKind::TrackBar, kSlider, "", 0, 0, 0, 0, 10, 10, {}},
      }};
  return dialog;
}

// Records what reaches its handlers, and the state a handler sees.
class TestDialog : public CDialog {
 public:
  TestDialog() : CDialog(TestTemplate(), nullptr) {}

  std::vector<std::string> events;
  int closeAfterTicks = 0;  // Escape after this many timer messages

  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    slider_.SetRange(0, 50);
    SetTimer(7, 100, nullptr);
    return TRUE;
  }

 protected:
  void DoDataExchange(CDataExchange* exchange) override {
    DDX_Control(exchange, kList, list_);
    DDX_Control(exchange, kCheck, check_);
    DDX_Control(exchange, kSlider, slider_);
  }
  void OnListChanged() { events.push_back("list " + std::to_string(list_.GetCurSel())); }
  void OnPush() { events.push_back("push"); }
  void OnCheck() { events.push_back("check " + std::to_string(check_.GetCheck())); }
  void OnTimer(UINT_PTR id) {
    events.push_back("timer " + std::to_string(id));
    if (--closeAfterTicks == 0) PostMessage(WM_KEYDOWN, VK_ESCAPE);
  }
  void OnOK() override {
    events.push_back("ok");
    CDialog::OnOK();
  }
  void OnCancel() override {
    events.push_back("cancel");
    CDialog::OnCancel();
  }

  DECLARE_MESSAGE_MAP()

 private:
  CComboBox list_;
  CButton check_;
  CSliderCtrl slider_;
};

BEGIN_MESSAGE_MAP(TestDialog, CDialog)
ON_CBN_SELCHANGE(kList, &TestDialog::OnListChanged)
ON_BN_CLICKED(kPush, &TestDialog::OnPush)
ON_BN_CLICKED(kCheck, &TestDialog::OnCheck)
ON_WM_TIMER()
END_MESSAGE_MAP()

class TestApp : public CWinApp {
 public:
  void OnAppCommand() { ++commands; }
  int commands = 0;
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestApp, CWinApp)
ON_COMMAND(kAppCommand, &TestApp::OnAppCommand)
END_MESSAGE_MAP()

class Framework : public ::testing::Test {
 protected:
  void SetUp() override {
    HostClockSetMode(HostClockMode::Virtual);
    HostWindowSystemReset();
  }
  void TearDown() override {
    HostSetModalDialogHook(nullptr);
    HostWindowSystemReset();
  }
  std::vector<std::string> Take() { return std::exchange(dialog_.events, {}); }

  TestDialog dialog_;
};

using Events = std::vector<std::string>;

TEST_F(Framework, ComboBoxNotifiesOnlyTheUsersChoice) {
  DialogDriver driver(dialog_);
  static_cast<CComboBox*>(dialog_.GetDlgItem(kList))->SetCurSel(1);
  EXPECT_EQ(driver.Selection(kList), 1);
  driver.Select(kList, 2);
  driver.Select(kList, 5);  // not an item: nothing happens
  EXPECT_EQ(Take(), (Events{"list 2"}));
  EXPECT_EQ(driver.Selection(kList), 2);
  dialog_.GetDlgItem(kList)->EnableWindow(FALSE);
  driver.Select(kList, 0);
  EXPECT_EQ(Take(), Events{});
  EXPECT_EQ(driver.Selection(kList), 2);
}

TEST_F(Framework, ButtonsToggleBeforeTheyNotifyAndIgnoreClicksWhenDisabled) {
  DialogDriver driver(dialog_);
  driver.Click(kCheck);
  driver.Click(kCheck);
  driver.Click(kPush);
  EXPECT_EQ(Take(), (Events{"check 1", "check 0", "push"}));

  dialog_.GetDlgItem(kPush)->ModifyStyle(0, WS_DISABLED);
  dialog_.GetDlgItem(kCheck)->EnableWindow(FALSE);
  driver.Click(kPush);
  driver.Click(kCheck);
  EXPECT_EQ(Take(), Events{});
  EXPECT_EQ(driver.Check(kCheck), BST_UNCHECKED);
  EXPECT_FALSE(driver.Enabled(kPush));
}

TEST_F(Framework, RadioButtonsCheckOneOfTheirGroup) {
  DialogDriver driver(dialog_);
  dialog_.CheckRadioButton(kRadioA, kRadioB, kRadioA);
  driver.Click(kRadioC);
  EXPECT_EQ(dialog_.GetCheckedRadioButton(kRadioA, kRadioB), kRadioA);  // another group
  driver.Click(kRadioB);
  EXPECT_EQ(driver.Check(kRadioA), BST_UNCHECKED);
  EXPECT_EQ(driver.Check(kRadioB), BST_CHECKED);
  EXPECT_EQ(driver.Check(kRadioC), BST_CHECKED);
  EXPECT_EQ(dialog_.GetCheckedRadioButton(kRadioA, kRadioB), kRadioB);
}

TEST_F(Framework, SliderClampsAndSendsNothing) {
  DialogDriver driver(dialog_);
  for (const auto& [slid, held] : std::vector<std::pair<int, int>>{{30, 30}, {70, 50}, {-5, 0}}) {
    driver.Slide(kSlider, slid);
    EXPECT_EQ(driver.State(kSlider).position, held) << slid;
  }
  EXPECT_EQ(Take(), Events{});
}

TEST_F(Framework, TimerPostsOneMessageWhateverTheDelay) {
  DialogDriver driver(dialog_);
  driver.Advance(99);
  EXPECT_EQ(Take(), Events{});
  driver.Advance(1);
  EXPECT_EQ(Take(), (Events{"timer 7"}));
  // A loop that looked away for a second finds one message, not ten.
  HostClockAdvance(1000);
  HostPostDueTimers();
  HostPostDueTimers();
  driver.Pump();
  EXPECT_EQ(Take(), (Events{"timer 7"}));
  // One killed after it was posted delivers nothing.
  HostClockAdvance(100);
  HostPostDueTimers();
  dialog_.KillTimer(7);
  driver.Advance(500);
  EXPECT_EQ(Take(), Events{});
}

TEST_F(Framework, EnterEscapeAndCloseBoxEndTheDialog) {
  struct Case {
    void (DialogDriver::*action)();
    const char* handler;
    INT_PTR result;
  };
  for (const Case& c :
       {Case{&DialogDriver::PressEnter, "ok", IDOK}, Case{&DialogDriver::PressEscape, "cancel", IDCANCEL},
        Case{&DialogDriver::CloseBox, "cancel", IDCANCEL}}) {
    DialogDriver driver(dialog_);
    (driver.*c.action)();
    EXPECT_TRUE(driver.Ended());
    EXPECT_EQ(driver.Result(), c.result);
    EXPECT_EQ(Take(), (Events{c.handler}));
    EXPECT_EQ(dialog_.m_hWnd, nullptr);
  }
}

TEST_F(Framework, CommandsNoWindowHandlesReachTheApplication) {
  TestApp app;
  DialogDriver driver(dialog_);
  dialog_.PostMessage(WM_COMMAND, MakeCommandWParam(kAppCommand, 0));
  driver.Pump();
  EXPECT_EQ(app.commands, 1);
}

TEST_F(Framework, DoModalRunsItsLoopOnTheClockUntilEndDialog) {
  HostSetModalDialogHook([](CDialog& dialog) { dialog.GetDlgItem(kPush)->PostMessage(BM_CLICK); });
  dialog_.closeAfterTicks = 3;
  const DWORD started = timeGetTime();
  EXPECT_EQ(dialog_.DoModal(), IDCANCEL);
  EXPECT_GE(timeGetTime() - started, 300u);
  EXPECT_EQ(Take(), (Events{"push", "timer 7", "timer 7", "timer 7", "cancel"}));
  EXPECT_EQ(dialog_.m_hWnd, nullptr);
}

}  // namespace
