// Status texts, the version record, jpegInit defaults and the validation
// rules of the public record.
#include <gtest/gtest.h>

#include <cstring>

#include "jpeglib/jpeg_working_state.h"

namespace {

TEST(PublicApi, StatusTexts) {
  EXPECT_STREQ(jpegStatusText(0), "Success");
  EXPECT_STREQ(jpegStatusText(2), "ROI Success");
  EXPECT_STREQ(jpegStatusText(-20), "Multiply frame");
  EXPECT_STREQ(jpegStatusText(-28), "Output buffer too small");
  EXPECT_STREQ(jpegStatusText(-30), "Error access to jpeg_comment buffer");
  EXPECT_EQ(std::strlen(jpegStatusText(-30)), 35u);
  EXPECT_STREQ(jpegStatusText(-99), "Reserved");
  for (int unknown : {3, -31, -98, -100}) EXPECT_STREQ(jpegStatusText(unknown), "Unknown error code");
}

TEST(PublicApi, VersionRecord) {
  const JPEG_VERSION* version = jpegGetVersion();
  EXPECT_EQ(version->major, 2);
  EXPECT_EQ(version->minor, 10);
  EXPECT_EQ(version->build, 17);
  EXPECT_STREQ(version->libraryName, "rpjpeg.lib");
  EXPECT_STREQ(version->versionText, "2.10.17");
  EXPECT_STREQ(version->internalVersion, "[2.10.17.44]");
  EXPECT_STREQ(version->buildDate, "Mar 14 2003");
  EXPECT_STREQ(version->callingConvention, "Microsoft*");
}

TEST(PublicApi, InitDefaultsAndRepeatedFree) {
  JPEG_PROPERTIES props{};
  ASSERT_EQ(jpegInit(&props), JPEG_SUCCESS);
  EXPECT_EQ(props.imageChannels, 3);
  EXPECT_EQ(props.imageColor, JPEG_COLOR_BGR);
  EXPECT_EQ(props.jpegChannels, 3);
  EXPECT_EQ(props.jpegColor, JPEG_COLOR_YCBCR);
  EXPECT_EQ(props.jpegSampling, JPEG_SAMPLING_420);
  EXPECT_EQ(props.convertColor, 1);
  EXPECT_EQ(props.resample, 1);
  EXPECT_EQ(props.quality, 75);
  EXPECT_EQ(props.work->mode, -1);
  EXPECT_EQ(props.work->dctMethod, 1);
  EXPECT_EQ(props.work->jfifVersion, 0x0101);
  EXPECT_EQ(props.work->adobeVersion, 100);
  EXPECT_EQ(jpegFree(&props), JPEG_SUCCESS);
  EXPECT_EQ(jpegFree(&props), JPEG_SUCCESS);  // nothing left to release
  // A record may be initialised again after jpegFree, or twice in a row.
  ASSERT_EQ(jpegInit(&props), JPEG_SUCCESS);
  ASSERT_EQ(jpegInit(&props), JPEG_SUCCESS);
  EXPECT_EQ(jpegFree(&props), JPEG_SUCCESS);
}

// A valid write record (BGR 3 channels to YCbCr), to change per case.
JPEG_PROPERTIES ValidRecord(JpegWorkingState& work) {
  static std::uint8_t pixels[64];
  static std::uint8_t buffer[64];
  JPEG_PROPERTIES props{};
  props.imagePixels = pixels;
  props.imageWidth = props.jpegWidth = 4;
  props.imageHeight = props.jpegHeight = 4;
  props.imageChannels = 3;
  props.imageColor = JPEG_COLOR_BGR;
  props.jpegBuffer = buffer;
  props.jpegBufferSize = sizeof buffer;
  props.jpegFileName = "out.jpg";
  props.jpegChannels = 3;
  props.jpegColor = JPEG_COLOR_YCBCR;
  props.jpegSampling = JPEG_SAMPLING_420;
  props.work = &work;
  return props;
}

TEST(PublicApi, ColourPairsForWrites) {
  struct Pair {
    int imageColor, imageChannels, jpegColor, jpegChannels;
    bool accepted;
  };
  const Pair pairs[] = {
      {4, 1, 4, 1, true},   {4, 1, 3, 3, true},    {4, 1, 1, 3, false}, {1, 3, 4, 1, true},
      {1, 3, 1, 3, true},   {1, 3, 3, 3, true},    {1, 3, 6, 4, false}, {1, 4, 3, 3, true},
      {1, 4, 1, 3, false},  {2, 3, 4, 1, true},    {2, 3, 1, 3, true},  {2, 3, 3, 3, true},
      {5, 4, 5, 4, true},   {5, 4, 6, 4, true},    {5, 4, 3, 3, false}, {3, 3, 3, 3, true},
      {3, 3, 4, 1, false},  {255, 2, 255, 2, true}, {255, 3, 3, 3, false}, {6, 4, 6, 4, false},
  };
  JpegWorkingState work;
  for (const Pair& pair : pairs) {
    JPEG_PROPERTIES props = ValidRecord(work);
    props.imageColor = pair.imageColor;
    props.imageChannels = pair.imageChannels;
    props.jpegColor = pair.jpegColor;
    props.jpegChannels = pair.jpegChannels;
    props.jpegSampling = 0;
    const JPEG_STATUS status = jpegValidateProperties(props, JPEG_WRITE_IMAGE_BUFFER);
    EXPECT_EQ(status == JPEG_SUCCESS, pair.accepted)
        << pair.imageColor << "/" << pair.imageChannels << " -> " << pair.jpegColor << "/" << pair.jpegChannels
        << " gave " << status;
  }
}

TEST(PublicApi, ReadRulesAndOrder) {
  JpegWorkingState work;
  struct Case {
    const char* name;
    int mode;
    void (*change)(JPEG_PROPERTIES&);
    JPEG_STATUS expected;
  };
  const Case cases[] = {
      {"thumbnail needs RGB or BGR", JPEG_READ_THUMBNAIL_BUFFER,
       [](JPEG_PROPERTIES& p) { p.imageColor = JPEG_COLOR_YCBCR; }, JPEG_THUMBNAIL_WRONG_COLOR},
      {"half-scale read checks pixels", JPEG_READ_HALF_FILE, [](JPEG_PROPERTIES& p) { p.imagePixels = nullptr; },
       JPEG_INVALID_PROPERTIES},
      {"info read needs no pixels", JPEG_READ_INFO_BUFFER, [](JPEG_PROPERTIES& p) { p.imagePixels = nullptr; },
       JPEG_SUCCESS},
      {"YCbCr JPEG read as BGR", JPEG_READ_IMAGE_BUFFER, [](JPEG_PROPERTIES&) {}, JPEG_SUCCESS},
      {"grey JPEG into YCbCr picture", JPEG_READ_IMAGE_BUFFER,
       [](JPEG_PROPERTIES& p) {
         p.jpegColor = JPEG_COLOR_GRAY;
         p.jpegChannels = 1;
         p.imageColor = JPEG_COLOR_YCBCR;
       },
       JPEG_INVALID_PROPERTIES},
      {"YCbCrA JPEG into RGBA", JPEG_READ_IMAGE_BUFFER,
       [](JPEG_PROPERTIES& p) {
         p.jpegColor = JPEG_COLOR_YCBCRA;
         p.jpegChannels = 4;
         p.imageColor = JPEG_COLOR_RGBA;
         p.imageChannels = 4;
       },
       JPEG_SUCCESS},
      {"file read without a name", JPEG_READ_IMAGE_FILE, [](JPEG_PROPERTIES& p) { p.jpegFileName = nullptr; },
       JPEG_INVALID_PROPERTIES},
  };
  for (const Case& c : cases) {
    JPEG_PROPERTIES props = ValidRecord(work);
    c.change(props);
    EXPECT_EQ(jpegValidateProperties(props, c.mode), c.expected) << c.name;
  }
}

}  // namespace
