#include "converter/mpeg/mpeg_system_stream.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "converter/mpeg/mpeg_packet_reader.h"

namespace {

bool isSelected(const STREAM_HANDLE& handle, const PES_PACKET& packet) {
  int kind = 0;
  int number = 0;
  return classifyPacket(packet, &kind, &number) && kind == handle.kind && number == handle.number;
}

void takePayload(STREAM_HANDLE& handle, const PES_PACKET& packet) {
  const PACKET_PAYLOAD payload = packetPayload(packet);
  std::memcpy(handle.payload.data(), packet.data.data() + payload.offset, payload.length);
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
