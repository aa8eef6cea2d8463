#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <map>
#include <mutex>

#include "host/base/errno_error.h"
#include "host/files/file_api.h"
#include "host/base/handle_table.h"

namespace {

// A mapping object keeps its file open, so the file handle may be closed
// once the mapping exists, as on the devices.
struct HostMapping : HostObject {
  HostMapping(std::shared_ptr<HostFile> mapped, std::uint64_t length) : file(std::move(mapped)), size(length) {}
  std::shared_ptr<HostFile> file;
  std::uint64_t size;
};

struct MappedRegion {
  void* base;
  size_t length;
};

// Views by the address handed out (which need not be page-aligned).
std::mutex viewsLock;
std::map<const void*, MappedRegion> views;

}  // namespace

HANDLE CreateFileForMappingW(LPCWSTR path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security,
                             DWORD creation, DWORD flags, HANDLE templateFile) {
  return CreateFileW(path, access, share, security, creation, flags, templateFile);
}

HANDLE CreateFileMappingW(HANDLE file, SECURITY_ATTRIBUTES*, DWORD protect, DWORD sizeHigh, DWORD sizeLow,
                          LPCWSTR name) {
  if (protect != PAGE_READONLY || name != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto open = HostHandleGetAs<HostFile>(file);
  if (open == nullptr) return nullptr;
  struct stat info;
  if (fstat(open->fd, &info) != 0) {
    HostSetLastErrorFromErrno();
    return nullptr;
  }
  auto fileSize = static_cast<std::uint64_t>(info.st_size);
  std::uint64_t size = (static_cast<std::uint64_t>(sizeHigh) << 32) | sizeLow;
  if (size == 0) size = fileSize;
  if (size == 0) {
    // Nothing to map: the devices refuse an empty file the same way.
    SetLastError(ERROR_FILE_INVALID);
    return nullptr;
  }
  if (size > fileSize) {
    // A read-only mapping cannot grow the file.
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  SetLastError(ERROR_SUCCESS);
  return HostHandleAdd(std::make_shared<HostMapping>(std::move(open), size));
}

void* MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes) {
  auto object = HostHandleGetAs<HostMapping>(mapping);
  if (object == nullptr) return nullptr;
  if ((access & ~FILE_MAP_READ) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  std::uint64_t offset = (static_cast<std::uint64_t>(offsetHigh) << 32) | offsetLow;
  if (offset > object->size || (bytes == 0 && offset == object->size) || bytes > object->size - offset) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (bytes == 0) bytes = object->size - offset;
  // mmap wants a page-aligned offset; the platform asks callers for one but
  // nothing is lost by serving any offset.
  auto page = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
  std::uint64_t lead = offset % page;
  size_t length = bytes + lead;
  void* base = mmap(nullptr, length, PROT_READ, MAP_PRIVATE, object->file->fd, static_cast<off_t>(offset - lead));
  if (base == MAP_FAILED) {
    HostSetLastErrorFromErrno();
    return nullptr;
  }
  void* view = static_cast<char*>(base) + lead;
  std::lock_guard lock(viewsLock);
  views[view] = MappedRegion{base, length};
  return view;
}

BOOL UnmapViewOfFile(const void* view) {
  MappedRegion region;
  {
    std::lock_guard lock(viewsLock);
    auto found = views.find(view);
    if (found == views.end()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    region = found->second;
    views.erase(found);
  }
  munmap(region.base, region.length);
  return TRUE;
}
