#include "common/rzm2_format.h"

#include "common/byte_order.h"

namespace {

constexpr std::size_t kFrameCountAt = 8;
constexpr std::size_t kRateNumeratorAt = 12;
constexpr std::size_t kTimeBaseAt = 16;
constexpr std::size_t kStoredWidthAt = 20;
constexpr std::size_t kStoredHeightAt = 24;
constexpr std::size_t kBitsPerPixelAt = 28;
constexpr std::size_t kFileBytesAt = 32;
constexpr std::size_t kRecordsStartAt = 44;

constexpr std::size_t kEntryFrameAt = 0;
constexpr std::size_t kEntryRecordBytesAt = 4;
constexpr std::size_t kEntryRawBytesAt = 8;
constexpr std::size_t kEntryKindAt = 12;
constexpr std::size_t kEntryOffsetAt = 16;

constexpr std::uint32_t kEntryKind = 2;
constexpr std::uint32_t kBitsPerPixel = 24;

const std::uint8_t* Entry(const std::uint8_t* indexBlock, std::uint32_t frame) {
  return indexBlock + kRzm2HeaderBytes + static_cast<std::size_t>(frame) * kRzm2IndexEntryBytes;
}

}  // namespace

Rzm2Header ReadRzm2Header(const std::uint8_t* header) {
  Rzm2Header result;
  result.version2 = header[3] == '2';
  result.frameCount = ReadLe32(header + kFrameCountAt);
  result.rateNumerator = ReadLe32(header + kRateNumeratorAt);
  result.timeBase = ReadLe32(header + kTimeBaseAt);
  result.storedWidth = ReadLe32(header + kStoredWidthAt);
  result.storedHeight = ReadLe32(header + kStoredHeightAt);
  if (result.version2) {
    result.storedWidth = ~result.storedWidth;
    result.storedHeight = ~result.storedHeight;
  }
  return result;
}

Rzm2FrameEntry ReadRzm2FrameEntry(const std::uint8_t* indexBlock, std::uint32_t frame) {
  const std::uint8_t* entry = Entry(indexBlock, frame);
  return {ReadLe32(entry + kEntryRecordBytesAt), ReadLe32(entry + kEntryOffsetAt)};
}

bool ValidateRzm2Index(const std::uint8_t* indexBlock, std::uint64_t indexBlockBytes, std::uint64_t fileBytes) {
  if (indexBlockBytes < kRzm2HeaderBytes) return false;
  const Rzm2Header header = ReadRzm2Header(indexBlock);
  if (header.rateNumerator == 0 || header.timeBase == 0) return false;
  const std::uint64_t blockBytes = Rzm2IndexBlockBytes(header.frameCount);
  if (blockBytes > indexBlockBytes || blockBytes > fileBytes) return false;
  std::uint64_t nextFree = 0;
  for (std::uint32_t frame = 0; frame < header.frameCount; ++frame) {
    const Rzm2FrameEntry entry = ReadRzm2FrameEntry(indexBlock, frame);
    if (entry.offset < nextFree) return false;
    nextFree = static_cast<std::uint64_t>(entry.offset) + entry.recordBytes;
    if (blockBytes + nextFree > fileBytes) return false;
  }
  return true;
}

std::vector<std::uint8_t> BuildRzm2IndexBlock(const Rzm2Header& header, const std::vector<std::uint32_t>& recordBytes) {
  const auto frameCount = static_cast<std::uint32_t>(recordBytes.size());
  const std::uint64_t blockBytes = Rzm2IndexBlockBytes(frameCount);
  std::vector<std::uint8_t> block(static_cast<std::size_t>(blockBytes), 0);
  std::uint8_t* out = block.data();
  out[0] = 'R';
  out[1] = 'Z';
  out[2] = 'M';
  out[3] = header.version2 ? '2' : '1';
  WriteLe32(out + kFrameCountAt, frameCount);
  WriteLe32(out + kRateNumeratorAt, header.rateNumerator);
  WriteLe32(out + kTimeBaseAt, header.timeBase);
  WriteLe32(out + kStoredWidthAt, header.version2 ? ~header.storedWidth : header.storedWidth);
  WriteLe32(out + kStoredHeightAt, header.version2 ? ~header.storedHeight : header.storedHeight);
  WriteLe32(out + kBitsPerPixelAt, kBitsPerPixel);
  WriteLe32(out + kRecordsStartAt, static_cast<std::uint32_t>(blockBytes));
  std::uint64_t offset = 0;
  for (std::uint32_t frame = 0; frame < frameCount; ++frame) {
    std::uint8_t* entry = out + kRzm2HeaderBytes + static_cast<std::size_t>(frame) * kRzm2IndexEntryBytes;
    WriteLe32(entry + kEntryFrameAt, frame);
    WriteLe32(entry + kEntryRecordBytesAt, recordBytes[frame]);
    WriteLe32(entry + kEntryRawBytesAt, header.storedWidth * header.storedHeight * 3);
    WriteLe32(entry + kEntryKindAt, kEntryKind);
    WriteLe32(entry + kEntryOffsetAt, static_cast<std::uint32_t>(offset));
    offset += recordBytes[frame];
  }
  WriteLe32(out + kFileBytesAt, static_cast<std::uint32_t>(blockBytes + offset));
  return block;
}
