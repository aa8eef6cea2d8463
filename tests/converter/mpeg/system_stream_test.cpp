#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>

#include "converter/mpeg/mpeg_system_stream.h"
#include "mpeg_test_writer.h"

using reelpack::PACKET_PAYLOAD;
using reelpack::PES_PACKET;
using reelpack::STREAM_HANDLE;
using reelpack::classifyPacket;
using reelpack::isSystemStream;
using reelpack::kStreamKindAudio;
using reelpack::kStreamKindOther;
using reelpack::kStreamKindPrivate;
using reelpack::kStreamKindPrivateOther;
using reelpack::kStreamKindVideo;
using reelpack::packetPayload;
using reelpack::parsePacketHeader;
using reelpack::readerOpen;
using reelpack::streamClose;
using reelpack::streamOpen;
using reelpack::streamRead;
using reelpack::streamSeek;
using reelpack::streamTell;

namespace {

struct HandleCloser {
  void operator()(STREAM_HANDLE* h) const { streamClose(h); }
};
using Handle = std::unique_ptr<STREAM_HANDLE, HandleCloser>;

Handle open(const TempFile& file, int kind) { return Handle(streamOpen(file.path(), kind)); }

std::string readAll(STREAM_HANDLE* h, std::vector<int>* sizes = nullptr) {
  std::string out;
  char buffer[100000];
  for (int n; (n = streamRead(h, buffer, sizeof buffer)) > 0;) {
    out.append(buffer, n);
    if (sizes) sizes->push_back(n);
  }
  return out;
}

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// Low video start codes only, over more than 2 MiB, then a pack header.
Bytes videoCodesThenPack(std::int64_t packAt) {
  Bytes b;
  while (static_cast<std::int64_t>(b.size()) < packAt) {
    const Bytes chunk = {0, 0, 1, 0xB3, 0x10, 0x20, 0, 0, 1, 0x00, 0x55, 0x66, 0x77, 0x88};
    b.insert(b.end(), chunk.begin(), chunk.end());
    b.resize(b.size() + 4000, 0x77);
  }
  SystemStreamWriter s;
  s.packHeader();
  s.packet({0xE0, text("video"), {0x0F}});
  b.insert(b.end(), s.data().begin(), s.data().end());
  return b;
}

TEST(MpegSystemStream, RecognisedOnlyByASystemCodeWithinTwoMegabytes) {
  {
    TempFile early(videoCodesThenPack(0x1F0000));
    auto reader = readerOpen(early.path());
    ASSERT_TRUE(reader);
    EXPECT_EQ(isSystemStream(*reader), 1);
    EXPECT_EQ(reader->tell(), 0);
  }
  {
    TempFile late(videoCodesThenPack(0x210000));
    auto reader = readerOpen(late.path());
    ASSERT_TRUE(reader);
    EXPECT_EQ(isSystemStream(*reader), 0);
    EXPECT_FALSE(open(late, kStreamKindVideo));
  }
  TempFile empty(Bytes{});
  EXPECT_FALSE(open(empty, kStreamKindVideo));
  const ScopedTempDir emptyFolder("mpeg_stream_");
  EXPECT_FALSE(Handle(streamOpen(emptyFolder.HostPath("missing.mpg").c_str(), kStreamKindVideo)));
  TempFile noCodes(Bytes(1000, 0x42));
  EXPECT_FALSE(open(noCodes, kStreamKindVideo));
}

TEST(MpegSystemStream, SelectsTheFirstStreamOfTheKind) {
  SystemStreamWriter s;
  s.packHeader();
  s.systemHeader();
  s.packet({0xC0, text("audio1"), {0x0F}});
  s.packet({0xBD, text("\x20xyzprivate-other"), {0x0F}});
  s.packet({0xE3, text("abc"), {0x0F}});
  s.packet({0xE0, text("zzz"), {0x0F}});
  s.packet({0xBD, text("\x85hdrsub5"), {0x0F}});
  s.packet({0xE3, text("def"), {0x0F}});
  s.packet({0xC0, text("audio2"), {0x0F}});
  s.endCode();
  TempFile file(s.data());

  Handle video = open(file, kStreamKindVideo);
  ASSERT_TRUE(video);
  EXPECT_EQ(video->number, 3);
  EXPECT_EQ(readAll(video.get()), "abcdef");

  Handle audio = open(file, kStreamKindAudio);
  ASSERT_TRUE(audio);
  EXPECT_EQ(audio->number, 0);
  EXPECT_EQ(readAll(audio.get()), "audio1audio2");

  Handle privateStream = open(file, kStreamKindPrivate);
  ASSERT_TRUE(privateStream);
  EXPECT_EQ(privateStream->number, 5);
  EXPECT_EQ(readAll(privateStream.get()), "sub5");

  EXPECT_FALSE(open(file, kStreamKindPrivateOther));
  EXPECT_FALSE(open(file, 9));
}

TEST(MpegSystemStream, ClassifiesPackets) {
  struct Case {
    int id;
    Bytes data;
    int accepted, kind, number;
  };
  const Case cases[] = {
      {0xE0, {0x0F}, 1, kStreamKindVideo, 0},
      {0xEF, {0x0F}, 1, kStreamKindVideo, 15},
      {0xDF, {0x0F}, 1, kStreamKindAudio, 31},
      {0xBD, {0x0F, 0x8F, 1, 2, 3}, 1, kStreamKindPrivate, 15},
      {0xBD, {0x0F, 0x90, 1, 2, 3}, 0, kStreamKindPrivateOther, -1},
      {0xBD, {0x0F}, 0, kStreamKindPrivateOther, -1},
      {0xBD, {0x80, 0x80}, 0, kStreamKindPrivateOther, -1},  // MPEG-2 header form
      {0xBE, {0xFF, 0xFF}, 0, kStreamKindOther, -1},
  };
  for (const Case& c : cases) {
    PES_PACKET packet;
    packet.streamId = c.id;
    packet.data = c.data;
    int kind = -5, number = -5;
    EXPECT_EQ(classifyPacket(packet, &kind, &number), c.accepted) << std::hex << c.id;
    EXPECT_EQ(kind, c.kind);
    EXPECT_EQ(number, c.number);
  }
}

TEST(MpegSystemStream, ParsesMpeg1PacketHeaders) {
  struct Case {
    Bytes data;
    bool ok;
    int headerLength;
  };
  const Case cases[] = {
      {{0x0F, 9}, true, 1},
      {{0xFF, 0xFF, 0xFF, 0x0F}, true, 4},
      {{0x40, 0x00, 0x0F}, true, 3},
      {{0x21, 0, 1, 0, 1, 9}, true, 5},
      {{0x31, 0, 1, 0, 1, 0x11, 0, 1, 0, 1}, true, 10},
      {{0xFF, 0x60, 0x2E, 0x31, 0, 1, 0, 1, 0x11, 0, 1, 0, 1, 7, 7}, true, 13},
      {{0x80, 0x80, 0x05}, false, 0},  // MPEG-2 form
      {{0xFF, 0xFF}, false, 0},        // only stuffing
      {{0x21, 0, 1}, false, 0},        // time stamp cut short
      {{0x40}, false, 0},
      {{}, false, 0},
  };
  for (const Case& c : cases) {
    PES_PACKET packet;
    packet.streamId = 0xE0;
    packet.data = c.data;
    int length = 0;
    EXPECT_EQ(parsePacketHeader(packet, &length), c.ok);
    if (c.ok) {
      EXPECT_EQ(length, c.headerLength);
    }
    const PACKET_PAYLOAD payload = packetPayload(packet);
    EXPECT_GE(payload.length, 0);
    EXPECT_LE(payload.offset + payload.length, static_cast<int>(c.data.size()));
  }
  // A private payload shorter than its 4 sub-stream bytes is empty, not negative.
  PES_PACKET shortPrivate;
  shortPrivate.streamId = 0xBD;
  shortPrivate.data = {0x0F, 0x81, 0x00};
  EXPECT_EQ(packetPayload(shortPrivate).length, 0);
}

TEST(MpegSystemStream, UnparsableHeadersAndEmptyPacketsGiveNoPayload) {
  SystemStreamWriter s;
  s.packHeader();
  s.packet({0xE0, text("one"), {0x0F}});
  s.packet({0xE0, text("mpeg2"), {0x80, 0x80, 0x05, 0x21, 0, 1, 0, 1}});
  s.packet({0xE0, {}, {0xFF, 0x0F}});
  s.packet({0xE0, text("two"), {0x0F}});
  TempFile file(s.data());
  Handle h = open(file, kStreamKindVideo);
  ASSERT_TRUE(h);
  EXPECT_EQ(readAll(h.get()), "onetwo");
}

TEST(MpegSystemStream, PacketLengthZeroEndsTheStream) {
  SystemStreamWriter s;
  s.packHeader();
  s.packet({0xE0, text("before"), {0x0F}});
  s.raw({0, 0, 1, 0xE0, 0, 0});
  s.packet({0xE0, text("after"), {0x0F}});
  TempFile file(s.data());
  Handle h = open(file, kStreamKindVideo);
  ASSERT_TRUE(h);
  EXPECT_EQ(readAll(h.get()), "before");
}

// One packet object read after another holds only the latest packet, and a
// length past the end of the file gives the bytes that are there.
TEST(MpegSystemStream, ReusedPacketHoldsOnlyTheLatestAndACutPacketItsBytes) {
  using reelpack::SystemItem;
  SystemStreamWriter s;
  s.packHeader();
  s.packet({0xE0, text("a longer first payload"), {0x0F}});
  s.packet({0xC0, text("short"), {0x0F}});
  s.raw({0, 0, 1, 0xE0, 0xFF, 0xFF, 0x0F, 'c', 'u', 't'});
  TempFile file(s.data());
  auto reader = readerOpen(file.path());
  ASSERT_TRUE(reader);
  PES_PACKET packet;
  std::uint32_t code = 0;
  std::vector<std::pair<SystemItem, std::string>> items;
  for (SystemItem item; (item = reelpack::readSystemItem(*reader, &code, packet)) != SystemItem::End;) {
    if (item != SystemItem::StartCode) items.emplace_back(item, std::string(packet.data.begin(), packet.data.end()));
  }
  const std::string header = "\x0F";
  const std::vector<std::pair<SystemItem, std::string>> expected = {
      {SystemItem::Packet, header + "a longer first payload"},
      {SystemItem::Packet, header + "short"},
      {SystemItem::CutPacket, header + "cut"},
  };
  EXPECT_EQ(items, expected);
  EXPECT_EQ(packet.packetLength, 0xFFFF);
}

TEST(MpegSystemStream, ReadsStopAtPacketBoundariesAndTellIsTheFileOffset) {
  Bytes es(1000);
  for (std::size_t i = 0; i < es.size(); ++i) es[i] = static_cast<std::uint8_t>(i * 7 + 3);
  const MuxedStream muxed = muxVideo(es, 100);
  TempFile file(muxed.bytes);
  Handle h = open(file, kStreamKindVideo);
  ASSERT_TRUE(h);
  std::uint8_t buffer[64];
  std::int64_t esOffset = 0;
  std::vector<int> sizes;
  for (;;) {
    const std::int64_t told = streamTell(h.get());
    const int n = streamRead(h.get(), buffer, sizeof buffer);
    if (n == 0) break;
    // Between packets the reader stands at the end of the last one read.
    if (esOffset % 100 != 0) {
      EXPECT_EQ(told, fileOffsetOf(muxed, esOffset));
    }
    EXPECT_EQ(streamTell(h.get()), fileOffsetOf(muxed, esOffset + n - 1) + 1);
    sizes.push_back(n);
    for (int i = 0; i < n; ++i) ASSERT_EQ(buffer[i], es[esOffset + i]);
    esOffset += n;
  }
  EXPECT_EQ(esOffset, 1000);
  EXPECT_EQ(sizes, std::vector<int>({64, 36, 64, 36, 64, 36, 64, 36, 64, 36, 64, 36, 64, 36, 64, 36, 64, 36, 64, 36}));
}

TEST(MpegSystemStream, SeekLandsOnTheNearestPacketAtOrBeforeTheTarget) {
  Bytes es(700);
  for (std::size_t i = 0; i < es.size(); ++i) es[i] = static_cast<std::uint8_t>(i % 251);
  const MuxedStream muxed = muxVideo(es, 64);
  TempFile file(muxed.bytes);
  Handle h = open(file, kStreamKindVideo);
  ASSERT_TRUE(h);

  EXPECT_EQ(streamSeek(h.get(), 0, 0), muxed.payloadOffsets.front());
  EXPECT_EQ(streamSeek(h.get(), 0, 2), muxed.payloadOffsets.back());
  std::uint8_t byte = 0;
  ASSERT_EQ(streamRead(h.get(), &byte, 1), 1);
  EXPECT_EQ(byte, es[muxed.esOffsets.back()]);

  // whence 1 counts from the end of the packet read last: the same packet again.
  EXPECT_EQ(streamSeek(h.get(), muxed.payloadOffsets[4] + 3, 0), muxed.payloadOffsets[4]);
  EXPECT_EQ(streamSeek(h.get(), 0, 1), muxed.payloadOffsets[4]);
  EXPECT_EQ(streamSeek(h.get(), -1000000, 0), muxed.payloadOffsets[0]);

  for (std::int64_t target = 0; target < static_cast<std::int64_t>(muxed.bytes.size()) + 10; ++target) {
    std::size_t expected = 0;
    for (std::size_t k = 0; k < muxed.packetStarts.size(); ++k)
      if (muxed.packetStarts[k] <= target + 2) expected = k;
    ASSERT_EQ(streamSeek(h.get(), target, 0), muxed.payloadOffsets[expected]) << target;
    ASSERT_EQ(streamTell(h.get()), muxed.payloadOffsets[expected]);
    ASSERT_EQ(streamRead(h.get(), &byte, 1), 1);
    ASSERT_EQ(byte, es[muxed.esOffsets[expected]]);
  }
}

// Offsets beyond 4 GiB in a sparse file: the last packet is found from the end.
TEST(MpegSystemStream, HandlesFilesBeyondFourGigabytes) {
  const std::int64_t far = (std::int64_t{5} << 30) + 12345;
  SystemStreamWriter head;
  head.packHeader();
  head.packet({0xE0, text("first"), {0x0F}});
  SystemStreamWriter tail;
  tail.packHeader();
  const std::int64_t payloadInTail = tail.packet({0xE0, text("last"), {0x0F}});
  TempFile file(head.data());
  {
    std::fstream out(file.path(), std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(far);
    out.write(reinterpret_cast<const char*>(tail.data().data()), static_cast<std::streamsize>(tail.size()));
    if (!out) GTEST_SKIP() << "no sparse file support";
  }
  Handle h = open(file, kStreamKindVideo);
  ASSERT_TRUE(h);
  EXPECT_EQ(streamSeek(h.get(), 0, 2), far + payloadInTail);
  char buffer[10];
  ASSERT_EQ(streamRead(h.get(), buffer, sizeof buffer), 4);
  EXPECT_EQ(std::string(buffer, 4), "last");
  EXPECT_EQ(streamTell(h.get()), far + tail.size());
  EXPECT_EQ(streamSeek(h.get(), far + 30, 0), far + payloadInTail);
  EXPECT_EQ(streamSeek(h.get(), 0, 0), 12 + 7);
}

// Random packet structures: any result, but no crash and no hang, and a
// seek always reports where reading goes on.
TEST(MpegSystemStream, SurvivesRandomPacketStructures) {
  std::mt19937 random(5);
  for (int round = 0; round < 300; ++round) {
    SystemStreamWriter s;
    s.packHeader();
    const int pieces = 1 + static_cast<int>(random() % 30);
    for (int i = 0; i < pieces; ++i) {
      switch (random() % 6) {
        case 0:
          s.packHeader();
          break;
        case 1: {  // a packet whose length disagrees with its body
          const int id = random() % 2 ? 0xE0 : 0xBD;
          const int length = static_cast<int>(random() % 70);
          s.raw({0, 0, 1, static_cast<std::uint8_t>(id), 0, static_cast<std::uint8_t>(length)});
          s.raw(Bytes(random() % 70, static_cast<std::uint8_t>(random())));
          break;
        }
        case 2:
          s.raw({0, 0, 1, static_cast<std::uint8_t>(0xB0 + random() % 0x50)});
          break;
        default: {
          PacketSpec p;
          const int ids[] = {0xE0, 0xE1, 0xC0, 0xBD, 0xBE};
          p.streamId = ids[random() % 5];
          p.payload.resize(random() % 50);
          for (auto& b : p.payload) b = static_cast<std::uint8_t>(random() % 4 == 0 ? random() % 2 : random());
          const Bytes headers[] = {{0x0F}, {0x80, 0x80, 0x05}, {0xFF, 0x40}, {0x31, 0, 1}, {0x85}, {}};
          p.header = headers[random() % 6];
          s.packet(p);
        }
      }
    }
    TempFile file(s.data());
    Handle h = open(file, random() % 3 == 0 ? kStreamKindPrivate : kStreamKindVideo);
    if (!h) continue;
    readAll(h.get());
    const std::int64_t targets[] = {0, s.size() / 2, s.size() + 5, -7, static_cast<std::int64_t>(random() % 400)};
    for (std::int64_t target : targets) {
      for (int whence = 0; whence < 3; ++whence) {
        const std::int64_t at = streamSeek(h.get(), target, whence);
        EXPECT_EQ(at, streamTell(h.get()));
        char buffer[16];
        streamRead(h.get(), buffer, sizeof buffer);
      }
    }
  }
}

}  // namespace
