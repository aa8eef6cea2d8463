// The path edit: a read-only edit that accepts a dropped file and keeps its
// path and a flag, which nothing reads.
#pragma once

#include <cstdint>

#include "host/mfc/controls.h"

namespace reelpack {

class CWinEdit : public CEdit {
  DECLARE_DYNCREATE(CWinEdit)

 public:
  char m_droppedPath[1024] = {};
  std::int32_t m_dropped = 0;

  // Keeps the first dropped file's path (at most 255 bytes) and sets the flag.
  virtual void OnDropFiles(HDROP drop);

  DECLARE_MESSAGE_MAP()
};

}  // namespace reelpack
