// Thread controllers: made on the stack around one object to start its
// thread, request a stop, wait and close the handle. The engine's controller
// (engine/runtime/thread_ctrl.h) reports through its results and never
// throws; the converter's (converter/job/thread_ctrl.h) throws instead.
#pragma once

#include <cstdint>

#include "common/win_thread_master.h"

// What both controllers share.
class CThreadCtrlBase {
 public:
  explicit CThreadCtrlBase(CWinThreadMaster* object) : m_object(object) {}

  // 1 while the thread exists and has not ended.
  std::int32_t IsRunning() { return m_object->IsThreadRunning(); }
  void CloseHandle() { m_object->CloseThreadHandle(); }

 protected:
  CWinThreadMaster* m_object;
};
