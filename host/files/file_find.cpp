#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "host/base/errno_error.h"
#include "host/files/file_api.h"
#include "host/base/handle_table.h"

namespace {

// A finished search: callers only ask whether the one named path exists.
struct HostFind : HostObject {};

DWORD AttributesOf(const struct stat& info) {
  DWORD attributes = 0;
  if (S_ISDIR(info.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if ((info.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

}  // namespace

HANDLE FindFirstFileW(LPCWSTR path, WIN32_FIND_DATAW* found) {
  std::string hostPath = HostPathFromWide(path);
  while (hostPath.size() > 1 && hostPath.back() == '/') hostPath.pop_back();
  struct stat info;
  if (found == nullptr || hostPath.empty()) {
    SetLastError(found == nullptr ? ERROR_INVALID_PARAMETER : ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (stat(hostPath.c_str(), &info) != 0) {
    HostSetLastErrorFromErrno();
    if (GetLastError() == ERROR_PATH_NOT_FOUND) SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  std::memset(found, 0, sizeof *found);
  found->dwFileAttributes = AttributesOf(info);
  auto size = static_cast<std::uint64_t>(info.st_size);
  found->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  found->nFileSizeLow = static_cast<DWORD>(size);
  // The name as it stands on disk, which may differ in case from the query.
  std::u16string name = HostWideFromUtf8(hostPath.substr(hostPath.find_last_of('/') + 1));
  size_t units = std::min<size_t>(name.size(), MAX_PATH - 1);
  std::copy_n(name.begin(), units, found->cFileName);
  SetLastError(ERROR_SUCCESS);
  return HostHandleAdd(std::make_shared<HostFind>());
}

BOOL FindClose(HANDLE find) {
  if (HostHandleGetAs<HostFind>(find) == nullptr) return FALSE;
  return HostHandleRemove(find) ? TRUE : FALSE;
}
