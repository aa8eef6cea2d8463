#include "engine/rbp_format.h"

#include <cstring>

namespace {

std::uint32_t Read32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}
std::int16_t Read16(const std::uint8_t* p) { return static_cast<std::int16_t>(p[0] | p[1] << 8); }
void Write32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void Write16(std::uint8_t* p, std::int16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8);
}

}  // namespace

bool ReadRbpHeader(const std::uint8_t* data, std::size_t size, RbpHeader& header) {
  if (data == nullptr || size < kRbpHeaderSize) return false;
  std::memcpy(header.tag, data, 3);
  header.variant = data[3];
  header.kind = Read32(data + 4);
  header.width = Read32(data + 8);
  header.height = Read32(data + 12);
  header.dataOffset = Read32(data + 16);
  header.designWidth = Read16(data + 20);
  header.designHeight = Read16(data + 22);
  header.valueA = Read16(data + 24);
  header.valueB = Read16(data + 26);
  header.recordLength = Read32(data + 28);
  header.packedAlphaLength = Read32(data + 32);
  return true;
}

void WriteRbpHeader(const RbpHeader& header, std::uint8_t* out) {
  std::memcpy(out, header.tag, 3);
  out[3] = header.variant;
  Write32(out + 4, header.kind);
  Write32(out + 8, header.width);
  Write32(out + 12, header.height);
  Write32(out + 16, header.dataOffset);
  Write16(out + 20, header.designWidth);
  Write16(out + 22, header.designHeight);
  Write16(out + 24, header.valueA);
  Write16(out + 26, header.valueB);
  Write32(out + 28, header.recordLength);
  Write32(out + 32, header.packedAlphaLength);
}
