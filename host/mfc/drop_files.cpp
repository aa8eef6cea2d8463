#include <algorithm>
#include <cstring>
#include <memory>
#include <set>

#include "host/mfc/drop_files_api.h"

namespace {

struct Drop {
  std::vector<std::string> paths;
};

std::set<Drop*>& Open() {
  static std::set<Drop*> drops;
  return drops;
}

Drop* Find(HDROP handle) {
  Drop* drop = static_cast<Drop*>(handle);
  return Open().count(drop) ? drop : nullptr;
}

}  // namespace

UINT DragQueryFileA(HDROP handle, UINT index, char* buffer, UINT size) {
  const Drop* drop = Find(handle);
  if (!drop) return 0;
  if (index == 0xFFFFFFFFu) return static_cast<UINT>(drop->paths.size());
  if (index >= drop->paths.size()) return 0;
  const std::string& path = drop->paths[index];
  if (!buffer) return static_cast<UINT>(path.size());
  if (size == 0) return 0;
  const std::size_t copied = std::min<std::size_t>(path.size(), size - 1);
  std::memcpy(buffer, path.data(), copied);
  buffer[copied] = '\0';
  return static_cast<UINT>(copied);
}

void DragFinish(HDROP handle) {
  if (Drop* drop = Find(handle)) {
    Open().erase(drop);
    delete drop;
  }
}

HDROP HostMakeDrop(const std::vector<std::string>& paths) {
  auto drop = std::make_unique<Drop>(Drop{paths});
  Open().insert(drop.get());
  return drop.release();
}

int HostOpenDrops() { return static_cast<int>(Open().size()); }
