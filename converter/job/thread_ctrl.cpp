#include "converter/job/thread_ctrl.h"

#include "host/threads/thread_api.h"

namespace reelpack {

void CThreadCtrl::Start() {
  m_object->OnStart();
  if (!m_object->BeginThread(CWinThreadMaster::StartCall::RuntimeLibrary)) throw CCtrlFailed();
}

void CThreadCtrl::Kill() {
  m_object->OnKill();
  m_object->MarkKilled();
}

std::int32_t CThreadCtrl::Wait(DWORD milliseconds) {
  switch (m_object->WaitThread(milliseconds)) {
    case WAIT_OBJECT_0:
      return 1;
    case WAIT_TIMEOUT:
      return 0;
    default:
      throw CCtrlFailed();
  }
}

}  // namespace reelpack
