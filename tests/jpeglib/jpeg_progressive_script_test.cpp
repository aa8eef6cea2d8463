// The progressive stream's layout for every scan script: its segments in
// order (DHT before every scan but the DC refinements, scans with their
// components, band and approximation bits), one SOI, no DRI.
#include <gtest/gtest.h>

#include <sstream>

#include "jpeg_test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct ScriptCase {
  const char* name;
  int imageChannels;
  int imageColor;
  int jpegColor;
  int jpegChannels;
  int sampling;
  std::vector<std::string> segments;  // from SOF2 to EOI
};

// "DHT class/id"; "SOS components Ss-Se Ah/Al".
const std::vector<std::string> kThreePlain = {
    "SOF2 0,1,2",        "DHT 0/0",           "DHT 0/1",           "SOS 0,1,2 0-0 0/1", "DHT 1/0",
    "SOS 0 1-5 0/0",     "DHT 1/1",           "SOS 1 1-5 0/0",     "DHT 1/1",           "SOS 2 1-5 0/0",
    "SOS 0,1,2 0-0 1/0", "DHT 1/0",           "SOS 0 6-63 0/0",    "DHT 1/1",           "SOS 1 6-63 0/0",
    "DHT 1/1",           "SOS 2 6-63 0/0",    "EOI"};
const std::vector<std::string> kFourPlain = {
    "SOF2 0,1,2,3",        "DHT 0/0",         "DHT 0/1",        "SOS 0,1,2,3 0-0 0/1", "DHT 1/0",
    "SOS 0 1-5 0/0",       "DHT 1/1",         "SOS 1 1-5 0/0",  "DHT 1/1",             "SOS 2 1-5 0/0",
    "DHT 1/1",             "SOS 3 1-5 0/0",   "SOS 0,1,2,3 0-0 1/0", "DHT 1/0",       "SOS 0 6-63 0/0",
    "DHT 1/1",             "SOS 1 6-63 0/0",  "DHT 1/1",        "SOS 2 6-63 0/0",      "DHT 1/1",
    "SOS 3 6-63 0/0",      "EOI"};

const ScriptCase kScripts[] = {
    {"grey", 1, JPEG_COLOR_GRAY, JPEG_COLOR_GRAY, 1, JPEG_SAMPLING_444,
     {"SOF2 0", "DHT 0/0", "SOS 0 0-0 0/1", "DHT 1/0", "SOS 0 1-5 0/2", "DHT 1/0", "SOS 0 6-63 0/2", "DHT 1/0",
      "SOS 0 1-63 2/1", "SOS 0 0-0 1/0", "DHT 1/0", "SOS 0 1-63 1/0", "EOI"}},
    {"other_two", 2, JPEG_COLOR_OTHER, JPEG_COLOR_OTHER, 2, JPEG_SAMPLING_444,
     {"SOF2 0,1", "DHT 0/0", "DHT 0/1", "SOS 0,1 0-0 0/0", "DHT 1/0", "SOS 0 1-5 0/0", "DHT 1/1", "SOS 1 1-5 0/0",
      "DHT 1/0", "SOS 0 6-63 0/0", "DHT 1/1", "SOS 1 6-63 0/0", "EOI"}},
    {"rgb", 3, JPEG_COLOR_BGR, JPEG_COLOR_RGB, 3, JPEG_SAMPLING_444, kThreePlain},
    {"other_three", 3, JPEG_COLOR_OTHER, JPEG_COLOR_OTHER, 3, JPEG_SAMPLING_444, kThreePlain},
    {"ycbcr", 3, JPEG_COLOR_BGR, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420,
     {"SOF2 0,1,2", "DHT 0/0", "DHT 0/1", "SOS 0,1,2 0-0 0/1", "DHT 1/0", "SOS 0 1-5 0/2", "DHT 1/1",
      "SOS 2 1-63 0/1", "DHT 1/1", "SOS 1 1-63 0/1", "DHT 1/0", "SOS 0 6-63 0/2", "DHT 1/0", "SOS 0 1-63 2/1",
      "SOS 0,1,2 0-0 1/0", "DHT 1/1", "SOS 2 1-63 1/0", "DHT 1/1", "SOS 1 1-63 1/0", "DHT 1/0", "SOS 0 1-63 1/0",
      "EOI"}},
    {"rgba", 4, JPEG_COLOR_RGBA, JPEG_COLOR_RGBA, 4, JPEG_SAMPLING_444, kFourPlain},
    {"other_four", 4, JPEG_COLOR_OTHER, JPEG_COLOR_OTHER, 4, JPEG_SAMPLING_444, kFourPlain},
    {"ycbcra", 4, JPEG_COLOR_RGBA, JPEG_COLOR_YCBCRA, 4, JPEG_SAMPLING_4204,
     {"SOF2 0,1,2,3", "DHT 0/0", "DHT 0/1", "SOS 0,1,2,3 0-0 0/1", "DHT 1/0", "SOS 0 1-5 0/2", "DHT 1/1",
      "SOS 2 1-63 0/1", "DHT 1/1", "SOS 1 1-63 0/1", "DHT 1/1", "SOS 3 1-63 0/0", "DHT 1/0", "SOS 0 6-63 0/2",
      "DHT 1/0", "SOS 0 1-63 2/1", "SOS 0,1,2,3 0-0 1/0", "DHT 1/1", "SOS 2 1-63 1/0", "DHT 1/1",
      "SOS 1 1-63 1/0", "DHT 1/0", "SOS 0 1-63 1/0", "EOI"}},
};

