// Drives a dialog headless as a user would: opens it, clicks, chooses,
// slides, drops files, presses Enter and Escape, uses the close box, lets
// the clock run, and reads the controls. Every action posts its message and
// dispatches the queue until it is empty.
#pragma once

#include <string>
#include <vector>

#include "host/mfc/dialog.h"

class DialogDriver {
 public:
  // Opens the dialog (its OnInitDialog has run when this returns).
  explicit DialogDriver(CDialog& dialog);
  // Closes it if it is still open.
  ~DialogDriver();
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  bool Opened() const { return opened_; }

  void Click(int id);
  void Select(int id, int index);
  void Slide(int id, int position);
  void Drop(int id, const std::vector<std::string>& paths);
  void PressEnter();
  void PressEscape();
  void CloseBox();
  // A message the user's actions do not make (WM_PAINT, WM_SYSCOMMAND, ...).
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // Virtual clock: moves it by milliseconds in steps of step, dispatching
  // what comes due after each.
  void Advance(DWORD milliseconds, DWORD step = 10);
  // Dispatches until nothing waits.
  void Pump();

  // Whether EndDialog was called; the value it was given.
  bool Ended() const { return dialog_.ModalEnded(); }
  INT_PTR Result() const { return result_; }

  std::string Text(int id) const;  // Shift-JIS bytes
  std::string TextUtf8(int id) const;
  // The UTF-8 form of a dialog's Shift-JIS text.
  static std::string Utf8(const std::string& shiftJis);
  bool Enabled(int id) const;
  DWORD Style(int id) const;
  int Check(int id) const;
  int Selection(int id) const;
  std::vector<std::string> Items(int id) const;
  const ControlState& State(int id) const;
  HWND Item(int id) const;

 private:
  void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Destroys the dialog once it ended.
  void FinishIfEnded();

  CDialog& dialog_;
  bool opened_ = false;
  INT_PTR result_ = -1;
};
