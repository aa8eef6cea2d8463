#include "engine/runtime/file_helpers.h"

#include <string>

#include "host/text/code_page.h"
#include "host/files/file_api.h"
#include "host/memory/memory_api.h"

namespace {

constexpr int kWideUnits = 2048;
WCHAR wideBuffer[kWideUnits];

HANDLE OpenForReading(const char* path) {
  return CreateFileW(AnsiToWideStatic(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
}

bool FindPath(const char* path, WIN32_FIND_DATAW* found) {
  HANDLE find = FindFirstFileW(AnsiToWideStatic(path), found);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return true;
}

void SeekFrom(HANDLE file, int origin, std::int32_t offset) {
  if (origin == 0 || origin == 1 || origin == 2) SetFilePointer(file, offset, nullptr, static_cast<DWORD>(origin));
}

}  // namespace

const WCHAR* AnsiToWideStatic(const char* text) {
  if (MultiByteToWideChar(CP_ACP, 0, text, -1, wideBuffer, kWideUnits) == 0) wideBuffer[0] = 0;
  wideBuffer[kWideUnits - 1] = 0;
  return wideBuffer;
}

std::int32_t QueryFileSize(const char* path) {
  WIN32_FIND_DATAW found;
  return FindPath(path, &found) ? static_cast<std::int32_t>(found.nFileSizeLow) : -1;
}

int FileExists(const char* path) {
  WIN32_FIND_DATAW found;
  return FindPath(path, &found) ? 1 : 0;
}

std::uint32_t ReadFileRange(const char* path, void* buffer, int origin, std::int32_t offset, std::uint32_t count) {
  HANDLE file = OpenForReading(path);
  if (file == INVALID_HANDLE_VALUE) return 0;
  SeekFrom(file, origin, offset);
  DWORD read = 0;
  if (!ReadFile(file, buffer, count, &read, nullptr)) read = 0;
  CloseHandle(file);
  return read;
}

void* ReadWholeFile(const char* path, std::uint32_t* size, std::uint32_t extra) {
  std::int32_t fileSize = QueryFileSize(path);
  if (fileSize < 0) return nullptr;
  HANDLE file = OpenForReading(path);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  const std::uint32_t bytes = static_cast<std::uint32_t>(fileSize);
  void* block = LocalAlloc(LMEM_FIXED, static_cast<SIZE_T>(bytes) + extra);
  if (!block) {
    CloseHandle(file);
    return nullptr;
  }
  DWORD read = 0;
  BOOL ok = ReadFile(file, block, bytes, &read, nullptr);
  CloseHandle(file);
  // A short read would hand uninitialised bytes to the caller as file content.
  if (!ok || read != bytes) {
    LocalFree(block);
    return nullptr;
  }
  if (size) *size = bytes;
  return block;
}

std::uint32_t WriteFileAt(const char* path, const void* data, int origin, std::int32_t offset, std::uint32_t count,
                          int createNew) {
  HANDLE file = CreateFileW(AnsiToWideStatic(path), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                            createNew == 1 ? CREATE_ALWAYS : OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  SeekFrom(file, origin, offset);
  DWORD written = 0;
  if (!WriteFile(file, data, count, &written, nullptr)) written = 0;
  CloseHandle(file);
  return written;
}

int ReplaceWholeFile(const char* path, const void* data, std::uint32_t count, const char** failedStepOut) {
  const std::u16string temporary = AnsiToWideStatic((std::string(path) + ".tmp").c_str());
  const std::u16string target = AnsiToWideStatic(path);
  const char* failedStep = nullptr;
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    failedStep = "creating the temporary file";
  } else {
    DWORD written = 0;
    // The data must be on the medium before the move makes it the file.
    if (!WriteFile(file, data, count, &written, nullptr) || written != count) {
      failedStep = "writing the temporary file";
    } else if (!FlushFileBuffers(file)) {
      failedStep = "flushing the temporary file";
    }
    if (!CloseHandle(file) && failedStep == nullptr) failedStep = "closing the temporary file";
    if (failedStep == nullptr && !MoveFileW(temporary.c_str(), target.c_str())) {
      failedStep = "moving the temporary file over it";
    }
  }
  if (failedStepOut != nullptr) *failedStepOut = failedStep;
  if (failedStep == nullptr) return 1;
  DeleteFileW(temporary.c_str());
  return 0;
}
