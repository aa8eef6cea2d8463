// Demultiplexes audio stream 0xC0 of an MPEG-1 system stream: walks the
// stream's start codes and packets through the system stream reader and
// hands out the payload of the 0xC0 packets only.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "converter/mpeg/mpeg_system_stream.h"

namespace reelpack {

class CMpegAudioStream {
 public:
  explicit CMpegAudioStream(const char* path);
  ~CMpegAudioStream();
  CMpegAudioStream(const CMpegAudioStream&) = delete;
  CMpegAudioStream& operator=(const CMpegAudioStream&) = delete;

  // 1 when the file is open; otherwise 0 and the stream counts as ended.
  int Open(const char* path);
  // Reads up to `count` packets, appending the payload of each 0xC0 packet
  // to destination; *copied gets the bytes appended. 1 once the stream has
  // ended (before a packet), else 0.
  int Read(std::vector<std::uint8_t>* destination, std::uint32_t* copied, int count);
  // After the end code, or once the whole file has been consumed.
  int IsEnded() const;
  void Close();

 private:
  void NextPacket();
  void TakePayload(const PES_PACKET& packet);

  std::int32_t m_ended = 1;
  std::vector<std::uint8_t>* m_destination = nullptr;
  std::uint32_t m_copied = 0;
  std::unique_ptr<SYS_READER> m_reader;
};

}  // namespace reelpack
