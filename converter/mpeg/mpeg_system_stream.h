// Serves the payload bytes of one elementary stream of an MPEG-1 system
// stream file; positions are byte offsets in the file.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "converter/mpeg/mpeg_sys_reader.h"

struct STREAM_HANDLE {
  std::unique_ptr<SYS_READER> reader;
  int kind = 0;    // stream class (kStreamKind...)
  int number = 0;  // the stream's number within its class
  std::vector<std::uint8_t> payload = std::vector<std::uint8_t>(65536);
  int next = 0;       // next byte of the payload to deliver
  int remaining = 0;  // payload bytes not yet delivered
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
