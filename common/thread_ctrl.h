// The engine's thread controller: made on the stack around one object; its
// results say what happened and it never throws.
#pragma once

#include <cstdint>

#include "common/win_thread_master.h"

class CThreadCtrl {
 public:
  explicit CThreadCtrl(CWinThreadMaster* object) : m_object(object) {}

  // OnStart, then the thread (kernel call): 1 when it runs, 0 when it could
  // not be created.
  std::int32_t Start();
  // OnKill, then marks the stop request; the thread must notice it itself.
  void Kill();
  // 1 when the thread has ended within the time (INFINITE waits for ever), else 0.
  std::int32_t Wait(DWORD milliseconds);
  std::int32_t IsRunning();
  void CloseHandle();

 private:
  CWinThreadMaster* m_object;
};
