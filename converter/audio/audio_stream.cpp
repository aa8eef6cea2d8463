#include "converter/audio/audio_stream.h"

#include <cstring>

#include "converter/job/conversion_job_record.h"
#include "converter/mpeg/mpeg_packet_header.h"
#include "host/files/file_api.h"

namespace {

constexpr std::uint8_t kVideoSequenceHeader = 0xB3;
constexpr std::uint8_t kEndCode = 0xB9;
constexpr std::uint8_t kPackHeader = 0xBA;
constexpr std::uint8_t kAudioStream0 = 0xC0;
constexpr std::uint32_t kPackHeaderRest = 5;  // 12 bytes in all, 7 already in the window
constexpr int kWindowBytes = 7;

}  // namespace

CMpegAudioStream::CMpegAudioStream(const char* path) { Open(path); }

CMpegAudioStream::~CMpegAudioStream() { Close(); }

int CMpegAudioStream::Open(const char* path) {
  Close();
  m_ended = 1;
  const std::int64_t size = FileSize(path);
  if (size < 0) return 0;
  m_size = size;
  m_position = 0;
  m_file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_FLAG_SEQUENTIAL_SCAN | FILE_ATTRIBUTE_NORMAL, nullptr);
  if (m_file == INVALID_HANDLE_VALUE) return 0;
  m_ended = 0;
  return 1;
}

int CMpegAudioStream::Read(std::vector<std::uint8_t>* destination, std::uint32_t* copied, int count) {
  m_destination = destination;
  m_copied = 0;
  *copied = 0;
  for (int i = 0; i < count; ++i) {
    if (IsEnded()) return 1;
    NextPacket();
    *copied = m_copied;
  }
  return 0;
}

int CMpegAudioStream::IsEnded() const { return m_ended || m_position >= m_size ? 1 : 0; }

void CMpegAudioStream::Close() {
  if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
  m_file = INVALID_HANDLE_VALUE;
}

void CMpegAudioStream::NextPacket() {
  std::uint8_t w[kWindowBytes];
  for (;;) {
    if (ReadBytes(w, kWindowBytes) < kWindowBytes) return;
    while (!(w[0] == 0 && w[1] == 0 && w[2] == 1)) {
      std::memmove(w, w + 1, kWindowBytes - 1);
      if (!ReadByte(&w[kWindowBytes - 1])) return;
    }
    const std::int32_t length = (w[4] << 8) | w[5];
    switch (w[3]) {
      case kVideoSequenceHeader:
        return;
      case kEndCode:
        m_ended = 1;
        return;
      case kPackHeader:
        Skip(kPackHeaderRest);
        break;
      case kAudioStream0:
        ReadPacketBody(length, w[6]);
        return;
      default:
        // w[6] is the packet's first byte; a length of 0 has nothing left.
        if (length > 1) Skip(static_cast<std::uint32_t>(length - 1));
        break;
    }
  }
}

void CMpegAudioStream::ReadPacketBody(std::int32_t length, std::uint8_t first) {
  if (length < 1) return;
  // The whole packet (first is its first byte) goes through the system
  // stream's header parser, so both readers agree on every header form.
  PES_PACKET packet;
  packet.streamId = kAudioStream0;
  packet.packetLength = length;
  packet.data.resize(static_cast<std::size_t>(length));
  packet.data[0] = first;
  const std::uint32_t got = ReadBytes(packet.data.data() + 1, static_cast<std::uint32_t>(length - 1));
  packet.data.resize(1 + got);
  const PACKET_PAYLOAD payload = packetPayload(packet);
  if (payload.length <= 0) return;
  const auto begin = packet.data.begin() + payload.offset;
  m_destination->insert(m_destination->end(), begin, begin + payload.length);
  m_copied += static_cast<std::uint32_t>(payload.length);
}

bool CMpegAudioStream::ReadByte(std::uint8_t* byte) { return ReadBytes(byte, 1) == 1; }

std::uint32_t CMpegAudioStream::ReadBytes(std::uint8_t* out, std::uint32_t n) {
  DWORD got = 0;
  if (!ReadFile(m_file, out, n, &got, nullptr)) got = 0;
  m_position += got;
  // A short read means the file ends here, whatever its size said.
  if (got < n) m_ended = 1;
  return got;
}

void CMpegAudioStream::Skip(std::uint32_t n) {
  SetFilePointer(m_file, static_cast<LONG>(n), nullptr, FILE_CURRENT);
  m_position += n;
}
