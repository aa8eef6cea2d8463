#include <cstdlib>

#include "host/memory/memory_api.h"
#include "host/run/call_log.h"

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) {
  if (HostCallFails("LocalAlloc") || !HostAllocationAllowed(bytes)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // A zero-byte request still yields a distinct block the caller may free.
  SIZE_T size = bytes != 0 ? bytes : 1;
  void* block = (flags & LMEM_ZEROINIT) != 0 ? std::calloc(1, size) : std::malloc(size);
  if (block == nullptr) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return block;
}

HLOCAL LocalFree(HLOCAL block) {
  std::free(block);
  return nullptr;
}
