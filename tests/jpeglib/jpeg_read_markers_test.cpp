// Parameter, table and thumbnail reads through jpegRead: the marker loop,
// the segment parsers' refusals and file input matching memory input.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "jpeg_test_support.h"
#include "support/scoped_temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Segment(std::uint8_t code, const Bytes& payload) {
  Bytes out{0xFF, code, static_cast<std::uint8_t>((payload.size() + 2) >> 8),
            static_cast<std::uint8_t>(payload.size() + 2)};
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

const Bytes kSoi{0xFF, 0xD8};
const Bytes kEoi{0xFF, 0xD9};

Bytes Dqt(std::uint8_t spec = 0x00) {
  Bytes payload{spec};
  payload.resize(65, 1);
  return Segment(0xDB, payload);
}

// One DC and one AC table, both id 0, each a single 1-bit code.
Bytes Dht() {
  Bytes payload;
  for (int tableClass = 0; tableClass < 2; ++tableClass) {
    payload.push_back(static_cast<std::uint8_t>(tableClass << 4));
    Bytes counts(16, 0);
    counts[0] = 1;
    payload.insert(payload.end(), counts.begin(), counts.end());
    payload.push_back(0);
  }
  return Segment(0xC4, payload);
}

Bytes Sof(std::uint8_t code, int precision, int width, int height, const Bytes& components) {
  Bytes payload{static_cast<std::uint8_t>(precision), static_cast<std::uint8_t>(height >> 8),
                static_cast<std::uint8_t>(height), static_cast<std::uint8_t>(width >> 8),
                static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(components.size() / 3)};
  payload.insert(payload.end(), components.begin(), components.end());
  return Segment(code, payload);
}

Bytes Grey(std::uint8_t code = 0xC0) { return Sof(code, 8, 17, 9, {1, 0x11, 0}); }
Bytes Sos(const Bytes& selectors) {
  Bytes payload{static_cast<std::uint8_t>(selectors.size() / 2)};
  payload.insert(payload.end(), selectors.begin(), selectors.end());
  payload.insert(payload.end(), {0, 63, 0});
  return Segment(0xDA, payload);
}

struct Reader {
  JPEG_PROPERTIES props{};
  Reader() { jpegInit(&props); }
  ~Reader() { jpegFree(&props); }
  JPEG_STATUS ReadBuffer(Bytes& stream, int mode = JPEG_READ_INFO_BUFFER) {
    props.jpegBuffer = stream.data();
    props.jpegBufferSize = static_cast<std::uint32_t>(stream.size());
    return jpegRead(&props, mode);
  }
};

