// Builds small MPEG-1 system streams around given payloads, with every form
// of packet header, for the demultiplexer's tests.
#pragma once

#include <cstdint>
#include <vector>

namespace layer2_test {

enum class PacketHeader { Plain, Stuffing, StdBuffer, Pts, PtsDts, StdBufferPts };

class SystemStreamBuilder {
 public:
  void PackHeader();
  // A packet of stream `id` carrying payload, with the given header form.
  void Packet(std::uint8_t id, const std::uint8_t* payload, std::size_t size, PacketHeader header);
  // Packets of at most `chunk` payload bytes each.
  void Packets(std::uint8_t id, const std::vector<std::uint8_t>& payload, std::size_t chunk, PacketHeader header);
  void EndCode();
  void Raw(const std::vector<std::uint8_t>& bytes);
  const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

 private:
  std::vector<std::uint8_t> m_bytes;
};

// A system stream carrying payload as audio stream 0xC0, one pack of a
// 2,000-byte packet after another, closed by an end code when asked.
std::vector<std::uint8_t> AudioSystemStream(const std::vector<std::uint8_t>& payload, bool endCode = true);

}  // namespace layer2_test
