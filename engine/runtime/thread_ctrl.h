// The engine's thread controller: failures come back as results.
#pragma once

#include <cstdint>

#include "common/thread_ctrl_base.h"

class CThreadCtrl : public CThreadCtrlBase {
 public:
  using CThreadCtrlBase::CThreadCtrlBase;

  // OnStart, then the thread (kernel call): 1 when it runs, 0 when it could
  // not be created.
  std::int32_t Start();
  // OnKill, then marks the stop request; the thread must notice it itself.
  void Kill();
  // 1 when the thread has ended within the time (INFINITE waits for ever), else 0.
  std::int32_t Wait(DWORD milliseconds);
};
