#include "tests/engine/movie/movie_fixture.h"

#include "common/byte_order.h"

Rzm2Header MovieHeader(bool version2, std::uint32_t storedWidth, std::uint32_t storedHeight,
                       std::uint32_t rateNumerator, std::uint32_t timeBase) {
  Rzm2Header header;
  header.version2 = version2;
  header.storedWidth = storedWidth;
  header.storedHeight = storedHeight;
  header.rateNumerator = rateNumerator;
  header.timeBase = timeBase;
  return header;
}

std::vector<std::vector<std::uint8_t>> NumberedRecords(std::uint32_t frames, std::uint32_t bytes) {
  std::vector<std::vector<std::uint8_t>> records(frames, std::vector<std::uint8_t>(bytes, 0xA5));
  for (std::uint32_t frame = 0; frame < frames; ++frame) WriteLe32(records[frame].data(), frame);
  return records;
}

std::vector<std::uint8_t> MovieFileBytes(const Rzm2Header& header, const std::vector<std::vector<std::uint8_t>>& records) {
  std::vector<std::uint32_t> sizes;
  for (const auto& record : records) sizes.push_back(static_cast<std::uint32_t>(record.size()));
  std::vector<std::uint8_t> file = BuildRzm2IndexBlock(header, sizes);
  for (const auto& record : records) file.insert(file.end(), record.begin(), record.end());
  return file;
}
