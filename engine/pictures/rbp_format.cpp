#include "engine/pictures/rbp_format.h"

#include <cstring>

#include "common/jbp1_format.h"
#include "common/byte_order.h"

bool ReadRbpHeader(const std::uint8_t* data, std::size_t size, RbpHeader& header) {
  if (data == nullptr || size < kRbpHeaderSize) return false;
  std::memcpy(header.tag, data, 3);
  header.variant = data[3];
  header.kind = ReadLe32(data + 4);
  header.width = ReadLe32(data + 8);
  header.height = ReadLe32(data + 12);
  header.dataOffset = ReadLe32(data + 16);
  header.designWidth = static_cast<std::int16_t>(ReadLe16(data + 20));
  header.designHeight = static_cast<std::int16_t>(ReadLe16(data + 22));
  header.handedBackA = static_cast<std::int16_t>(ReadLe16(data + 24));
  header.handedBackB = static_cast<std::int16_t>(ReadLe16(data + 26));
  header.recordLength = ReadLe32(data + 28);
  header.packedAlphaLength = ReadLe32(data + 32);
  return true;
}

void WriteRbpHeader(const RbpHeader& header, std::uint8_t* out) {
  std::memcpy(out, header.tag, 3);
  out[3] = header.variant;
  WriteLe32(out + 4, header.kind);
  WriteLe32(out + 8, header.width);
  WriteLe32(out + 12, header.height);
  WriteLe32(out + 16, header.dataOffset);
  WriteLe16(out + 20, static_cast<std::uint16_t>(header.designWidth));
  WriteLe16(out + 22, static_cast<std::uint16_t>(header.designHeight));
  WriteLe16(out + 24, static_cast<std::uint16_t>(header.handedBackA));
  WriteLe16(out + 26, static_cast<std::uint16_t>(header.handedBackB));
  WriteLe32(out + 28, header.recordLength);
  WriteLe32(out + 32, header.packedAlphaLength);
}
