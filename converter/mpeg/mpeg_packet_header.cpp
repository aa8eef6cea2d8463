#include "converter/mpeg/mpeg_packet_header.h"

#include <algorithm>

namespace {

constexpr int kPrivateStream1 = 0xBD;
// The sub-stream byte and the three bytes after it precede private payloads.
constexpr int kPrivateSubHeader = 4;

bool isPrivateSubStream(int byte) { return byte >= 0x80 && byte <= 0x8F; }

// The first payload byte of a private stream 1 packet, or -1.
int privateSubStream(const PES_PACKET& packet) {
  int header = 0;
  if (!parsePacketHeader(packet, &header) || header >= static_cast<int>(packet.data.size())) return -1;
  return packet.data[header];
}

}  // namespace

bool parsePacketHeader(const PES_PACKET& packet, int* headerLength) {
  const std::vector<std::uint8_t>& data = packet.data;
  const int size = static_cast<int>(data.size());
  int at = 0;
  if (size > 0 && (data[0] & 0xC0) == 0x80) return false;
  while (at < size && data[at] == 0xFF) ++at;
  if (at < size && (data[at] & 0xC0) == 0x40) at += 2;
  if (at >= size) return false;
  switch (data[at] >> 4) {
    case 0x2:
      at += 5;
      break;
    case 0x3:
      at += 10;
      break;
    default:
      at += 1;
  }
  if (at > size) return false;
  *headerLength = at;
  return true;
}

PACKET_PAYLOAD packetPayload(const PES_PACKET& packet) {
  const int size = static_cast<int>(packet.data.size());
  const int id = packet.streamId;
  int header = 0;
  if (id >= 0xC0 && id <= 0xEF) {
    if (!parsePacketHeader(packet, &header)) return {};
    return {header, size - header};
  }
  if (id == kPrivateStream1 && isPrivateSubStream(privateSubStream(packet))) {
    parsePacketHeader(packet, &header);
    const int offset = std::min(size, header + kPrivateSubHeader);
    return {offset, size - offset};
  }
  return {};
}

int classifyPacket(const PES_PACKET& packet, int* kind, int* number) {
  const int id = packet.streamId;
  *number = -1;
  if (id >= 0xE0 && id <= 0xEF) {
    *kind = kStreamKindVideo;
    *number = id & 0x0F;
    return 1;
  }
  if (id >= 0xC0 && id <= 0xDF) {
    *kind = kStreamKindAudio;
    *number = id & 0x1F;
    return 1;
  }
  if (id == kPrivateStream1) {
    const int sub = privateSubStream(packet);
    if (isPrivateSubStream(sub)) {
      *kind = kStreamKindPrivate;
      *number = sub & 0x0F;
      return 1;
    }
    *kind = kStreamKindPrivateOther;
    return 0;
  }
  *kind = kStreamKindOther;
  return 0;
}