TEST(JpegReadMarkers, RefusesEachFaultWithItsStatus) {
  const Bytes tables = Join({Dqt(), Dht()});
  struct Case {
    const char* name;
    Bytes stream;
    JPEG_STATUS status;
  };
  Bytes longDqt{0x00};
  longDqt.resize(517, 1);
  Bytes wideCut{0x10};
  wideCut.resize(65, 1);
  Bytes pastCounts{0x00};
  pastCounts.resize(17, 0);
  pastCounts[1] = 3;  // three values announced, none follow
  Bytes classTwo(18, 0);
  classTwo[0] = 0x20;
  classTwo[1] = 1;
  Bytes overfull{0x00};
  overfull.resize(17, 0);
  overfull[1] = 3;  // three 1-bit codes
  overfull.insert(overfull.end(), {0, 1, 2});
  const std::vector<Case> cases = {
      {"no SOI", Join({Grey(), kEoi}), JPEG_NOT_JPEG},
      {"lossless frame", Join({kSoi, Grey(0xC3), kEoi}), JPEG_UNSUPPORTED_FRAME},
      {"arithmetic frame", Join({kSoi, Grey(0xC9), kEoi}), JPEG_UNSUPPORTED_FRAME},
      {"scan before frame", Join({kSoi, tables, Sos({1, 0}), kEoi}), JPEG_NO_FRAME},
      {"12-bit frame", Join({kSoi, Sof(0xC0, 12, 8, 8, {1, 0x11, 0}), kEoi}), JPEG_UNSUPPORTED_FRAME},
      {"height 0", Join({kSoi, Sof(0xC0, 8, 8, 0, {1, 0x11, 0}), kEoi}), JPEG_ERROR_DNL},
      {"width 0", Join({kSoi, Sof(0xC0, 8, 0, 8, {1, 0x11, 0}), kEoi}), JPEG_ERROR_SOF},
      {"five components",
       Join({kSoi, Sof(0xC0, 8, 8, 8, {1, 0x11, 0, 2, 0x11, 0, 3, 0x11, 0, 4, 0x11, 0, 5, 0x11, 0}), kEoi}),
       JPEG_ERROR_COMP},
      {"no components", Join({kSoi, Sof(0xC0, 8, 8, 8, {}), kEoi}), JPEG_ERROR_COMP},
      {"factor 0", Join({kSoi, Sof(0xC0, 8, 8, 8, {1, 0x01, 0}), kEoi}), JPEG_ERROR_SOF},
      {"factor 5", Join({kSoi, Sof(0xC0, 8, 8, 8, {1, 0x51, 0}), kEoi}), JPEG_ERROR_SOF},
      {"MCU of 12 blocks", Join({kSoi, Sof(0xC0, 8, 8, 8, {1, 0x44, 0, 2, 0x11, 0}), kEoi}), JPEG_ERROR_SOF},
      {"ratio not whole", Join({kSoi, Sof(0xC0, 8, 8, 8, {1, 0x31, 0, 2, 0x21, 0}), kEoi}), JPEG_NOT_SUPPORTED},
      {"second frame", Join({kSoi, Grey(), Grey(0xC2), kEoi}), JPEG_MULTIPLE_FRAMES},
      {"DQT id 4", Join({kSoi, Dqt(0x04), Grey(), kEoi}), JPEG_BAD_QUANT_TABLE},
      {"DQT of 517 bytes", Join({kSoi, Segment(0xDB, longDqt), Grey(), kEoi}), JPEG_DATA_ERROR},
      {"DQT 16-bit table cut", Join({kSoi, Segment(0xDB, wideCut), Grey(), kEoi}), JPEG_DATA_ERROR},
      {"DHT class 2", Join({kSoi, Segment(0xC4, classTwo), Grey(), kEoi}),
       JPEG_BAD_HUFFMAN_TABLE},
      {"DHT counts past the segment", Join({kSoi, Segment(0xC4, pastCounts), Grey(), kEoi}), JPEG_BAD_HUFFMAN_TABLE},
      {"DHT over-full code", Join({kSoi, Segment(0xC4, overfull), Grey(), kEoi}), JPEG_BAD_HUFFMAN_TABLE},
      {"segment cut by the data's end", Join({kSoi, Bytes{0xFF, 0xDB, 0x00, 0x43, 0x00, 1, 1}}), JPEG_DATA_ERROR},
      {"length below 2", Join({kSoi, Bytes{0xFF, 0xDB, 0x00, 0x01}, Grey(), kEoi}), JPEG_DATA_ERROR},
      {"scan of unknown component", Join({kSoi, tables, Grey(), Sos({7, 0})}), JPEG_DATA_ERROR},
      {"scan table id 4", Join({kSoi, tables, Grey(), Sos({1, 0x40})}), JPEG_DATA_ERROR},
      {"scan component twice", Join({kSoi, tables, Sof(0xC0, 8, 8, 8, {1, 0x11, 0, 2, 0x11, 0}), Sos({1, 0, 1, 0})}),
       JPEG_DATA_ERROR},
      {"scan without Huffman tables", Join({kSoi, Dqt(), Grey(), Sos({1, 0})}), JPEG_NO_HUFFMAN_TABLE},
      {"scan without quantisation table", Join({kSoi, Dht(), Grey(), Sos({1, 0})}), JPEG_NO_QUANT_TABLE},
      {"EOI before a frame, then no SOI", Join({kSoi, kEoi, Grey(), kEoi}), JPEG_NO_IMAGE},
      {"data end before a frame", Join({kSoi, tables}), JPEG_NO_IMAGE},
  };
  for (Case c : cases) {
    Reader reader;
    EXPECT_EQ(reader.ReadBuffer(c.stream), c.status) << c.name;
  }
}

