// The application object: runs the dialog as its main window and ends when
// the dialog closes.
#pragma once

#include "host/mfc/win_app.h"

namespace reelpack {

class CReelpackApp : public CWinApp {
 public:
  BOOL InitInstance() override;

  DECLARE_MESSAGE_MAP()
};

extern CReelpackApp theApp;

}  // namespace reelpack
