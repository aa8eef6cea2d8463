// The ".rzm2" file as the video pass writes it: under a temporary name, a
// provisional header first, records appended in frame order, and at the end
// the final header and index rewritten at the start and the data flushed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/rzm2_format.h"
#include "host/base/win_types.h"

namespace reelpack {

class CMovieFileWriter {
 public:
  CMovieFileWriter() = default;
  ~CMovieFileWriter();  // an unfinished file is removed
  CMovieFileWriter(const CMovieFileWriter&) = delete;
  CMovieFileWriter& operator=(const CMovieFileWriter&) = delete;

  // Creates path anew (no sharing); false when it cannot be created.
  bool Create(const std::string& path);
  // Writes the provisional header block of header.frameCount frames: the
  // dimensions plain, no file size, a zero index. False when it cannot be
  // written.
  bool Begin(const Rzm2Header& header);
  // Whether a record of this size still keeps the file within the 32-bit
  // size word.
  bool Fits(std::uint32_t recordBytes) const;
  // Appends a record at the end; false when it cannot be written whole.
  bool Append(const std::vector<std::uint8_t>& record);
  // Rewrites the header block with the final dimensions, size and index,
  // flushes and closes; the file stays. False on any failure.
  bool Finish(const Rzm2Header& header);
  // Closes and removes the file.
  void Discard();

  std::uint64_t RecordBytes() const { return recordBytes_; }

 private:
  bool WriteAll(const void* data, std::uint64_t size);

  HANDLE file_ = nullptr;
  std::string path_;
  std::uint64_t blockBytes_ = 0;
  std::uint64_t recordBytes_ = 0;
  std::vector<std::uint32_t> sizes_;
};

}  // namespace reelpack
