#include "converter/job/conversion_job_record.h"

#include "host/text/code_page.h"
#include "host/files/file_api.h"

namespace reelpack {

CMpegFileConv::CMpegFileConv(std::int32_t audioBitRateIndex, std::int32_t sampleRateIndex, std::int32_t stereo)
    : m_audioBitRateIndex(audioBitRateIndex), m_sampleRateIndex(sampleRateIndex), m_stereo(stereo) {}

std::u16string WidePath(const char* path) {
  const int units = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (units <= 0) return {};
  std::u16string wide(static_cast<std::size_t>(units), u'\0');
  if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), units) <= 0) return {};
  wide.pop_back();
  return wide;
}

std::int64_t FileSize(const char* path) {
  const std::u16string wide = WidePath(path);
  if (wide.empty()) return -1;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(wide.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return -1;
  FindClose(search);
  return (static_cast<std::int64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

std::uint32_t WriteBufferToFile(const char* path, const void* data, std::int32_t seekMode, std::int32_t offset,
                                std::uint32_t size, std::int32_t createMode) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, createMode == 1 ? CREATE_ALWAYS : OPEN_ALWAYS,
                            FILE_FLAG_RANDOM_ACCESS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  if (seekMode == kSeekFromStart || seekMode == kSeekFromCurrent || seekMode == kSeekFromEnd) {
    SetFilePointer(file, offset, nullptr, static_cast<DWORD>(seekMode));
  }
  DWORD written = 0;
  WriteFile(file, data, size, &written, nullptr);
  CloseHandle(file);
  return written;
}

bool WriteFlushedFile(const char* path, const void* data, std::uint32_t size) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool whole = WriteFile(file, data, size, &written, nullptr) && written == size && FlushFileBuffers(file);
  if (CloseHandle(file) && whole) return true;
  DeleteFileW(WidePath(path).c_str());
  return false;
}

}  // namespace reelpack
