#include "host/base/handle_table.h"

#include <unistd.h>

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace {

std::mutex tableLock;
std::unordered_map<std::uintptr_t, std::shared_ptr<HostObject>> table;
// Handle values step by 4 like the platform's, starting well clear of null.
std::uintptr_t nextHandle = 0x1000;

}  // namespace

HostFile::~HostFile() { close(fd); }

HANDLE HostHandleAdd(std::shared_ptr<HostObject> object) {
  std::lock_guard lock(tableLock);
  std::uintptr_t value = nextHandle;
  nextHandle += 4;
  table.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<HostObject> HostHandleGet(HANDLE handle) {
  std::lock_guard lock(tableLock);
  auto found = table.find(reinterpret_cast<std::uintptr_t>(handle));
  if (found == table.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return found->second;
}

bool HostHandleRemove(HANDLE handle) {
  std::shared_ptr<HostObject> removed;  // released outside the lock
  std::lock_guard lock(tableLock);
  auto found = table.find(reinterpret_cast<std::uintptr_t>(handle));
  if (found == table.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  removed = std::move(found->second);
  table.erase(found);
  return true;
}
