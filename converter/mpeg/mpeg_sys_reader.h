// The system stream's byte reader: reads a file in 512 KiB blocks and finds
// start codes forward and backward.
#pragma once

#include <cstdint>
#include <memory>

#include "converter/mpeg/mpeg_byte_reader.h"
#include "converter/mpeg/mpeg_file_source.h"

class SYS_READER final : public MpegBlockBuffer {
 public:
  explicit SYS_READER(std::unique_ptr<FILE_SOURCE> source);

  // whence 0 from the start, 1 from tell(), 2 from the end; returns tell().
  std::int64_t seek(std::int64_t offset, int whence);
  // Moves back to the nearest start code that begins at least 2 bytes before
  // the current byte position; the next 32 bits are then the code. false at
  // the start of the file.
  bool prevStartCode();

 protected:
  std::int64_t readRun(std::uint8_t* destination, std::int64_t capacity, std::int64_t* position) override;
  std::int64_t sourceTell() override { return source_->tell(); }

 private:
  bool loadPreviousBlock();
  std::int64_t blockPosition() { return sourceTell() - fill_; }

  std::unique_ptr<FILE_SOURCE> source_;
};

// Null when the file cannot be read or is empty.
std::unique_ptr<SYS_READER> readerOpen(const char* path);
