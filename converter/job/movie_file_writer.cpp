#include "converter/job/movie_file_writer.h"

#include <algorithm>
#include <limits>

#include "converter/job/conversion_job_record.h"
#include "host/files/file_api.h"

namespace reelpack {
namespace {

constexpr std::size_t kStoredWidthAt = 0x14;
constexpr std::size_t kStoredHeightAt = 0x18;
constexpr std::size_t kFileBytesAt = 0x20;

void PutLe32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

CMovieFileWriter::~CMovieFileWriter() { Discard(); }

bool CMovieFileWriter::Create(const std::string& path) {
  Discard();
  path_ = path;
  file_ = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_RANDOM_ACCESS, nullptr);
  if (file_ != INVALID_HANDLE_VALUE) return true;
  file_ = nullptr;
  return false;
}

bool CMovieFileWriter::Begin(const Rzm2Header& header) {
  // Until the end the block holds no size and no index, so a cut file
  // never passes for a movie.
  std::vector<std::uint8_t> block = BuildRzm2IndexBlock(header, std::vector<std::uint32_t>(header.frameCount, 0));
  std::fill(block.begin() + static_cast<std::ptrdiff_t>(kRzm2HeaderBytes), block.end(), 0);
  // Plain output width and height: the turned frame's sides the other way.
  PutLe32(block.data() + kStoredWidthAt, header.storedHeight);
  PutLe32(block.data() + kStoredHeightAt, header.storedWidth);
  PutLe32(block.data() + kFileBytesAt, 0);
  blockBytes_ = block.size();
  recordBytes_ = 0;
  sizes_.clear();
  return WriteAll(block.data(), block.size());
}

bool CMovieFileWriter::Fits(std::uint32_t recordBytes) const {
  return blockBytes_ + recordBytes_ + recordBytes <= std::numeric_limits<std::uint32_t>::max();
}

bool CMovieFileWriter::Append(const std::vector<std::uint8_t>& record) {
  if (!Fits(static_cast<std::uint32_t>(record.size())) || !WriteAll(record.data(), record.size())) return false;
  sizes_.push_back(static_cast<std::uint32_t>(record.size()));
  recordBytes_ += record.size();
  return true;
}

bool CMovieFileWriter::Finish(const Rzm2Header& header) {
  if (file_ == nullptr || sizes_.size() != header.frameCount) return false;
  const std::vector<std::uint8_t> block = BuildRzm2IndexBlock(header, sizes_);
  const bool written = SetFilePointer(file_, 0, nullptr, FILE_BEGIN) == 0 && WriteAll(block.data(), block.size()) &&
                       FlushFileBuffers(file_);
  const bool closed = CloseHandle(file_);
  file_ = nullptr;
  if (written && closed) return true;
  DeleteFileW(WidePath(path_.c_str()).c_str());
  return false;
}

void CMovieFileWriter::Discard() {
  if (file_ == nullptr) return;
  CloseHandle(file_);
  file_ = nullptr;
  DeleteFileW(WidePath(path_.c_str()).c_str());
}

bool CMovieFileWriter::WriteAll(const void* data, std::uint64_t size) {
  if (size > std::numeric_limits<DWORD>::max()) return false;
  DWORD written = 0;
  return WriteFile(file_, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

}  // namespace reelpack
