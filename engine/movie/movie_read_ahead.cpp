#include "engine/movie/movie_read_ahead.h"

#include "engine/runtime/thread_ctrl.h"
#include "host/files/file_api.h"
#include "host/time/time_api.h"

namespace {

constexpr std::uint32_t kLargeDimension = 640;
constexpr std::uint32_t kLargeBufferFactor = 4;
constexpr DWORD kReaderPauseMs = 5;
constexpr DWORD kPlayerPauseMs = 1;

}  // namespace

CMovieReadAhead::CMovieReadAhead() { InitializeCriticalSection(&runLock_); }

CMovieReadAhead::~CMovieReadAhead() {
  Close();
  DeleteCriticalSection(&runLock_);
}

std::int32_t CMovieReadAhead::Open(LPCWSTR path, std::uint32_t bufferBytes) {
  Close();
  file_ = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) file_ = nullptr;
  if (!file_) return 0;
  filePosition_ = 0;
  DWORD sizeHigh = 0;
  const DWORD sizeLow = GetFileSize(file_, &sizeHigh);
  const std::uint64_t fileBytes = static_cast<std::uint64_t>(sizeHigh) << 32 | sizeLow;
  std::uint8_t headerBytes[kRzm2HeaderBytes];
  if (fileBytes < kRzm2HeaderBytes || !ReadAt(0, headerBytes, kRzm2HeaderBytes)) {
    FreeAll();
    return 0;
  }
  const std::uint64_t blockBytes = Rzm2IndexBlockBytes(ReadRzm2Header(headerBytes).frameCount);
  if (blockBytes > fileBytes) {
    FreeAll();
    return 0;
  }
  indexBlock_.resize(static_cast<std::size_t>(blockBytes));
  if (!ReadAt(0, indexBlock_.data(), static_cast<std::uint32_t>(blockBytes)) ||
      !ValidateRzm2Index(indexBlock_.data(), blockBytes, fileBytes)) {
    FreeAll();
    return 0;
  }
  header_ = ReadRzm2Header(indexBlock_.data());
  bufferBytes_ = bufferBytes;
  if (header_.storedWidth >= kLargeDimension || header_.storedHeight >= kLargeDimension) {
    bufferBytes_ *= kLargeBufferFactor;
  }
  for (auto& buffer : buffers_) buffer = std::make_unique<std::uint8_t[]>(bufferBytes_);
  runs_[0] = runs_[1] = {};
  nextToRead_ = 0;
  requested_ = 0;
  end_ = header_.frameCount == 0;
  if (!ReadChunk(0, 0) || !ReadChunk(1, nextToRead_)) {
    FreeAll();
    return 0;
  }
  return 1;
}

std::uint32_t CMovieReadAhead::FramesPerRead() const {
  if (header_.storedWidth >= 480) return 8;
  if (header_.rateNumerator >= 24) return 4;
  return 2;
}

void CMovieReadAhead::Start() {
  if (started_ || !file_) return;
  // Without a thread only the frames already buffered are delivered.
  started_ = CThreadCtrl(this).Start() == 1;
}

void CMovieReadAhead::Close() {
  end_ = true;
  if (started_) {
    started_ = false;
    CThreadCtrl ctrl(this);
    ctrl.Kill();
    ctrl.Wait(INFINITE);
    ctrl.CloseHandle();
  }
  FreeAll();
}

void CMovieReadAhead::FreeAll() {
  if (file_) CloseHandle(file_);
  file_ = nullptr;
  for (auto& buffer : buffers_) buffer.reset();
  indexBlock_.clear();
  CriticalSectionLock lock(&runLock_);
  runs_[0] = runs_[1] = {};
}

bool CMovieReadAhead::ReadAt(std::uint64_t fileOffset, std::uint8_t* into, std::uint32_t bytes) {
  // Runs that follow each other are read without a seek.
  if (fileOffset != filePosition_) {
    LONG high = static_cast<LONG>(fileOffset >> 32);
    const auto low = static_cast<DWORD>(fileOffset);
    if (SetFilePointer(file_, static_cast<LONG>(low), &high, FILE_BEGIN) != low) return false;
  }
  DWORD read = 0;
  if (!ReadFile(file_, into, bytes, &read, nullptr) || read != bytes) {
    filePosition_ = ~std::uint64_t{0};
    return false;
  }
  filePosition_ = fileOffset + bytes;
  return true;
}