TEST(JpegReadMarkers, AcceptsWellFormedMarkerSequences) {
  const Bytes tables = Join({Dqt(), Dht()});
  Bytes app14Short = Segment(0xEE, Bytes(11, 'A'));
  Bytes progressiveAcLater =
      Join({kSoi, Dqt(), Dht(), Sof(0xC2, 8, 17, 9, {1, 0x11, 0}), Segment(0xDA, {1, 1, 0x00, 0, 0, 0x01})});
  const std::vector<std::pair<const char*, Bytes>> cases = {
      {"fill bytes and stuffed zeros", Join({kSoi, Bytes{0x12, 0xFF, 0x00, 0xFF, 0xFF, 0xFF}, tables, Grey(), kEoi})},
      {"restart markers between segments", Join({kSoi, Bytes{0xFF, 0xD0}, tables, Grey(), Sos({1, 0})})},
      {"short APP14 passed over", Join({kSoi, app14Short, Grey(), kEoi})},
      {"frame then data end", Join({kSoi, Grey()})},
      {"EOI, SOI, then a frame", Join({kSoi, kEoi, kSoi, Grey(), kEoi})},
      {"progressive DC scan needs no AC table", progressiveAcLater},
  };
  for (auto [name, stream] : cases) {
    Reader reader;
    EXPECT_EQ(reader.ReadBuffer(stream), JPEG_SUCCESS) << name;
    EXPECT_EQ(reader.props.jpegWidth, 17) << name;
    EXPECT_EQ(reader.props.jpegHeight, 9) << name;
  }
}

TEST(JpegReadMarkers, ReportsTheParametersOfEncodedStreams) {
  const TestPicture picture = MakePicture(41, 23, 3, 5);
  struct Case {
    int jpegColor, jpegChannels, sampling;
    bool progressive;
  };
  for (Case c : {Case{JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420, false}, Case{JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_422, false},
                 Case{JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_444, true}, Case{JPEG_COLOR_GRAY, 1, JPEG_SAMPLING_444, false}}) {
    EncodeRequest request;
    request.picture = &picture;
    request.jpegColor = c.jpegColor;
    request.jpegChannels = c.jpegChannels;
    request.jpegSampling = c.sampling;
    request.progressive = c.progressive;
    EncodeResult encoded = Encode(request);
    ASSERT_EQ(encoded.status, JPEG_SUCCESS);
    Reader reader;
    ASSERT_EQ(reader.ReadBuffer(encoded.bytes), JPEG_SUCCESS);
    EXPECT_EQ(reader.props.jpegWidth, 41);
    EXPECT_EQ(reader.props.jpegHeight, 23);
    EXPECT_EQ(reader.props.jpegChannels, c.jpegChannels);
    EXPECT_EQ(reader.props.jpegColor, c.jpegColor);
    EXPECT_EQ(reader.props.jpegSampling, c.sampling);
    // The table read stops at the frame, ahead of it.
    Reader tables;
    ASSERT_EQ(tables.ReadBuffer(encoded.bytes, JPEG_READ_HEADER_BUFFER), JPEG_SUCCESS);
    EXPECT_EQ(tables.props.work->read.input.position[0], 0xFF);
    EXPECT_EQ(tables.props.work->read.input.position[1] & 0xF0, 0xC0);
  }
}

