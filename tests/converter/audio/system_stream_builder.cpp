#include "tests/converter/audio/system_stream_builder.h"

#include <algorithm>

namespace layer2_test {

namespace {

std::vector<std::uint8_t> HeaderBytes(PacketHeader header) {
  const std::vector<std::uint8_t> std = {0x60, 0x2E};
  const std::vector<std::uint8_t> pts = {0x21, 0x00, 0x01, 0x00, 0x01};
  switch (header) {
    case PacketHeader::Plain:
      return {0x0F};
    case PacketHeader::Stuffing:
      return {0xFF, 0xFF, 0xFF, 0x0F};
    case PacketHeader::StdBuffer:
      return {0x60, 0x2E, 0x0F};
    case PacketHeader::Pts:
      return pts;
    case PacketHeader::PtsDts:
      return {0x31, 0x00, 0x01, 0x00, 0x01, 0x11, 0x00, 0x01, 0x00, 0x01};
    case PacketHeader::StdBufferPts: {
      std::vector<std::uint8_t> bytes = std;
      bytes.insert(bytes.end(), pts.begin(), pts.end());
      return bytes;
    }
  }
  return {};
}

}  // namespace

void SystemStreamBuilder::PackHeader() {
  Raw({0x00, 0x00, 0x01, 0xBA, 0x21, 0x00, 0x01, 0x00, 0x01, 0x80, 0x1B, 0x91});
}

void SystemStreamBuilder::Packet(std::uint8_t id, const std::uint8_t* payload, std::size_t size,
                                 PacketHeader header) {
  const std::vector<std::uint8_t> fields = HeaderBytes(header);
  const std::size_t length = fields.size() + size;
  Raw({0x00, 0x00, 0x01, id, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)});
  Raw(fields);
  m_bytes.insert(m_bytes.end(), payload, payload + size);
}

void SystemStreamBuilder::Packets(std::uint8_t id, const std::vector<std::uint8_t>& payload, std::size_t chunk,
                                  PacketHeader header) {
  for (std::size_t at = 0; at < payload.size(); at += chunk) {
    Packet(id, payload.data() + at, std::min(chunk, payload.size() - at), header);
  }
}

void SystemStreamBuilder::EndCode() { Raw({0x00, 0x00, 0x01, 0xB9}); }

void SystemStreamBuilder::Raw(const std::vector<std::uint8_t>& bytes) {
  m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> AudioSystemStream(const std::vector<std::uint8_t>& payload, bool endCode) {
  SystemStreamBuilder builder;
  for (std::size_t at = 0; at < payload.size(); at += 2000) {
    builder.PackHeader();
    builder.Packet(0xC0, payload.data() + at, std::min<std::size_t>(2000, payload.size() - at), PacketHeader::Pts);
  }
  if (endCode) builder.EndCode();
  return builder.Bytes();
}

}  // namespace layer2_test