void CMovieReadAhead::Publish(int which, BufferRun run) {
  CriticalSectionLock lock(&runLock_);
  runs_[which] = run;
}

void CMovieReadAhead::FailReading() {
  // Nothing more will arrive: let the main thread stop waiting.
  nextToRead_.store(header_.frameCount, std::memory_order_release);
  end_ = true;
}

bool CMovieReadAhead::ReadChunk(int which, std::uint32_t first) {
  const std::uint32_t frameCount = header_.frameCount;
  Publish(which, {first, 0});
  std::uint32_t taken = 0;
  std::uint64_t runBytes = 0;
  std::uint32_t firstOffset = 0;
  if (first < frameCount) {
    firstOffset = ReadRzm2FrameEntry(indexBlock_.data(), first).offset;
    // Records may leave gaps between them; the run spans them all.
    while (first + taken < frameCount && taken < FramesPerRead()) {
      const Rzm2FrameEntry entry = ReadRzm2FrameEntry(indexBlock_.data(), first + taken);
      const std::uint64_t spanned = static_cast<std::uint64_t>(entry.offset) + entry.recordBytes - firstOffset;
      if (spanned > bufferBytes_) break;
      runBytes = spanned;
      ++taken;
    }
  }
  std::uint32_t next = first + taken;
  if (taken == 0 && first < frameCount) {
    // A record larger than a buffer can never be delivered: step past it.
    next = first + 1;
  } else if (taken > 0) {
    if (!ReadAt(Rzm2IndexBlockBytes(frameCount) + firstOffset, buffers_[which].get(),
                static_cast<std::uint32_t>(runBytes))) {
      FailReading();
      return false;
    }
    Publish(which, {first, taken});
  }
  fillNext_.store(1 - which, std::memory_order_release);
  nextToRead_.store(next > first ? next : first, std::memory_order_release);
  if (next >= frameCount) end_ = true;
  return true;
}

std::int32_t CMovieReadAhead::Run() {
  while (!end_) {
    const std::uint32_t requested = requested_.load(std::memory_order_acquire);
    const std::uint32_t next = nextToRead_.load(std::memory_order_acquire);
    if (requested >= next) {
      // The player jumped ahead or caught up: start both buffers from there.
      if (!ReadChunk(0, requested) || !ReadChunk(1, nextToRead_.load(std::memory_order_acquire))) break;
    } else {
      const int which = fillNext_.load(std::memory_order_acquire);
      BufferRun run;
      {
        CriticalSectionLock lock(&runLock_);
        run = runs_[which];
      }
      if (requested >= run.first + run.count && !ReadChunk(which, next)) break;
    }
    if (!end_) WaitForSingleObject(ThreadHandle(), kReaderPauseMs);
  }
  return 0;
}

const std::uint8_t* CMovieReadAhead::GetFrame(std::uint32_t frame, std::uint32_t* size) {
  if (!file_ || frame >= header_.frameCount) return nullptr;
  requested_.store(frame, std::memory_order_release);
  // Waiting on the reader is not time the movie plays through, so the wait
  // is on the reader's thread rather than a sleep of the engine clock.
  while (started_ && !end_ && frame >= nextToRead_.load(std::memory_order_acquire)) {
    WaitForSingleObject(ThreadHandle(), kPlayerPauseMs);
  }
  CriticalSectionLock lock(&runLock_);
  for (int which = 0; which < 2; ++which) {
    const BufferRun run = runs_[which];
    if (frame < run.first || frame >= run.first + run.count) continue;
    const std::uint32_t firstOffset = ReadRzm2FrameEntry(indexBlock_.data(), run.first).offset;
    const Rzm2FrameEntry entry = ReadRzm2FrameEntry(indexBlock_.data(), frame);
    if (size) *size = entry.recordBytes;
    return buffers_[which].get() + (entry.offset - firstOffset);
  }
  return nullptr;
}
