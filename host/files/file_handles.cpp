#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "host/base/errno_error.h"
#include "host/base/handle_table.h"
#include "host/files/file_api.h"
#include "host/run/call_log.h"

namespace {

bool ParentExists(const std::string& hostPath) {
  size_t slash = hostPath.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return true;
  struct stat info;
  return stat(hostPath.substr(0, slash).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

HANDLE OpenHostPath(const std::string& hostPath, DWORD access, DWORD creation) {
  if (hostPath.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  int flags = O_CLOEXEC;
  bool reads = (access & GENERIC_READ) != 0;
  bool writes = (access & GENERIC_WRITE) != 0;
  flags |= writes ? (reads ? O_RDWR : O_WRONLY) : O_RDONLY;
  switch (creation) {
    case CREATE_NEW:
      flags |= O_CREAT | O_EXCL;
      break;
    case CREATE_ALWAYS:
      flags |= O_CREAT | O_TRUNC;
      break;
    case OPEN_EXISTING:
      break;
    case OPEN_ALWAYS:
      flags |= O_CREAT;
      break;
    case TRUNCATE_EXISTING:
      if (!writes) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
      }
      flags |= O_TRUNC;
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
  }
  struct stat before;
  bool existed = stat(hostPath.c_str(), &before) == 0;
  if (existed && S_ISDIR(before.st_mode)) {
    // Folders are not files here, as on the devices.
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  int fd = open(hostPath.c_str(), flags, 0666);
  if (fd < 0) {
    HostSetLastErrorFromErrno();
    if (errno == ENOENT && !ParentExists(hostPath)) SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  HANDLE handle = HostHandleAdd(std::make_shared<HostFile>(fd));
  // The platform reports success over an existing file this way.
  bool mayCreate = creation == CREATE_ALWAYS || creation == OPEN_ALWAYS;
  SetLastError(mayCreate && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

// A call a test made to fail: the platform's failure with a plausible reason.
bool InjectedFailure(const char* name, DWORD error) {
  if (!HostCallFails(name)) return false;
  SetLastError(error);
  return true;
}

}  // namespace

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD, SECURITY_ATTRIBUTES*, DWORD creation, DWORD,
                   HANDLE) {
  if (InjectedFailure("CreateFileW", ERROR_ACCESS_DENIED)) return INVALID_HANDLE_VALUE;
  return OpenHostPath(HostPathFromWide(path), access, creation);
}

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD, SECURITY_ATTRIBUTES*, DWORD creation, DWORD,
                   HANDLE) {
  if (InjectedFailure("CreateFileA", ERROR_ACCESS_DENIED)) return INVALID_HANDLE_VALUE;
  return OpenHostPath(HostPathFromShiftJis(path), access, creation);
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead, void*) {
  if (bytesRead != nullptr) *bytesRead = 0;
  if (InjectedFailure("ReadFile", ERROR_GEN_FAILURE)) return FALSE;
  auto open = HostHandleGetAs<HostFile>(file);
  if (open == nullptr) return FALSE;
  auto* out = static_cast<char*>(buffer);
  DWORD total = 0;
  while (total < bytesToRead) {
    ssize_t got = read(open->fd, out + total, bytesToRead - total);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      HostSetLastErrorFromErrno();
      if (bytesRead != nullptr) *bytesRead = total;
      return FALSE;
    }
    if (got == 0) break;  // end of file: success with a short count
    total += static_cast<DWORD>(got);
  }
  if (bytesRead != nullptr) *bytesRead = total;
  return TRUE;
}

BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten, void*) {
  if (bytesWritten != nullptr) *bytesWritten = 0;
  if (InjectedFailure("WriteFile", ERROR_DISK_FULL)) return FALSE;
  auto open = HostHandleGetAs<HostFile>(file);
  if (open == nullptr) return FALSE;
  const auto* in = static_cast<const char*>(buffer);
  // A test's byte limit: what fits is written, then the medium is "full".
  const DWORD allowed = HostTakeWriteAllowance(bytesToWrite);
  DWORD total = 0;
  while (total < allowed) {
    ssize_t put = write(open->fd, in + total, allowed - total);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) {
      HostSetLastErrorFromErrno();
      if (bytesWritten != nullptr) *bytesWritten = total;
      return FALSE;
    }
    total += static_cast<DWORD>(put);
  }
  if (bytesWritten != nullptr) *bytesWritten = total;
  if (allowed < bytesToWrite) {
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
  }
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
  if (InjectedFailure("FlushFileBuffers", ERROR_GEN_FAILURE)) return FALSE;
  auto open = HostHandleGetAs<HostFile>(file);
  if (open == nullptr) return FALSE;
  if (fsync(open->fd) != 0) {
    HostSetLastErrorFromErrno();
    return FALSE;
  }
  return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) {
  if (InjectedFailure("SetFilePointer", ERROR_GEN_FAILURE)) return INVALID_SET_FILE_POINTER;
  auto open = HostHandleGetAs<HostFile>(file);
  if (open == nullptr) return INVALID_SET_FILE_POINTER;
  int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : method == FILE_END ? SEEK_END : -1;
  if (whence < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  // Without a high part the distance is a signed 32-bit value; with one, the
  // two make a signed 64-bit distance.
  off_t offset = distanceHigh == nullptr
                     ? static_cast<off_t>(distance)
                     : static_cast<off_t>((static_cast<std::uint64_t>(static_cast<DWORD>(*distanceHigh)) << 32) |
                                          static_cast<DWORD>(distance));
  off_t base = 0;
  if (whence == SEEK_CUR) base = lseek(open->fd, 0, SEEK_CUR);
  if (whence == SEEK_END) {
    struct stat info;
    base = fstat(open->fd, &info) == 0 ? info.st_size : -1;
  }
  if (base < 0) {
    HostSetLastErrorFromErrno();
    return INVALID_SET_FILE_POINTER;
  }
  off_t target = 0;
  if (__builtin_add_overflow(base, offset, &target)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (target < 0) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return INVALID_SET_FILE_POINTER;
  }
  off_t position = lseek(open->fd, target, SEEK_SET);
  if (position < 0) {
    HostSetLastErrorFromErrno();
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceHigh != nullptr) *distanceHigh = static_cast<LONG>(static_cast<std::uint64_t>(position) >> 32);
  // Callers tell a position of 0xFFFFFFFF from failure by the last error.
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(position);
}

DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) {
  auto open = HostHandleGetAs<HostFile>(file);
  if (open == nullptr) return INVALID_FILE_SIZE;
  struct stat info;
  if (fstat(open->fd, &info) != 0) {
    HostSetLastErrorFromErrno();
    return INVALID_FILE_SIZE;
  }
  auto size = static_cast<std::uint64_t>(info.st_size);
  if (sizeHigh != nullptr) *sizeHigh = static_cast<DWORD>(size >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size);
}

BOOL CloseHandle(HANDLE object) { return HostHandleRemove(object) ? TRUE : FALSE; }
