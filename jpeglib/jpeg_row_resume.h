// Where each MCU row of a sequential scan begins in the input, remembered by
// region reads so that a later region read of the same image starts at the
// last row before its region instead of decoding from the scan's start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct JpegWorkingState;
struct JPEG_SCAN;

struct JpegRowResumeEntry {
  std::int64_t offset = -1;  // of the next input byte from the data's start; -1 unknown
  std::uint64_t bits = 0;
  int bitCount = 0;
  int marker = 0;
  bool atEnd = false;
  unsigned restartCounter = 0;
  std::int16_t dcPredictor[4] = {};
};

// Rows from this one on are not remembered.
inline constexpr int kJpegResumeRows = 8192;

struct JpegRowResumeTable {
  // What the entries belong to; a read of anything else starts them again.
  const std::uint8_t* buffer = nullptr;
  std::size_t bufferSize = 0;
  std::string fileName;
  std::int64_t scanStart = -1;
  int mcusPerRow = 0;
  int mcuRows = 0;
  std::vector<JpegRowResumeEntry> rows;
};

// At the start of a region read's scan: keys the table to this input and
// scan, then jumps to the last remembered row at or before `wantedRow`.
// Gives the row the decoding goes on from, or -23 when the file cannot be
// positioned.
int jpegRowResumeStart(JpegWorkingState& work, JPEG_SCAN& scan, int wantedRow);
// Remembers the decoding state at the start of `row`.
void jpegRowResumeSave(JpegWorkingState& work, const JPEG_SCAN& scan, int row);
