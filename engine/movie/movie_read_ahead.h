// Reads a movie's frame records ahead of the player on a worker thread, into
// two buffers that take runs of 2, 4 or 8 consecutive records, so the main
// thread never waits on the storage card inside a frame.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "common/rzm2_format.h"
#include "common/win_thread_master.h"
#include "host/base/win_types.h"
#include "host/threads/thread_api.h"

class CMovieReadAhead : public CWinThreadMaster {
 public:
  CMovieReadAhead();
  ~CMovieReadAhead() override;

  // Opens and checks the movie and fills both buffers; the thread is not
  // started yet. Buffers are four times `bufferBytes` for a movie with a
  // dimension of 640 or more. 0 for a missing, unreadable or broken file.
  std::int32_t Open(LPCWSTR path, std::uint32_t bufferBytes);
  // Starts the thread, once.
  void Start();
  // Stops the thread and frees everything; safe to call twice.
  void Close();

  std::int32_t IsVersion2() const { return header_.version2 ? 1 : 0; }
  const Rzm2Header& Header() const { return header_; }
  std::uint32_t BufferBytes() const { return bufferBytes_; }
  std::uint32_t FramesPerRead() const;

  // The frame's record inside a buffer and its size, waiting while the reader
  // has yet to reach it. Null (size untouched) for a frame the reader cannot
  // deliver: past the end, too large for a buffer, left behind, or after a
  // read error. The pointer stays valid until a later frame is asked for.
  const std::uint8_t* GetFrame(std::uint32_t frame, std::uint32_t* size);

  std::int32_t Run() override;

 private:
  struct BufferRun {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
  };

  // Fills buffer `which` with the run starting at `first`; false after a read error.
  bool ReadChunk(int which, std::uint32_t first);
  bool ReadAt(std::uint64_t fileOffset, std::uint8_t* into, std::uint32_t bytes);
  void FailReading();
  void Publish(int which, BufferRun run);
  void FreeAll();

  Rzm2Header header_;
  std::vector<std::uint8_t> indexBlock_;
  std::unique_ptr<std::uint8_t[]> buffers_[2];
  std::uint32_t bufferBytes_ = 0;
  HANDLE file_ = nullptr;
  std::uint64_t filePosition_ = 0;
  bool started_ = false;

  // Shared with the main thread. The runs are guarded by runLock_; a run is
  // emptied before its buffer is refilled, so a lookup never sees half a read.
  CRITICAL_SECTION runLock_;
  BufferRun runs_[2];
  std::atomic<int> fillNext_{0};
  std::atomic<std::uint32_t> nextToRead_{0};
  std::atomic<std::uint32_t> requested_{0};
  std::atomic<bool> end_{false};
};
