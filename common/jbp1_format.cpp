#include "common/jbp1_format.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::uint8_t kMagic[4] = {'J', 'B', 'P', '1'};
}  // namespace

void WriteJbpPictureHeader(const JbpPictureHeader& header, std::uint8_t* out) {
  std::memset(out, 0, kJbpHeaderSize);
  std::memcpy(out, kMagic, 4);
  WriteLe32(out + 0x04, header.headerSize);
  WriteLe32(out + 0x08, header.flags);
  WriteLe32(out + 0x0C, header.quality);
  WriteLe16(out + 0x10, header.width);
  WriteLe16(out + 0x12, header.height);
  WriteLe32(out + 0x14, header.bitsPerPixel);
  WriteLe32(out + 0x1C, header.dcStreamBytes);
  WriteLe32(out + 0x20, header.acStreamBytes);
}

bool ReadJbpPictureHeader(const std::uint8_t* record, std::size_t length, JbpPictureHeader& header) {
  if (record == nullptr || length < kJbpHeaderSize || std::memcmp(record, kMagic, 4) != 0) return false;
  header.headerSize = ReadLe32(record + 0x04);
  header.flags = ReadLe32(record + 0x08);
  header.quality = ReadLe32(record + 0x0C);
  header.width = ReadLe16(record + 0x10);
  header.height = ReadLe16(record + 0x12);
  header.bitsPerPixel = ReadLe32(record + 0x14);
  header.dcStreamBytes = ReadLe32(record + 0x1C);
  header.acStreamBytes = ReadLe32(record + 0x20);
  return true;
}

std::size_t PackAcCounts(const std::uint32_t counts[256], std::uint8_t* out) {
  std::uint8_t bytes[kJbpAcCountBytes];
  for (int i = 0; i < kJbpAcSymbols; ++i) WriteLe32(bytes + 4 * i, counts[i]);
  std::size_t written = 0;
  std::size_t position = 0;
  while (position < kJbpAcCountBytes) {
    if (bytes[position] != 0) {
      out[written++] = bytes[position++];
      continue;
    }
    // A group stands for 1 to 256 zero bytes.
    std::size_t run = 1;
    while (run < 256 && position + run < kJbpAcCountBytes && bytes[position + run] == 0) ++run;
    out[written++] = 0;
    out[written++] = static_cast<std::uint8_t>(run - 1);
    position += run;
  }
  return written;
}

std::size_t UnpackAcCounts(const std::uint8_t* packed, std::size_t available, std::uint32_t counts[256]) {
  std::uint8_t bytes[kJbpAcCountBytes] = {};
  std::size_t consumed = 0;
  std::size_t position = 0;
  while (position < kJbpAcCountBytes) {
    if (consumed >= available) return 0;
    const std::uint8_t byte = packed[consumed++];
    if (byte != 0) {
      bytes[position++] = byte;
      continue;
    }
    if (consumed >= available) return 0;
    position = std::min(kJbpAcCountBytes, position + packed[consumed++] + std::size_t{1});
  }
  for (int i = 0; i < kJbpAcSymbols; ++i) counts[i] = ReadLe32(bytes + 4 * i);
  return consumed;
}
