// Demultiplexes audio stream 0xC0 of an MPEG-1 system stream: scans the file
// packet by packet and hands out the payload of the 0xC0 packets only.
#pragma once

#include <cstdint>
#include <vector>

#include "host/base/win_types.h"

class CMpegAudioStream {
 public:
  explicit CMpegAudioStream(const char* path);
  ~CMpegAudioStream();
  CMpegAudioStream(const CMpegAudioStream&) = delete;
  CMpegAudioStream& operator=(const CMpegAudioStream&) = delete;

  // 1 when the file is open; otherwise 0 and the stream counts as ended.
  int Open(const char* path);
  // Scans up to `count` packets, appending the payload of each 0xC0 packet to
  // destination; *copied gets the bytes appended. 1 once the stream has
  // ended (before a packet), else 0.
  int Read(std::vector<std::uint8_t>* destination, std::uint32_t* copied, int count);
  // After the end code, or once the whole file has been consumed.
  int IsEnded() const;
  void Close();

 private:
  void NextPacket();
  void ReadPacketBody(std::int32_t length, std::uint8_t first);
  bool ReadByte(std::uint8_t* byte);
  std::uint32_t ReadBytes(std::uint8_t* out, std::uint32_t n);
  void Skip(std::uint32_t n);

  std::int32_t m_ended = 1;
  std::vector<std::uint8_t>* m_destination = nullptr;
  std::uint32_t m_copied = 0;
  HANDLE m_file = INVALID_HANDLE_VALUE;
  std::int64_t m_size = 0;
  std::int64_t m_position = 0;
};
