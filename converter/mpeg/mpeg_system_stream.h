// The MPEG-1 system stream (ISO/IEC 11172-1) demultiplexer, in the order data
// flows: packets read whole from the byte reader, their headers and stream
// classes, then the payload bytes of one selected elementary stream with
// positions as byte offsets in the file.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "converter/mpeg/mpeg_byte_reader.h"

namespace reelpack {

inline constexpr std::uint32_t kSystemEndCode = 0x1B9;

struct PES_PACKET {
  int streamId = 0;                // the byte after 00 00 01 (0xBC to 0xFF)
  int packetLength = 0;            // packet_length
  std::vector<std::uint8_t> data;  // everything after the length field

  // Keeps the data's storage for the next packet.
  void reset() {
    streamId = 0;
    packetLength = 0;
    data.clear();
  }
};

// What readSystemItem met next.
enum class SystemItem {
  End,        // no further start code
  StartCode,  // a start code below 0x1BC (pack or system header, end code, video code)
  Packet,     // a packet read whole; a packet_length of 0 gives an empty one
  CutPacket,  // a packet the data ends inside; data holds the bytes there were
};

// Moves to the next start code and consumes it; when it starts a packet, the
// packet is read whole, so start codes inside payloads are never met.
SystemItem readSystemItem(SYS_READER& reader, std::uint32_t* code, PES_PACKET& packet);

// Passes over pack headers, system headers and anything below 0x1BC, then
// reads the next packet whole. Returns its packet_length, or 0 when no packet
// follows, the packet is cut short or its packet_length is 0 (which ends the
// packets).
int readPacket(PES_PACKET& packet, SYS_READER& reader);

// 1 when a start code above 0x1B8 appears before 2 MiB of lower ones (the
// reader is then back at 0); 0 otherwise.
int isSystemStream(SYS_READER& reader);

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

// Stream classes of classifyPacket.
inline constexpr int kStreamKindOther = 0;
inline constexpr int kStreamKindVideo = 1;         // ids 0xE0 to 0xEF
inline constexpr int kStreamKindAudio = 2;         // ids 0xC0 to 0xDF
inline constexpr int kStreamKindPrivateOther = 3;  // id 0xBD, other sub-streams
inline constexpr int kStreamKindPrivate = 4;       // id 0xBD, sub-streams 0x80 to 0x8F

// Sets kind and number (-1 for classes that cannot be selected); returns 1
// for a selectable class (video, audio, private sub-streams 0x80 to 0x8F).
int classifyPacket(const PES_PACKET& packet, int* kind, int* number);

struct STREAM_HANDLE {
  std::unique_ptr<SYS_READER> reader;
  int kind = 0;    // stream class (kStreamKind...)
  int number = 0;  // the stream's number within its class
  std::vector<std::uint8_t> payload;  // the current packet's payload
  int next = 0;                  // next byte of the payload to deliver
  int remaining = 0;             // payload bytes not yet delivered
  std::uint32_t packetCode = 0;  // 0x100 plus the selected stream id
};

// Opens a system stream and selects the first stream of the given kind met
// from the start; null when the file is missing, empty, not a system stream
// or holds no such stream.
STREAM_HANDLE* streamOpen(const char* path, int kind);
// Delivers at most the rest of the current packet's payload; 0 at the end of
// the selected stream.
int streamRead(STREAM_HANDLE* handle, void* destination, int count);
// Lands on the nearest packet of the stream whose start code begins no later
// than 2 bytes after the target (else its first packet). whence 0 from the
// start of the file, 1 from the end of the packet read last, 2 from the end.
// Returns streamTell.
std::int64_t streamSeek(STREAM_HANDLE* handle, std::int64_t offset, int whence);
// File offset of the next payload byte streamRead will deliver.
std::int64_t streamTell(const STREAM_HANDLE* handle);
// Accepts null; returns 1.
int streamClose(STREAM_HANDLE* handle);

}  // namespace reelpack