TEST(JpegReadMarkers, CommentLongerThanTheBufferIsCutAndReported) {
  Bytes stream = Join({kSoi, Segment(0xFE, {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'}), Grey(), kEoi});
  Reader reader;
  std::uint8_t buffer[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
  reader.props.work->read.commentBuffer = buffer;
  reader.props.work->read.commentSize = 4;
  EXPECT_EQ(reader.ReadBuffer(stream), JPEG_COMMENT_ACCESS_ERROR);
  EXPECT_EQ(reader.props.work->read.commentSize, 10);
  EXPECT_EQ(std::string(buffer, buffer + 6), "0123xx");
}

Bytes JfifWithThumbnail(int width, int height) {
  Bytes payload{'J', 'F', 'I', 'F', 0, 1, 2, 0, 0, 1, 0, 1, static_cast<std::uint8_t>(width),
                static_cast<std::uint8_t>(height)};
  for (int n = 0; n < width * height; ++n) payload.insert(payload.end(), {10, 20, static_cast<std::uint8_t>(n)});
  return Join({kSoi, Segment(0xE0, payload), Grey(), kEoi});
}

TEST(JpegReadMarkers, ThumbnailIsWrittenInsideThePicture) {
  Bytes stream = JfifWithThumbnail(2, 2);
  struct Case {
    int width, height, channels;
    JPEG_STATUS status;
  };
  for (Case c : {Case{3, 3, 3, JPEG_SUCCESS}, Case{1, 3, 3, JPEG_THUMBNAIL_TOO_SMALL},
                 Case{3, 1, 3, JPEG_THUMBNAIL_TOO_SMALL}}) {
    Reader reader;
    const std::size_t size = static_cast<std::size_t>(c.width * c.height * c.channels);
    std::vector<std::uint8_t> pixels(size + 16, 0xAA);
    reader.props.imagePixels = pixels.data();
    reader.props.imageWidth = c.width;
    reader.props.imageHeight = c.height;
    reader.props.imageChannels = c.channels;
    reader.props.imageColor = JPEG_COLOR_BGR;
    EXPECT_EQ(reader.ReadBuffer(stream, JPEG_READ_THUMBNAIL_BUFFER), c.status) << c.width << "x" << c.height;
    for (std::size_t i = size; i < pixels.size(); ++i) ASSERT_EQ(pixels[i], 0xAA);
    if (c.status == JPEG_SUCCESS) {
      EXPECT_EQ(reader.props.thumbWidth, 2);
      EXPECT_EQ(reader.props.thumbHeight, 2);
      // Second row, second pixel: blue, green, red.
      const std::uint8_t* pixel = pixels.data() + 9 + 3;
      EXPECT_EQ(pixel[0], 3);
      EXPECT_EQ(pixel[1], 20);
      EXPECT_EQ(pixel[2], 10);
      EXPECT_EQ(pixels[6 + 0], 0xAA);  // the third column stays
    }
  }
}

TEST(JpegReadMarkers, FileInputMatchesMemoryInputOnEveryTruncation) {
  const TestPicture picture = MakePicture(33, 17, 3, 9);
  EncodeRequest request;
  request.picture = &picture;
  EncodeResult encoded = Encode(request);
  ASSERT_EQ(encoded.status, JPEG_SUCCESS);
  ScopedTempDir dir("jpeg_read");
  const std::string path = dir.HostPath("cut.jpg");
  for (std::size_t length = 1; length <= 700 && length <= encoded.bytes.size(); length += 7) {
    Bytes cut(encoded.bytes.begin(), encoded.bytes.begin() + static_cast<std::ptrdiff_t>(length));
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(cut.data(), 1, cut.size(), file);
    std::fclose(file);
    Reader fromMemory;
    const JPEG_STATUS memoryStatus = fromMemory.ReadBuffer(cut);
    Reader fromFile;
    const std::string name = dir.HostPath("cut.jpg");
    fromFile.props.jpegFileName = name.c_str();
    EXPECT_EQ(jpegRead(&fromFile.props, JPEG_READ_INFO_FILE), memoryStatus) << length;
    EXPECT_EQ(fromFile.props.jpegWidth, fromMemory.props.jpegWidth) << length;
  }
}

}  // namespace
