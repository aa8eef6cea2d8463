#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "host/base/errno_error.h"
#include "host/files/file_api.h"
#include "host/run/call_log.h"

namespace {

// Resolves a platform path for a call that needs an existing-or-new name.
bool Resolve(LPCWSTR path, std::string& hostPath) {
  hostPath = HostPathFromWide(path);
  if (hostPath.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return false;
  }
  return true;
}

// Resolves a platform path that must name something existing.
bool ResolveExisting(LPCWSTR path, std::string& hostPath, struct stat& info) {
  if (!Resolve(path, hostPath)) return false;
  if (stat(hostPath.c_str(), &info) != 0) {
    HostSetLastErrorFromErrno();
    return false;
  }
  return true;
}

// A call a test made to fail: the platform's failure with a plausible reason.
bool InjectedFailure(const char* name) {
  if (!HostCallFails(name)) return false;
  SetLastError(ERROR_ACCESS_DENIED);
  return true;
}

// Makes a rename in the folder of hostPath durable; file systems that cannot
// sync a folder have nothing more to do.
void SyncFolderOf(const std::string& hostPath) {
  const std::size_t slash = hostPath.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : hostPath.substr(0, slash);
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

}  // namespace

BOOL CreateDirectoryW(LPCWSTR path, SECURITY_ATTRIBUTES*) {
  std::string hostPath;
  if (!Resolve(path, hostPath)) return FALSE;
  if (mkdir(hostPath.c_str(), 0777) != 0) {
    int error = errno;
    SetLastError(error == EEXIST ? ERROR_ALREADY_EXISTS
                 : error == ENOENT ? ERROR_PATH_NOT_FOUND
                                   : HostErrorFromErrno(error));
    return FALSE;
  }
  return TRUE;
}

BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes) {
  if (InjectedFailure("SetFileAttributesW")) return FALSE;
  std::string hostPath;
  struct stat info;
  if (!ResolveExisting(path, hostPath, info)) return FALSE;
  // Only "read-only" has a Linux meaning, and only for files: a folder
  // without write permission would refuse new files, which the devices allow.
  // Hidden, archive and the rest are accepted and dropped.
  if (S_ISDIR(info.st_mode)) return TRUE;
  mode_t mode = info.st_mode & 07777;
  mode = (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? mode & ~(S_IWUSR | S_IWGRP | S_IWOTH) : mode | S_IWUSR;
  if (chmod(hostPath.c_str(), mode) != 0) {
    HostSetLastErrorFromErrno();
    return FALSE;
  }
  return TRUE;
}

BOOL DeleteFileW(LPCWSTR path) {
  std::string hostPath;
  struct stat info;
  if (!ResolveExisting(path, hostPath, info)) return FALSE;
  // The devices refuse to delete read-only files and folders; Linux would not.
  if (S_ISDIR(info.st_mode) || (info.st_mode & S_IWUSR) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (unlink(hostPath.c_str()) != 0) {
    HostSetLastErrorFromErrno();
    return FALSE;
  }
  return TRUE;
}

BOOL MoveFileW(LPCWSTR from, LPCWSTR to) {
  if (InjectedFailure("MoveFileW")) return FALSE;
  std::string hostFrom;
  std::string hostTo;
  if (!Resolve(from, hostFrom) || !Resolve(to, hostTo)) return FALSE;
  // rename() replaces an existing target in one step, which is what makes
  // write-to-temporary-then-rename safe against a crash mid-save.
  if (rename(hostFrom.c_str(), hostTo.c_str()) != 0) {
    HostSetLastErrorFromErrno();
    return FALSE;
  }
  SyncFolderOf(hostTo);
  return TRUE;
}
