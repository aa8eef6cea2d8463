// The control classes: thin objects over the standard controls' messages.
#pragma once

#include <string>

#include "host/mfc/wnd.h"

class CButton : public CWnd {
 public:
  int GetCheck() const { return static_cast<int>(const_cast<CButton*>(this)->SendMessage(BM_GETCHECK)); }
  void SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
};

class CStatic : public CWnd {};

class CEdit : public CWnd {};

class CComboBox : public CWnd {
 public:
  int GetCurSel() const { return static_cast<int>(const_cast<CComboBox*>(this)->SendMessage(CB_GETCURSEL)); }
  // Selects without notifying anyone.
  int SetCurSel(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
};

class CSliderCtrl : public CWnd {
 public:
  int GetPos() const { return static_cast<int>(const_cast<CSliderCtrl*>(this)->SendMessage(TBM_GETPOS)); }
  void SetPos(int position) { SendMessage(TBM_SETPOS, TRUE, position); }
  void SetRange(int minimum, int maximum, BOOL redraw = FALSE) {
    SendMessage(TBM_SETRANGE, static_cast<WPARAM>(redraw), MakeLong(minimum, maximum));
  }
  void SetTicFreq(int frequency) { SendMessage(TBM_SETTICFREQ, static_cast<WPARAM>(frequency)); }
  int SetLineSize(int size) { return static_cast<int>(SendMessage(TBM_SETLINESIZE, 0, size)); }
  int SetPageSize(int size) { return static_cast<int>(SendMessage(TBM_SETPAGESIZE, 0, size)); }
};
