#include "converter/mpeg/mpeg_packet_reader.h"

namespace {

constexpr std::uint32_t kFirstPacketCode = 0x1BC;
// Video start codes end with the group start code; anything above is a
// system start code or a stream id.
constexpr std::uint32_t kLastVideoStartCode = 0x1B8;
// A system stream shows a system start code within its first 2 MiB.
constexpr std::int64_t kSystemCodeLimit = 0x200000;

}  // namespace

int readPacket(PES_PACKET& packet, SYS_READER& reader) {
  std::uint32_t code = 0;
  do {
    if (!reader.nextStartCode()) return 0;
    code = reader.getBits(32);
  } while (code < kFirstPacketCode);
  packet.reset();
  packet.streamId = static_cast<int>(code & 0xFF);
  packet.packetLength = static_cast<int>(reader.getBits(16));
  if (packet.packetLength == 0) return 0;
  packet.data.resize(packet.packetLength);
  std::int64_t done = 0;
  while (done < packet.packetLength) {
    const std::int64_t got = reader.readBytes(packet.data.data() + done, packet.packetLength - done);
    if (got == 0) return 0;
    done += got;
  }
  return packet.packetLength;
}

int isSystemStream(SYS_READER& reader) {
  while (reader.nextStartCode()) {
    const std::uint32_t code = reader.getBits(32);
    if (code > kLastVideoStartCode) {
      reader.seek(0, 0);
      return 1;
    }
    if (reader.tell() > kSystemCodeLimit) return 0;
  }
  return 0;
}
