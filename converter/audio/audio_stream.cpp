#include "converter/audio/audio_stream.h"

#include "converter/job/conversion_job_record.h"
#include "converter/mpeg/mpeg_headers.h"

namespace reelpack {

namespace {

constexpr int kAudioStream0 = 0xC0;

}  // namespace

CMpegAudioStream::CMpegAudioStream(const char* path) { Open(path); }

CMpegAudioStream::~CMpegAudioStream() { Close(); }

int CMpegAudioStream::Open(const char* path) {
  Close();
  m_ended = 1;
  if (FileSize(path) < 0) return 0;
  m_reader = std::make_unique<SYS_READER>(fileSourceOpen(path));
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

// The reader holds no look-ahead once every byte of the file is consumed.
int CMpegAudioStream::IsEnded() const { return m_ended || !m_reader || m_reader->lookAheadBits() == 0 ? 1 : 0; }

void CMpegAudioStream::Close() { m_reader.reset(); }

void CMpegAudioStream::NextPacket() {
  PES_PACKET packet;
  for (;;) {
    std::uint32_t code = 0;
    switch (readSystemItem(*m_reader, &code, packet)) {
      case SystemItem::End:
        m_ended = 1;
        return;
      case SystemItem::StartCode:
        // A sequence header outside any packet ends this read with nothing.
        if (code == kSequenceHeaderCode) return;
        if (code == kSystemEndCode) {
          m_ended = 1;
          return;
        }
        break;
      case SystemItem::Packet:
        if (packet.streamId == kAudioStream0) {
          TakePayload(packet);
          return;
        }
        break;
      case SystemItem::CutPacket:
        // The file ends inside this packet; the bytes it still has count.
        if (packet.streamId == kAudioStream0) TakePayload(packet);
        m_ended = 1;
        return;
    }
  }
}

void CMpegAudioStream::TakePayload(const PES_PACKET& packet) {
  const PACKET_PAYLOAD payload = packetPayload(packet);
  if (payload.length <= 0) return;
  const auto begin = packet.data.begin() + payload.offset;
  m_destination->insert(m_destination->end(), begin, begin + payload.length);
  m_copied += static_cast<std::uint32_t>(payload.length);
}

}  // namespace reelpack
