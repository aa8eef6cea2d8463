// Thread controllers: made on the stack around one object to start its
// thread, request a stop, wait and close the handle. The engine's controller
// reports through its results and never throws; the converter's
// (converter/thread_ctrl.h) throws instead.
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

// The engine's controller.
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
