#include "converter/dialog/win_edit.h"

#include "host/mfc/drop_files_api.h"

namespace reelpack {

IMPLEMENT_DYNCREATE(CWinEdit)

BEGIN_MESSAGE_MAP(CWinEdit, CEdit)
ON_WM_DROPFILES()
END_MESSAGE_MAP()

void CWinEdit::OnDropFiles(HDROP drop) {
  DragQueryFileA(drop, 0, m_droppedPath, 256);
  m_dropped = 1;
  DragFinish(drop);
}

}  // namespace reelpack
