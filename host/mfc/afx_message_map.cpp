#include "host/mfc/afx_message_map.h"

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
  static const AFX_MSGMAP map = {nullptr, entries};
  return &map;
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindEntry(UINT message, UINT code, UINT id) const {
  for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* entry = map->lpEntries; entry->pfn; ++entry) {
      if (entry->nMessage == message && entry->nCode == code && entry->nID == id) return entry;
    }
  }
  return nullptr;
}

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message) const { return FindEntry(message, 0, 0); }

bool CCmdTarget::OnCmdMsg(UINT id, UINT code) {
  const AFX_MSGMAP_ENTRY* entry = FindEntry(WM_COMMAND, code, id);
  if (!entry) return false;
  entry->pfn(this, 0, 0);
  return true;
}
