#include "converter/mpeg/mpeg_file_source.h"

#include <algorithm>

#include "host/files/file_api.h"

int FILE_SOURCE::close() {
  if (file_ != INVALID_HANDLE_VALUE && file_ != nullptr) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
  return 1;
}

std::int64_t FILE_SOURCE::tell() {
  LONG high = 0;
  SetLastError(ERROR_SUCCESS);
  const DWORD low = SetFilePointer(file_, 0, &high, FILE_CURRENT);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) return 0;
  return (static_cast<std::int64_t>(high) << 32) | low;
}

std::int64_t FILE_SOURCE::size() {
  DWORD high = 0;
  SetLastError(ERROR_SUCCESS);
  const DWORD low = GetFileSize(file_, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) return 0;
  return (static_cast<std::int64_t>(high) << 32) | low;
}

std::int64_t FILE_SOURCE::moveTo(std::int64_t position) {
  LONG high = static_cast<LONG>(position >> 32);
  SetFilePointer(file_, static_cast<LONG>(static_cast<std::uint32_t>(position)), &high, FILE_BEGIN);
  return tell();
}

std::int64_t FILE_SOURCE::seek(std::int64_t offset, int whence) {
  std::int64_t base = 0;
  if (whence == 1) {
    base = tell();
  } else if (whence == 2) {
    base = size();
  } else if (whence != 0) {
    return 0;
  }
  return moveTo(std::max<std::int64_t>(0, base + offset));
}

std::int64_t FILE_SOURCE::read(std::uint8_t* destination, std::int64_t n) {
  std::int64_t done = 0;
  while (done < n) {
    const DWORD want = static_cast<DWORD>(std::min<std::int64_t>(n - done, 1 << 30));
    DWORD got = 0;
    if (!ReadFile(file_, destination + done, want, &got, nullptr) || got == 0) break;
    done += got;
  }
  return done;
}

std::unique_ptr<FILE_SOURCE> fileSourceOpen(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_RANDOM_ACCESS | FILE_ATTRIBUTE_NORMAL, nullptr);
  auto source = std::make_unique<FILE_SOURCE>(file);
  source->seek(0, 0);
  return source;
}
