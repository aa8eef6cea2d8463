#include <sys/mman.h>

#include <map>
#include <mutex>

#include "host/memory/memory_api.h"
#include "host/run/call_log.h"

namespace {

// The length of each mapping, for the release that names only its address.
std::mutex g_lock;
std::map<void*, SIZE_T>& Mappings() {
  static std::map<void*, SIZE_T> mappings;
  return mappings;
}

}  // namespace

LPVOID VirtualAlloc(LPVOID address, SIZE_T bytes, DWORD type, DWORD protect) {
  if (address != nullptr || bytes == 0 || !(type & MEM_COMMIT) || protect != PAGE_READWRITE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (HostCallFails("VirtualAlloc") || !HostAllocationAllowed(bytes)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // Advice only: without large pages the block works the same, more slowly.
  madvise(block, bytes, MADV_HUGEPAGE);
  std::lock_guard<std::mutex> lock(g_lock);
  Mappings()[block] = bytes;
  return block;
}

BOOL VirtualFree(LPVOID address, SIZE_T bytes, DWORD type) {
  if (address == nullptr || bytes != 0 || type != MEM_RELEASE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  SIZE_T length = 0;
  {
    std::lock_guard<std::mutex> lock(g_lock);
    auto found = Mappings().find(address);
    if (found == Mappings().end()) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    length = found->second;
    Mappings().erase(found);
  }
  munmap(address, length);
  return TRUE;
}
