#include "mpeg_test_writer.h"

#include <algorithm>

void BitWriter::put(std::uint32_t value, int bits) {
  for (int i = bits - 1; i >= 0; --i) {
    if (bitsInLast_ == 8) {
      data_.push_back(0);
      bitsInLast_ = 0;
    }
    data_.back() |= static_cast<std::uint8_t>(((value >> i) & 1) << (7 - bitsInLast_));
    ++bitsInLast_;
  }
}

void BitWriter::align() { bitsInLast_ = 8; }

void BitWriter::startCode(std::uint32_t code) {
  align();
  put(code, 32);
}

void BitWriter::bytes(const Bytes& data) {
  align();
  data_.insert(data_.end(), data.begin(), data.end());
}

void writeSequenceHeader(BitWriter& w, int width, int height, int rateCode, const std::uint8_t* intra,
                         const std::uint8_t* nonIntra) {
  w.startCode(0x1B3);
  w.put(width & 0xFFF, 12);
  w.put(height & 0xFFF, 12);
  w.put(1, 4);  // aspect ratio
  w.put(rateCode, 4);
  w.put(1000, 18);
  w.put(1, 1);
  w.put(20, 10);
  w.put(0, 1);
  w.put(intra != nullptr, 1);
  for (int i = 0; intra != nullptr && i < 64; ++i) w.put(intra[i], 8);
  w.put(nonIntra != nullptr, 1);
  for (int i = 0; nonIntra != nullptr && i < 64; ++i) w.put(nonIntra[i], 8);
}

void writeSequenceExtension(BitWriter& w, int progressive, int widthExtension, int heightExtension, int rateN,
                            int rateD) {
  w.startCode(0x1B5);
  w.put(1, 4);
  w.put(0x48, 8);
  w.put(progressive, 1);
  w.put(1, 2);  // 4:2:0
  w.put(widthExtension, 2);
  w.put(heightExtension, 2);
  w.put(0, 12);
  w.put(1, 1);
  w.put(0, 8);
  w.put(0, 1);
  w.put(rateN, 2);
  w.put(rateD, 5);
}

void writeGopHeader(BitWriter& w, TimeCode t, int closed, int brokenLink) {
  w.startCode(0x1B8);
  w.put(t.drop, 1);
  w.put(t.hours, 5);
  w.put(t.minutes, 6);
  w.put(1, 1);
  w.put(t.seconds, 6);
  w.put(t.pictures, 6);
  w.put(closed, 1);
  w.put(brokenLink, 1);
}

void writePictureHeader(BitWriter& w, int type, int temporalReference) {
  w.startCode(0x100);
  w.put(temporalReference, 10);
  w.put(type, 3);
  w.put(0xFFFF, 16);
  if (type == 2 || type == 3) w.put(0b0001, 4);
  if (type == 3) w.put(0b0001, 4);
  w.put(0, 1);
}

void writePictureCodingExtension(BitWriter& w, int structure, int topFieldFirst, int repeatFirstField) {
  w.startCode(0x1B5);
  w.put(8, 4);
  w.put(0x1234, 16);  // f codes
  w.put(1, 2);        // intra dc precision
  w.put(structure, 2);
  w.put(topFieldFirst, 1);
  w.put(0b10100, 5);
  w.put(repeatFirstField, 1);
  w.put(0, 1);
  w.put(repeatFirstField ? 0 : 1, 1);  // progressive frame
  w.put(0, 1);
}

void writeSlice(BitWriter& w, int bodyBytes) {
  w.startCode(0x101);
  for (int i = 0; i < bodyBytes; ++i) w.put(0x5A, 8);
}

Bytes writeHeaderOnlyStream(const std::vector<GopSpec>& gops, int rateCode, bool terminated, int width, int height) {
  BitWriter w;
  for (const GopSpec& gop : gops) {
    writeSequenceHeader(w, width, height, rateCode);
    writeGopHeader(w, gop.timeCode, gop.closed, gop.brokenLink);
    for (char type : gop.pictures) {
      writePictureHeader(w, type == 'I' ? 1 : type == 'P' ? 2 : 3);
      writeSlice(w);
    }
  }
  if (terminated) w.startCode(0x1B7);
  return w.data();
}

void SystemStreamWriter::raw(const Bytes& bytes) { data_.insert(data_.end(), bytes.begin(), bytes.end()); }

void SystemStreamWriter::packHeader() {
  raw({0x00, 0x00, 0x01, 0xBA, 0x21, 0x00, 0x01, 0x00, 0x01, 0x80, 0x1B, 0x91});
}

void SystemStreamWriter::systemHeader() {
  raw({0x00, 0x00, 0x01, 0xBB, 0x00, 0x0C, 0x80, 0x1B, 0x91, 0x04, 0xE1, 0xFF, 0xE0, 0xE0, 0xE8, 0xC0, 0xC0, 0x20});
}

std::int64_t SystemStreamWriter::packet(const PacketSpec& spec) {
  const std::size_t length = spec.header.size() + spec.payload.size();
  raw({0x00, 0x00, 0x01, static_cast<std::uint8_t>(spec.streamId), static_cast<std::uint8_t>(length >> 8),
       static_cast<std::uint8_t>(length)});
  raw(spec.header);
  const std::int64_t payloadOffset = size();
  raw(spec.payload);
  return payloadOffset;
}

void SystemStreamWriter::endCode() { raw({0x00, 0x00, 0x01, 0xB9}); }

MuxedStream muxVideo(const Bytes& es, int payloadSize) {
  MuxedStream muxed;
  SystemStreamWriter s;
  s.packHeader();
  s.systemHeader();
  for (std::size_t at = 0; at < es.size(); at += payloadSize) {
    const std::size_t end = std::min(es.size(), at + payloadSize);
    if (at > 0) s.packHeader();
    PacketSpec video;
    // Vary the header forms: time stamps, buffer size and stuffing.
    if ((at / payloadSize) % 3 == 1) video.header = {0xFF, 0xFF, 0x60, 0x2E, 0x21, 0x00, 0x01, 0x00, 0x01};
    if ((at / payloadSize) % 3 == 2)
      video.header = {0x60, 0x2E, 0x31, 0x00, 0x01, 0x00, 0x01, 0x11, 0x00, 0x01, 0x00, 0x01};
    video.payload.assign(es.begin() + at, es.begin() + end);
    muxed.packetStarts.push_back(s.size());
    muxed.payloadOffsets.push_back(s.packet(video));
    muxed.esOffsets.push_back(static_cast<std::int64_t>(at));
    s.packet({0xC0, Bytes(37, 0x11), {0x0F}});
  }
  s.endCode();
  muxed.bytes = s.data();
  return muxed;
}

std::int64_t fileOffsetOf(const MuxedStream& muxed, std::int64_t esOffset) {
  std::size_t k = 0;
  while (k + 1 < muxed.esOffsets.size() && muxed.esOffsets[k + 1] <= esOffset) ++k;
  return muxed.payloadOffsets[k] + (esOffset - muxed.esOffsets[k]);
}
