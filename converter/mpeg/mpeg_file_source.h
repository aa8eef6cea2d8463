// A read-only file with 64-bit positions, over the platform's file calls.
#pragma once

#include <cstdint>
#include <memory>

#include "host/base/win_types.h"

class FILE_SOURCE {
 public:
  explicit FILE_SOURCE(HANDLE file) : file_(file) {}
  ~FILE_SOURCE() { close(); }
  FILE_SOURCE(const FILE_SOURCE&) = delete;
  FILE_SOURCE& operator=(const FILE_SOURCE&) = delete;

  int close();
  std::int64_t tell();
  // whence 0 from the start, 1 from the current position, 2 from the end; a
  // target before the start becomes 0; any other whence gives 0 and stays.
  std::int64_t seek(std::int64_t offset, int whence);
  // Reads until n bytes arrive or the file ends; returns the bytes read.
  std::int64_t read(std::uint8_t* destination, std::int64_t n);

 private:
  std::int64_t size();
  std::int64_t moveTo(std::int64_t position);

  HANDLE file_;
};

// The handle is not checked: a file that cannot be opened reads as empty.
std::unique_ptr<FILE_SOURCE> fileSourceOpen(const char* path);
