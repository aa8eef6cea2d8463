#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <string>

#include "host/files/file_api.h"
#include "host/module/module_api.h"

namespace {

std::mutex overrideLock;
std::string overridePath;

std::string ProgramPath() {
  {
    std::lock_guard lock(overrideLock);
    if (!overridePath.empty()) return overridePath;
  }
  char buffer[4096];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer) return {};
  return std::string(buffer, static_cast<size_t>(length));
}

}  // namespace

DWORD GetModuleFileNameW(HMODULE, LPWSTR out, DWORD outUnits) {
  std::u16string path = HostWideFromUtf8(ProgramPath());
  if (path.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  std::replace(path.begin(), path.end(), u'/', u'\\');
  if (out == nullptr || path.size() >= outUnits) {
    // A cut path would name some other file: hand back the prefix for show,
    // but report failure.
    if (out != nullptr && outUnits > 0) {
      std::copy_n(path.begin(), outUnits - 1, out);
      out[outUnits - 1] = 0;
    }
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(path.begin(), path.end(), out);
  out[path.size()] = 0;
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(path.size());
}

void HostSetModulePath(const char* linuxPath) {
  std::lock_guard lock(overrideLock);
  overridePath = linuxPath != nullptr ? linuxPath : "";
}