void PrintTo(const ScriptCase& script, std::ostream* out) { *out << script.name; }

// The segments from the frame header on, in the form of the table above;
// checks each scan's table selectors on the way.
std::vector<std::string> Describe(const Bytes& stream) {
  std::vector<std::string> described;
  bool frameSeen = false;
  for (const Segment& segment : StreamSegments(stream)) {
    const std::uint8_t* bytes = stream.data() + segment.offset;
    std::ostringstream text;
    if (segment.marker == 0xC2) {
      frameSeen = true;
      text << "SOF2 ";
      for (int c = 0; c < bytes[9]; ++c) text << (c ? "," : "") << int{bytes[10 + 3 * c]};
    } else if (!frameSeen) {
      continue;
    } else if (segment.marker == 0xC4) {
      EXPECT_EQ(segment.length, 2u + (bytes[2] << 8 | bytes[3]));
      text << "DHT " << (bytes[4] >> 4) << "/" << (bytes[4] & 15);
      int values = 0;
      for (int i = 0; i < 16; ++i) values += bytes[5 + i];
      EXPECT_EQ(segment.length, 21u + values) << "one table per DHT";
    } else if (segment.marker == 0xDA) {
      const int count = bytes[4];
      text << "SOS ";
      for (int i = 0; i < count; ++i) {
        const int id = bytes[5 + 2 * i];
        text << (i ? "," : "") << id;
        EXPECT_EQ(bytes[6 + 2 * i], id == 0 ? 0x00 : 0x11) << "selectors of component " << id;
      }
      const std::uint8_t* tail = bytes + 5 + 2 * count;
      text << " " << int{tail[0]} << "-" << int{tail[1]} << " " << (tail[2] >> 4) << "/" << (tail[2] & 15);
    } else if (segment.marker == 0xD9) {
      text << "EOI";
    } else {
      text << "marker " << std::hex << segment.marker;
    }
    described.push_back(text.str());
  }
  return described;
}

class ProgressiveScript : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ProgressiveScript, SegmentsFollowTheScript) {
  const ScriptCase& script = GetParam();
  const TestPicture picture = MakePicture(40, 24, script.imageChannels, 3, 1);
  EncodeRequest request;
  request.picture = &picture;
  request.imageColor = script.imageColor;
  request.jpegColor = script.jpegColor;
  request.jpegChannels = script.jpegChannels;
  request.jpegSampling = script.sampling;
  request.progressive = true;
  request.restartInterval = 2;  // sequential images only
  const EncodeResult result = Encode(request);
  ASSERT_EQ(result.status, JPEG_SUCCESS);

  EXPECT_EQ(Describe(result.bytes), script.segments);
  int soi = 0, dri = 0, rst = 0;
  for (const Segment& segment : StreamSegments(result.bytes)) {
    soi += segment.marker == 0xD8;
    dri += segment.marker == 0xDD;
    rst += segment.marker >= 0xD0 && segment.marker <= 0xD7;
  }
  EXPECT_EQ(soi, 1);
  EXPECT_EQ(dri, 0);
  EXPECT_EQ(rst, 0);
  EXPECT_EQ(result.bytes.back(), 0xD9);
}

INSTANTIATE_TEST_SUITE_P(Scripts, ProgressiveScript, ::testing::ValuesIn(kScripts),
                         [](const ::testing::TestParamInfo<ScriptCase>& info) { return info.param.name; });

TEST(ProgressiveScriptChoice, PairsWithoutAScriptAreRefused) {
  const TestPicture picture = MakePicture(16, 16, 1, 3, 0);
  EncodeRequest request;
  request.picture = &picture;
  request.imageColor = JPEG_COLOR_OTHER;
  request.jpegColor = JPEG_COLOR_OTHER;
  request.jpegChannels = 1;
  request.jpegSampling = JPEG_SAMPLING_444;
  request.progressive = true;
  EXPECT_EQ(Encode(request).status, JPEG_INVALID_PROPERTIES);
  request.progressive = false;  // the pair itself is a valid sequential image
  EXPECT_EQ(Encode(request).status, JPEG_SUCCESS);
}

}  // namespace
