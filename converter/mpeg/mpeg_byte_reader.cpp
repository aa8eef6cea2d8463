#include "converter/mpeg/mpeg_byte_reader.h"

#include <algorithm>
#include <cstring>

#include "converter/mpeg/mpeg_start_code.h"

MpegBlockBuffer::MpegBlockBuffer() : storage_(kCarrySize + kBlockSize + kCarrySize, 0) {}

std::int64_t MpegBlockBuffer::positionOf(std::int64_t index) {
  if (index < 0) return carryPositions_[kCarrySize + index];
  if (index >= fill_) return sourceTell() + (index - fill_);
  const auto run = std::upper_bound(runs_.begin(), runs_.end(), index,
                                    [](std::int64_t i, const Run& r) { return i < r.index; }) - 1;
  return run->position + (index - run->index);
}

std::int64_t MpegBlockBuffer::tell() { return positionOf(readPointer_ - lookAheadBits_ / 8); }

void MpegBlockBuffer::readBlock(std::int64_t limit) {
  fill_ = 0;
  runs_.clear();
  while (fill_ < limit) {
    std::int64_t position = 0;
    const std::int64_t got = readRun(block() + fill_, limit - fill_, &position);
    if (got <= 0) break;
    runs_.push_back({fill_, position});
    fill_ += got;
  }
}

bool MpegBlockBuffer::loadNextBlock() {
  // The carry area and the block read as one sequence: keep its last 8 bytes.
  std::int64_t positions[kCarrySize];
  for (int k = 0; k < kCarrySize; ++k) positions[k] = positionOf(fill_ - kCarrySize + k);
  std::memmove(storage_.data(), block() + fill_ - kCarrySize, kCarrySize);
  std::copy(positions, positions + kCarrySize, carryPositions_);
  readPointer_ -= fill_;
  readBlock();
  return fill_ > 0;
}

void MpegBlockBuffer::restart() {
  std::fill(carryPositions_, carryPositions_ + kCarrySize, 0);
  readPointer_ = 0;
  emptyLookAhead();
  readBlock();
  fillLookAhead();
}

void MpegBlockBuffer::skipTo(std::int64_t position) {
  std::int64_t index = fill_;
  for (std::size_t r = 0; r < runs_.size(); ++r) {
    const std::int64_t end = r + 1 < runs_.size() ? runs_[r + 1].index : fill_;
    if (position < runs_[r].position) {
      index = runs_[r].index;
      break;
    }
    if (position < runs_[r].position + (end - runs_[r].index)) {
      index = runs_[r].index + (position - runs_[r].position);
      break;
    }
  }
  readPointer_ = index;
  emptyLookAhead();
  fillLookAhead();
}

void MpegBlockBuffer::pushBack() {
  readPointer_ -= lookAheadBits_ / 8;
  emptyLookAhead();
}

bool MpegBlockBuffer::nextStartCode() {
  pushBack();
  for (;;) {
    const std::uint8_t* found = findStartCodeForward(block() + readPointer_, block() + fill_);
    if (found != nullptr) {
      readPointer_ = found - block();
      fillLookAhead();
      return lookAheadBits_ >= 32;
    }
    // The last two bytes may begin a start code that ends in the next block.
    readPointer_ = std::max(readPointer_, fill_ - 2);
    if (!loadNextBlock()) return false;
  }
}

std::int64_t MpegBlockBuffer::readBytes(std::uint8_t* destination, std::int64_t n) {
  pushBack();
  std::int64_t copied = 0;
  while (copied < n) {
    if (readPointer_ >= fill_ && !loadNextBlock()) break;
    const std::int64_t chunk = std::min(n - copied, fill_ - readPointer_);
    std::memcpy(destination + copied, block() + readPointer_, chunk);
    readPointer_ += chunk;
    copied += chunk;
  }
  fillLookAhead();
  return copied;
}
