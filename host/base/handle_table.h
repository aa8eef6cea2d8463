// Internal to the host layer: the objects behind HANDLE values (open files,
// mapping objects, find searches) and the thread-safe table that names them.
#pragma once

#include <memory>

#include "host/base/win_types.h"

struct HostObject {
  virtual ~HostObject() = default;
};

// An open file; the descriptor closes when the last user lets go, so a
// CloseHandle racing a ReadFile on another thread never reuses a live fd.
struct HostFile : HostObject {
  explicit HostFile(int descriptor) : fd(descriptor) {}
  ~HostFile() override;
  HostFile(const HostFile&) = delete;
  HostFile& operator=(const HostFile&) = delete;
  const int fd;
};

// Registers an object and returns its new handle (never null or
// INVALID_HANDLE_VALUE).
HANDLE HostHandleAdd(std::shared_ptr<HostObject> object);
// The object behind a handle, or null (with ERROR_INVALID_HANDLE set).
std::shared_ptr<HostObject> HostHandleGet(HANDLE handle);
// Removes a handle; false (with ERROR_INVALID_HANDLE set) when unknown.
bool HostHandleRemove(HANDLE handle);

template <typename T>
std::shared_ptr<T> HostHandleGetAs(HANDLE handle) {
  auto object = std::dynamic_pointer_cast<T>(HostHandleGet(handle));
  if (object == nullptr) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}
