// One packet of an MPEG-1 system stream (ISO/IEC 11172-1): its header, its
// payload and the class of stream it belongs to.
#pragma once

#include <cstdint>
#include <vector>

struct PES_PACKET {
  int streamId = 0;                // the byte after 00 00 01 (0xBC to 0xFF)
  int packetLength = 0;            // packet_length
  std::vector<std::uint8_t> data;  // everything after the length field

  void reset() { *this = PES_PACKET{}; }
};

// Stream classes of classifyPacket.
inline constexpr int kStreamKindOther = 0;
inline constexpr int kStreamKindVideo = 1;         // ids 0xE0 to 0xEF
inline constexpr int kStreamKindAudio = 2;         // ids 0xC0 to 0xDF
inline constexpr int kStreamKindPrivateOther = 3;  // id 0xBD, other sub-streams
inline constexpr int kStreamKindPrivate = 4;       // id 0xBD, sub-streams 0x80 to 0x8F

// Length of the MPEG-1 packet header (stuffing, STD buffer size, time
// stamps) at the start of the data; false for the MPEG-2 form or a header
// longer than the data.
bool parsePacketHeader(const PES_PACKET& packet, int* headerLength);

// Where the elementary-stream bytes lie in packet.data. A header that cannot
// be parsed gives an empty payload.
struct PACKET_PAYLOAD {
  int offset = 0;
  int length = 0;
};
PACKET_PAYLOAD packetPayload(const PES_PACKET& packet);

// Sets kind and number (-1 for classes that cannot be selected); returns 1
// for a selectable class (video, audio, private sub-streams 0x80 to 0x8F).
int classifyPacket(const PES_PACKET& packet, int* kind, int* number);
