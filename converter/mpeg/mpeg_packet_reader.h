// Reads whole packets of an MPEG-1 system stream from the byte reader.
#pragma once

#include "converter/mpeg/mpeg_packet_header.h"
#include "converter/mpeg/mpeg_sys_reader.h"

// Passes over pack headers, system headers and anything below 0x1BC, then
// reads the next packet whole. Returns its packet_length, or 0 when no packet
// follows, the packet is cut short or its packet_length is 0 (which ends the
// packets).
int readPacket(PES_PACKET& packet, SYS_READER& reader);

// 1 when a start code above 0x1B8 appears before 2 MiB of lower ones (the
// reader is then back at 0); 0 otherwise.
int isSystemStream(SYS_READER& reader);
