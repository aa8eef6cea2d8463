#include "jpeglib/jpeg_row_resume.h"

#include <algorithm>

#include "host/files/file_api.h"
#include "jpeglib/jpeg_working_state.h"

namespace {

// Offset of the next unread byte from the data's start; -1 when a file
// cannot tell its position.
std::int64_t inputOffset(const JpegInputStream& in) {
  if (in.file == nullptr) return static_cast<std::int64_t>(in.bytesConsumed);
  LONG high = 0;
  const DWORD low = SetFilePointer(in.file, 0, &high, FILE_CURRENT);
  if (low == INVALID_SET_FILE_POINTER) return -1;
  const std::int64_t filePosition = (static_cast<std::int64_t>(high) << 32) | low;
  return filePosition - static_cast<std::int64_t>(in.bytesLeft);
}

bool keyMatches(const JpegRowResumeTable& table, const JpegWorkingState& work, std::int64_t scanStart) {
  const JpegCallerFields& f = work.fields;
  const bool file = work.read.input.file != nullptr;
  const std::string name = file && f.jpegFileName != nullptr ? f.jpegFileName : "";
  return table.scanStart == scanStart && table.mcusPerRow == work.frame.mcusPerRow &&
         table.mcuRows == work.frame.mcuRows && table.fileName == name &&
         table.buffer == (file ? nullptr : f.jpegBuffer) && table.bufferSize == (file ? 0 : f.jpegBufferSize);
}

void rekey(JpegRowResumeTable& table, const JpegWorkingState& work, std::int64_t scanStart) {
  const JpegCallerFields& f = work.fields;
  const bool file = work.read.input.file != nullptr;
  table.fileName = file && f.jpegFileName != nullptr ? f.jpegFileName : "";
  table.buffer = file ? nullptr : f.jpegBuffer;
  table.bufferSize = file ? 0 : f.jpegBufferSize;
  table.scanStart = scanStart;
  table.mcusPerRow = work.frame.mcusPerRow;
  table.mcuRows = work.frame.mcuRows;
  table.rows.assign(static_cast<std::size_t>(std::min(work.frame.mcuRows, kJpegResumeRows)), JpegRowResumeEntry{});
}

int restore(JpegWorkingState& work, JPEG_SCAN& scan, const JpegRowResumeEntry& entry) {
  JpegInputStream& in = work.read.input;
  if (in.file == nullptr) {
    const auto offset = static_cast<std::size_t>(entry.offset);
    in.position = work.fields.jpegBuffer + offset;
    in.bytesLeft = work.fields.jpegBufferSize - offset;
  } else {
    LONG high = static_cast<LONG>(entry.offset >> 32);
    if (SetFilePointer(in.file, static_cast<LONG>(entry.offset & 0xFFFFFFFF), &high, FILE_BEGIN) ==
        INVALID_SET_FILE_POINTER) {
      return JPEG_FILE_ERROR;
    }
    in.position = in.staging;
    in.bytesLeft = 0;
  }
  in.bytesConsumed = static_cast<std::size_t>(entry.offset);
  in.bits = entry.bits;
  in.bitCount = entry.bitCount;
  in.marker = entry.marker;
  in.atEnd = entry.atEnd;
  scan.restartCounter = entry.restartCounter;
  std::copy_n(entry.dcPredictor, 4, scan.dcPredictor);
  return JPEG_SUCCESS;
}

}  // namespace

int jpegRowResumeStart(JpegWorkingState& work, JPEG_SCAN& scan, int wantedRow) {
  JpegRowResumeTable& table = work.read.rowResume;
  const std::int64_t scanStart = inputOffset(work.read.input);
  if (scanStart < 0) return 0;
  if (!keyMatches(table, work, scanStart)) rekey(table, work, scanStart);
  jpegRowResumeSave(work, scan, 0);
  int row = std::min(wantedRow, static_cast<int>(table.rows.size()) - 1);
  while (row > 0 && table.rows[static_cast<std::size_t>(row)].offset < 0) --row;
  if (row <= 0) return 0;
  const JPEG_STATUS status = restore(work, scan, table.rows[static_cast<std::size_t>(row)]);
  if (status < 0) {
    // A row that cannot be reached is no place to start from: the next read
    // remembers its rows afresh.
    table = JpegRowResumeTable{};
    return status;
  }
  return row;
}

void jpegRowResumeSave(JpegWorkingState& work, const JPEG_SCAN& scan, int row) {
  JpegRowResumeTable& table = work.read.rowResume;
  if (row >= static_cast<int>(table.rows.size())) return;
  JpegRowResumeEntry& entry = table.rows[static_cast<std::size_t>(row)];
  if (entry.offset >= 0) return;
  const JpegInputStream& in = work.read.input;
  entry.offset = inputOffset(in);
  entry.bits = in.bits;
  entry.bitCount = in.bitCount;
  entry.marker = in.marker;
  entry.atEnd = in.atEnd;
  entry.restartCounter = scan.restartCounter;
  std::copy_n(scan.dcPredictor, 4, entry.dcPredictor);
}
