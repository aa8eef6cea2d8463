// Test-side writers: MPEG video headers bit by bit, and MPEG-1 system
// streams of pack headers and packets around chosen payloads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/scoped_temp_dir.h"

using Bytes = std::vector<std::uint8_t>;

class BitWriter {
 public:
  void put(std::uint32_t value, int bits);
  void startCode(std::uint32_t code);  // byte-aligns first
  void align();
  void bytes(const Bytes& data);
  const Bytes& data() const { return data_; }

 private:
  Bytes data_;
  int bitsInLast_ = 8;
};

struct TimeCode {
  int drop = 0, hours = 0, minutes = 0, seconds = 0, pictures = 0;
};

// Header-only video stream pieces.
void writeSequenceHeader(BitWriter& w, int width, int height, int rateCode, const std::uint8_t* intra = nullptr,
                         const std::uint8_t* nonIntra = nullptr);
void writeSequenceExtension(BitWriter& w, int progressive, int widthExtension = 0, int heightExtension = 0,
                            int rateN = 0, int rateD = 0);
void writeGopHeader(BitWriter& w, TimeCode timeCode, int closed, int brokenLink);
void writePictureHeader(BitWriter& w, int type, int temporalReference = 0);
void writePictureCodingExtension(BitWriter& w, int structure, int topFieldFirst, int repeatFirstField);
// A slice start code with a few bytes of data, standing in for a picture's body.
void writeSlice(BitWriter& w, int bodyBytes = 8);

// Describes a GOP for writeHeaderOnlyStream as picture types in coding
// order, e.g. "IBBPBBP".
struct GopSpec {
  std::string pictures;
  TimeCode timeCode;
  int closed = 0;
  int brokenLink = 0;
};
// A sequence header before every GOP; ends with the sequence end code when asked.
Bytes writeHeaderOnlyStream(const std::vector<GopSpec>& gops, int rateCode, bool terminated, int width = 64,
                            int height = 48);

// System stream writer.
struct PacketSpec {
  int streamId = 0xE0;
  Bytes payload;
  Bytes header = {0x0F};  // the packet header bytes before the payload
};
class SystemStreamWriter {
 public:
  void packHeader();
  void systemHeader();
  // Returns the file offset of the first payload byte.
  std::int64_t packet(const PacketSpec& spec);
  void raw(const Bytes& bytes);
  void endCode();
  const Bytes& data() const { return data_; }
  std::int64_t size() const { return static_cast<std::int64_t>(data_.size()); }

 private:
  Bytes data_;
};

// Splits an elementary stream into packets of the given payload size, a pack
// header before each, with an audio packet after every video packet.
struct MuxedStream {
  Bytes bytes;
  std::vector<std::int64_t> packetStarts;    // file offset of each video packet's start code
  std::vector<std::int64_t> payloadOffsets;  // and of its first payload byte
  std::vector<std::int64_t> esOffsets;       // where its payload lies in the elementary stream
};
MuxedStream muxVideo(const Bytes& es, int payloadSize);
// File offset of an elementary-stream byte.
std::int64_t fileOffsetOf(const MuxedStream& muxed, std::int64_t esOffset);

// A file in a temporary folder of its own; removed when the object goes.
class TempFile {
 public:
  explicit TempFile(const Bytes& contents) : path_(dir_.WriteFile("stream.mpg", contents)) {}
  const char* path() const { return path_.c_str(); }

 private:
  ScopedTempDir dir_{"mpeg_stream_"};
  std::string path_;
};
