// The converter's thread controller: failures are reported as exceptions.
// It lives in its own namespace because both deliverables name their
// controller CThreadCtrl.
#pragma once

#include <cstdint>

#include "common/thread_ctrl_base.h"

// Thrown when a thread cannot be started or waited for.
class CCtrlFailed {};

namespace reelpack {

class CThreadCtrl : public CThreadCtrlBase {
 public:
  using CThreadCtrlBase::CThreadCtrlBase;

  // OnStart, then the thread (runtime library call); throws CCtrlFailed when
  // it cannot be created.
  void Start();
  // OnKill, then marks the stop request; it neither waits nor ends the thread.
  void Kill();
  // 1 when the thread has ended, 0 when the time ran out (INFINITE waits for
  // ever); throws CCtrlFailed for any other outcome, also without a thread.
  std::int32_t Wait(DWORD milliseconds);
};

}  // namespace reelpack
