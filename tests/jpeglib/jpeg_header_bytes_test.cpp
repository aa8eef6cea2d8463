// Marker segments as bytes: the converter's header against hand-checked
// bytes, the comment rules and the restart markers.
#include <gtest/gtest.h>

#include <cstring>

#include "jpeg_test_support.h"
#include "jpeglib/jpeg_header.h"
#include "jpeglib/jpeg_markers.h"
#include "jpeglib/jpeg_working_state.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Slice(const Bytes& stream, const Segment& segment) {
  return Bytes(stream.begin() + static_cast<std::ptrdiff_t>(segment.offset),
               stream.begin() + static_cast<std::ptrdiff_t>(segment.offset + segment.length));
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(HeaderBytes, ConverterHeaderMatchesHandCheckedBytes) {
  const TestPicture picture = MakePicture(16, 16, 3, 1, 0);
  EncodeRequest request;
  request.picture = &picture;
  const EncodeResult result = Encode(request);
  ASSERT_EQ(result.status, JPEG_SUCCESS);
  const auto segments = HeaderSegments(result.bytes);
  ASSERT_EQ(segments.size(), 8u);

  const int expectedMarkers[] = {0xD8, 0xE0, 0xFE, 0xDB, 0xDB, 0xC4, 0xC0, 0xDA};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(segments[i].marker, expectedMarkers[i]) << "segment " << i;
  EXPECT_EQ(Slice(result.bytes, segments[0]), (Bytes{0xFF, 0xD8}));
  EXPECT_EQ(Slice(result.bytes, segments[1]),
            (Bytes{0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0}));

  const char banner[] = "Reelpack JPEG Library, version [2.10.17.44]";
  Bytes comment{0xFF, 0xFE, 0, 46};
  comment.insert(comment.end(), banner, banner + sizeof banner);  // with its NUL
  EXPECT_EQ(comment.size(), 48u);
  EXPECT_EQ(Slice(result.bytes, segments[2]), comment);

  const Bytes luma{8,  6,  6,  7,  6,  5,  8,  7,  7,  7,  9,  9,  8,  10, 12, 20, 13, 12, 11, 11, 12, 25,
                   18, 19, 15, 20, 29, 26, 31, 30, 29, 26, 28, 28, 32, 36, 46, 39, 32, 34, 44, 35, 28, 28,
                   40, 55, 41, 44, 48, 49, 52, 52, 52, 31, 39, 57, 61, 56, 50, 60, 46, 51, 52, 50};
  Bytes chroma{9, 9, 9, 12, 11, 12, 24, 13, 13, 24, 50, 33, 28, 33, 50, 50};
  chroma.resize(64, 50);
  EXPECT_EQ(Slice(result.bytes, segments[3]), Concat({{0xFF, 0xDB, 0, 67, 0x00}, luma}));
  EXPECT_EQ(Slice(result.bytes, segments[4]), Concat({{0xFF, 0xDB, 0, 67, 0x01}, chroma}));

  const Bytes dht = Slice(result.bytes, segments[5]);
  ASSERT_EQ(dht.size(), 420u);
  EXPECT_EQ(dht[2] << 8 | dht[3], 418);
  EXPECT_EQ((Bytes(dht.begin() + 4, dht.begin() + 21)),
            (Bytes{0x00, 0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(dht[4 + 17 + 12], 0x10);
  EXPECT_EQ(dht[4 + 17 + 12 + 17 + 162], 0x01);
  EXPECT_EQ(dht[4 + 17 + 12 + 17 + 162 + 17 + 12], 0x11);

  EXPECT_EQ(Slice(result.bytes, segments[6]),
            (Bytes{0xFF, 0xC0, 0, 17, 8, 0, 16, 0, 16, 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1}));
  EXPECT_EQ(Slice(result.bytes, segments[7]),
            (Bytes{0xFF, 0xDA, 0, 12, 3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0}));
  EXPECT_EQ(result.bytes[result.bytes.size() - 2], 0xFF);
  EXPECT_EQ(result.bytes.back(), 0xD9);
}

EncodeRequest GreyRequest(const TestPicture& picture) {
  EncodeRequest request;
  request.picture = &picture;
  request.imageColor = JPEG_COLOR_GRAY;
  request.jpegColor = JPEG_COLOR_GRAY;
  request.jpegChannels = 1;
  request.jpegSampling = JPEG_SAMPLING_444;
  return request;
}

TEST(HeaderBytes, SingleComponentUsesIdentifierZeroAndTablesZero) {
  const TestPicture picture = MakePicture(9, 9, 1, 2, 0);
  const EncodeResult result = Encode(GreyRequest(picture));
  ASSERT_EQ(result.status, JPEG_SUCCESS);
  const auto segments = HeaderSegments(result.bytes);
  ASSERT_GE(segments.size(), 2u);
  const Segment& sof = segments[segments.size() - 2];
  const Segment& sos = segments.back();
  EXPECT_EQ(Slice(result.bytes, sof), (Bytes{0xFF, 0xC0, 0, 11, 8, 0, 9, 0, 9, 1, 0, 0x11, 0}));
  EXPECT_EQ(Slice(result.bytes, sos), (Bytes{0xFF, 0xDA, 0, 8, 1, 0, 0x00, 0, 63, 0}));
}

// A working state writing into a plain memory buffer, for the writers alone.
struct WriterFixture {
  JPEG_PROPERTIES props{};
  Bytes buffer = Bytes(200000, 0);
  WriterFixture() {
    jpegInit(&props);
    props.work->table.openOutput(props.work->output, buffer.data(), buffer.size());
  }
  ~WriterFixture() { jpegFree(&props); }
  JpegWorkingState& work() { return *props.work; }
  Bytes written() const { return Bytes(buffer.begin(), buffer.begin() + props.work->output.bytesWritten); }
};

TEST(HeaderBytes, CallerCommentIsCutAndEmptyCommentWritesNothing) {
  const Bytes text(70000, 'c');
  WriterFixture cut;
  cut.work().comment = text.data();
  cut.work().commentLength = 65535;  // the widest the field can say
  ASSERT_EQ(writeComment(cut.work()), JPEG_SUCCESS);
  const Bytes out = cut.written();
  ASSERT_EQ(out.size(), 65531u + 4);
  EXPECT_EQ(out[2] << 8 | out[3], 65533);
  EXPECT_EQ(cut.work().commentLength, 65531);

  WriterFixture empty;
  empty.work().comment = text.data();
  empty.work().commentLength = 0;
  EXPECT_EQ(writeComment(empty.work()), JPEG_SUCCESS);
  EXPECT_TRUE(empty.written().empty());
}

TEST(HeaderBytes, RestartMarkerNumbers) {
  WriterFixture fixture;
  EXPECT_EQ(writeRst(7, fixture.work()), JPEG_SUCCESS);
  EXPECT_EQ(writeRst(8, fixture.work()), JPEG_BAD_RST_MARKER);
  EXPECT_EQ(fixture.written(), (Bytes{0xFF, 0xD7}));
}

TEST(HeaderBytes, OversizedHuffmanTableIsRefusedAfterEarlierTables) {
  WriterFixture fixture;
  JpegWorkingState& work = fixture.work();
  jpegInstallDefaultTables(work);
  std::uint8_t counts[16] = {};
  counts[15] = 255;
  counts[14] = 2;  // 257 values
  std::uint8_t values[257] = {};
  work.huffman[1] = {counts, values, 1, 0};
  EXPECT_EQ(writeDhtAll(work), JPEG_BAD_HUFFMAN_TABLE);
  // Marker, length and the first table are out; nothing of the refused one.
  EXPECT_EQ(fixture.written().size(), 4u + 17 + 12);
}

TEST(HeaderBytes, ProgressiveFrameScanAndTableSegments) {
  WriterFixture fixture;
  JpegWorkingState& work = fixture.work();
  work.frame.width = 17;
  work.frame.height = 9;
  work.frame.componentCount = 3;
  work.frame.components[0] = {2, 2, 0};
  work.frame.components[1] = {1, 1, 1};
  work.frame.components[2] = {1, 1, 1};
  ASSERT_EQ(writeSof2(work), JPEG_SUCCESS);

  JPEG_SCAN dc;  // every component, DC only, first pass at Al 1
  dc.componentCount = 3;
  dc.spectralStart = dc.spectralEnd = 0;
  dc.approxLow = 1;
  JPEG_SCAN ac;  // component 2 alone, refinement 1-63 from Ah 2 to Al 1
  ac.componentCount = 1;
  ac.component[0] = 2;
  ac.spectralStart = 1;
  ac.approxHigh = 2;
  ac.approxLow = 1;
  const std::uint8_t dcSelectors[4] = {0, 1, 1, 1}, acSelectors[4] = {0, 1, 2, 3};
  ASSERT_EQ(writeSosProgressive(work, dc, dcSelectors, acSelectors), JPEG_SUCCESS);
  ASSERT_EQ(writeSosProgressive(work, ac, dcSelectors, acSelectors), JPEG_SUCCESS);

  std::uint8_t counts[16] = {0, 2, 1};
  const std::uint8_t values[] = {0x00, 0x11, 0x42};
  ASSERT_EQ(writeDhtTable(work, counts, values, 1, 1), JPEG_SUCCESS);

  EXPECT_EQ(fixture.written(),
            Concat({{0xFF, 0xC2, 0, 17, 8, 0, 9, 0, 17, 3, 0, 0x22, 0, 1, 0x11, 1, 2, 0x11, 1},
                    {0xFF, 0xDA, 0, 12, 3, 0, 0x00, 1, 0x11, 2, 0x12, 0, 0, 0x01},
                    {0xFF, 0xDA, 0, 8, 1, 2, 0x12, 1, 63, 0x21},
                    {0xFF, 0xC4, 0, 22, 0x11, 0, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x11, 0x42}}));
}

TEST(HeaderBytes, OneTableSegmentRefusesMoreThan256Values) {
  WriterFixture fixture;
  std::uint8_t counts[16] = {};
  counts[15] = 255;
  counts[14] = 2;  // 257 values
  const std::uint8_t values[257] = {};
  EXPECT_EQ(writeDhtTable(fixture.work(), counts, values, 1, 0), JPEG_BAD_HUFFMAN_TABLE);
  EXPECT_TRUE(fixture.written().empty());
  counts[14] = 1;  // 256 values
  EXPECT_EQ(writeDhtTable(fixture.work(), counts, values, 1, 0), JPEG_SUCCESS);
  EXPECT_EQ(fixture.written().size(), 4u + 17 + 256);
}

// Positions of the markers inside the entropy-coded data.
std::vector<int> DataMarkers(const Bytes& stream) {
  const auto segments = HeaderSegments(stream);
  std::vector<int> markers;
  for (std::size_t i = segments.back().offset + segments.back().length; i + 1 < stream.size(); ++i) {
    if (stream[i] == 0xFF && stream[i + 1] != 0x00) markers.push_back(stream[i + 1]);
  }
  return markers;
}

TEST(HeaderBytes, RestartMarkersCycleAndNeverFollowTheLastMcu) {
  struct Case {
    int width;
    int interval;
    std::vector<int> markers;
  };
  const Case cases[] = {
      {80, 4, {0xD0, 0xD1, 0xD9}},
      {160, 1, {0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD0, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6,
                0xD7, 0xD0, 0xD1, 0xD2, 0xD9}},
      {80, 5, {0xD0, 0xD9}},
  };
  for (const Case& c : cases) {
    const TestPicture picture = MakePicture(c.width, 8, 1, 3, 0);
    EncodeRequest request = GreyRequest(picture);
    request.restartInterval = c.interval;
    const EncodeResult result = Encode(request);
    ASSERT_EQ(result.status, JPEG_SUCCESS);
    EXPECT_EQ(DataMarkers(result.bytes), c.markers) << c.width << " / " << c.interval;
    // DRI carries the interval.
    bool sawDri = false;
    for (const Segment& segment : HeaderSegments(result.bytes)) {
      if (segment.marker != 0xDD) continue;
      sawDri = true;
      EXPECT_EQ(result.bytes[segment.offset + 4] << 8 | result.bytes[segment.offset + 5], c.interval);
    }
    EXPECT_TRUE(sawDri);
    const Decoded decoded = DecodeWithReference(result.bytes);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.messages, "");
    EXPECT_GT(Psnr(decoded.samples, RgbSamples(picture, JPEG_COLOR_GRAY)), 30.0);
  }
}

}  // namespace
