#include "converter/mpeg/mpeg_system_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace reelpack {

namespace {

constexpr std::uint32_t kFirstPacketCode = 0x1BC;
// Video start codes end with the group start code; anything above is a
// system start code or a stream id.
constexpr std::uint32_t kLastVideoStartCode = 0x1B8;
// A system stream shows a system start code within its first 2 MiB.
constexpr std::int64_t kSystemCodeLimit = 0x200000;

}  // namespace

SystemItem readSystemItem(SYS_READER& reader, std::uint32_t* code, PES_PACKET& packet) {
  if (!reader.nextStartCode()) return SystemItem::End;
  *code = reader.getBits(32);
  if (*code < kFirstPacketCode) return SystemItem::StartCode;
  packet.reset();
  packet.streamId = static_cast<int>(*code & 0xFF);
  packet.packetLength = static_cast<int>(reader.getBits(16));
  // A length the file cannot hold costs only the bytes that are there.
  if (reader.appendBytes(packet.data, packet.packetLength) < packet.packetLength) return SystemItem::CutPacket;
  return SystemItem::Packet;
}

int readPacket(PES_PACKET& packet, SYS_READER& reader) {
  std::uint32_t code = 0;
  SystemItem item = SystemItem::StartCode;
  while (item == SystemItem::StartCode) item = readSystemItem(reader, &code, packet);
  return item == SystemItem::Packet ? packet.packetLength : 0;
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

namespace {

bool isSelected(const STREAM_HANDLE& handle, const PES_PACKET& packet) {
  int kind = 0;
  int number = 0;
  return classifyPacket(packet, &kind, &number) && kind == handle.kind && number == handle.number;
}

void takePayload(STREAM_HANDLE& handle, const PES_PACKET& packet) {
  const PACKET_PAYLOAD payload = packetPayload(packet);
  const auto begin = packet.data.begin() + payload.offset;
  handle.payload.assign(begin, begin + payload.length);
  handle.next = 0;
  handle.remaining = payload.length;
}

// Reads forward to the next packet of the selected stream and takes its
// payload; at the end of the packets nothing remains to deliver.
void takeNextPacket(STREAM_HANDLE& handle) {
  PES_PACKET packet;
  while (readPacket(packet, *handle.reader)) {
    if (isSelected(handle, packet)) {
      takePayload(handle, packet);
      return;
    }
  }
}

}  // namespace

STREAM_HANDLE* streamOpen(const char* path, int kind) {
  std::unique_ptr<STREAM_HANDLE> handle(new (std::nothrow) STREAM_HANDLE);
  if (!handle) return nullptr;
  handle->reader = readerOpen(path);
  if (!handle->reader || !isSystemStream(*handle->reader)) return nullptr;
  PES_PACKET packet;
  while (readPacket(packet, *handle->reader)) {
    int found = 0;
    int number = 0;
    if (classifyPacket(packet, &found, &number) && found == kind) {
      handle->kind = kind;
      handle->number = number;
      handle->packetCode = 0x100 | static_cast<std::uint32_t>(packet.streamId);
      handle->reader->seek(0, 0);
      return handle.release();
    }
  }
  return nullptr;
}

int streamRead(STREAM_HANDLE* handle, void* destination, int count) {
  if (count <= 0) return 0;
  if (handle->remaining == 0) {
    PES_PACKET packet;
    for (;;) {
      if (!readPacket(packet, *handle->reader)) return 0;
      if (isSelected(*handle, packet) && packetPayload(packet).length > 0) break;
    }
    takePayload(*handle, packet);
  }
  const int n = std::min(count, handle->remaining);
  std::memcpy(destination, handle->payload.data() + handle->next, n);
  handle->next += n;
  handle->remaining -= n;
  return n;
}

std::int64_t streamTell(const STREAM_HANDLE* handle) { return handle->reader->tell() - handle->remaining; }

std::int64_t streamSeek(STREAM_HANDLE* handle, std::int64_t offset, int whence) {
  SYS_READER& reader = *handle->reader;
  reader.seek(offset, whence);
  handle->next = 0;
  handle->remaining = 0;
  PES_PACKET packet;
  while (reader.prevStartCode()) {
    if (reader.peekBits(32) != handle->packetCode) {
      reader.pushBack();  // the next backward search starts before this code
      continue;
    }
    const std::int64_t codePosition = reader.tell();
    if (!readPacket(packet, reader)) {
      reader.seek(codePosition, 0);
      reader.pushBack();
      continue;
    }
    if (isSelected(*handle, packet) && reader.tell() >= codePosition) {
      takePayload(*handle, packet);
      return streamTell(handle);
    }
    break;  // another private sub-stream: go on forward from after it
  }
  takeNextPacket(*handle);
  return streamTell(handle);
}

int streamClose(STREAM_HANDLE* handle) {
  delete handle;
  return 1;
}

}  // namespace reelpack
