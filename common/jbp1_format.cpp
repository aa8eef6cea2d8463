#include "common/jbp1_format.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint8_t kMagic[4] = {'J', 'B', 'P', '1'};

void WriteLe16(std::uint8_t* bytes, std::uint16_t value) {
  bytes[0] = static_cast<std::uint8_t>(value);
  bytes[1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint16_t ReadLe16(const std::uint8_t* bytes) {
  return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

}  // namespace

const std::uint8_t kJbpZigzagToNatural[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

std::uint32_t ReadLe32(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void WriteLe32(std::uint8_t* bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

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
