#include "engine/runtime/thread_ctrl.h"

#include "host/threads/thread_api.h"

std::int32_t CThreadCtrl::Start() {
  m_object->OnStart();
  return m_object->BeginThread(CWinThreadMaster::StartCall::Kernel);
}

void CThreadCtrl::Kill() {
  // The device build polls the thread once before marking it; the result is
  // not used, so the poll only keeps the call order.
  m_object->WaitThread(0);
  m_object->OnKill();
  m_object->MarkKilled();
}

std::int32_t CThreadCtrl::Wait(DWORD milliseconds) {
  return m_object->WaitThread(milliseconds) == WAIT_OBJECT_0 ? 1 : 0;
}
