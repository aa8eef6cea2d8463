// Streams of every layout decode with an independent decoder without
// warnings, and their quality matches what that library's own encoder gets
// from the same picture with the same tables and sampling.
#include <gtest/gtest.h>

#include "jpeg_test_support.h"

namespace {

struct Layout {
  const char* name;
  int channels;
  int imageColor;
  int jpegColor;
  int jpegChannels;
  int sampling;
  const char* referenceSampling;  // empty: no reference encoder comparison
  const char* referenceExtra;
};

const Layout kLayouts[] = {
    {"bgr_420", 3, JPEG_COLOR_BGR, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420, "2x2,1x1,1x1", ""},
    {"bgr_422", 3, JPEG_COLOR_BGR, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_422, "2x1,1x1,1x1", ""},
    {"bgr_444", 3, JPEG_COLOR_BGR, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_444, "1x1,1x1,1x1", ""},
    {"rgb_420", 3, JPEG_COLOR_RGB, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420, "2x2,1x1,1x1", ""},
    {"rgb_422", 3, JPEG_COLOR_RGB, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_422, "2x1,1x1,1x1", ""},
    {"rgb_444", 3, JPEG_COLOR_RGB, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_444, "1x1,1x1,1x1", ""},
    {"grey", 1, JPEG_COLOR_GRAY, JPEG_COLOR_GRAY, 1, JPEG_SAMPLING_444, "1x1", "-grayscale"},
    {"bgr_to_grey", 3, JPEG_COLOR_BGR, JPEG_COLOR_GRAY, 1, JPEG_SAMPLING_444, "", ""},
    {"grey_to_ycbcr", 1, JPEG_COLOR_GRAY, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420, "", ""},
    {"bgr_as_rgb_jpeg", 3, JPEG_COLOR_BGR, JPEG_COLOR_RGB, 3, JPEG_SAMPLING_444, "1x1,1x1,1x1", "-rgb"},
    {"rgb_as_rgb_jpeg", 3, JPEG_COLOR_RGB, JPEG_COLOR_RGB, 3, JPEG_SAMPLING_444, "1x1,1x1,1x1", "-rgb"},
    {"ycbcr_copy_420", 3, JPEG_COLOR_YCBCR, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420, "", ""},
    {"rgbx_to_ycbcr_420", 4, JPEG_COLOR_RGB, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420, "", ""},
    {"rgba_ycck_4204", 4, JPEG_COLOR_RGBA, JPEG_COLOR_YCBCRA, 4, JPEG_SAMPLING_4204, "", ""},
    {"rgba_ycck_4224", 4, JPEG_COLOR_RGBA, JPEG_COLOR_YCBCRA, 4, JPEG_SAMPLING_4224, "", ""},
    {"rgba_ycck_444", 4, JPEG_COLOR_RGBA, JPEG_COLOR_YCBCRA, 4, JPEG_SAMPLING_444, "", ""},
    {"rgba_plain_444", 4, JPEG_COLOR_RGBA, JPEG_COLOR_RGBA, 4, JPEG_SAMPLING_444, "", ""},
};

struct Size {
  int width;
  int height;
};
const Size kSizes[] = {{1, 1}, {17, 9}, {641, 479}};

void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }
void PrintTo(const Size& size, std::ostream* out) { *out << size.width << "x" << size.height; }

class ReferenceDecode : public ::testing::TestWithParam<std::tuple<Layout, Size, int>> {};

TEST_P(ReferenceDecode, DecodesCleanlyWithReferenceQuality) {
  const auto& [layout, size, restart] = GetParam();
  const TestPicture picture = MakePicture(size.width, size.height, layout.channels, 7, 3);
  EncodeRequest request;
  request.picture = &picture;
  request.imageColor = layout.imageColor;
  request.jpegColor = layout.jpegColor;
  request.jpegChannels = layout.jpegChannels;
  request.jpegSampling = layout.sampling;
  request.restartInterval = restart;
  const EncodeResult ours = Encode(request);
  ASSERT_EQ(ours.status, JPEG_SUCCESS);

  const Decoded decoded = DecodeWithReference(ours.bytes);
  ASSERT_TRUE(decoded.ok) << decoded.messages;
  EXPECT_EQ(decoded.messages, "");
  EXPECT_EQ(decoded.width, size.width);
  EXPECT_EQ(decoded.height, size.height);
  if (layout.referenceSampling[0] == '\0') return;

  const std::vector<std::uint8_t> source = RgbSamples(picture, layout.imageColor);
  const std::vector<std::uint8_t> theirs =
      EncodeWithReference(source, size.width, size.height, layout.channels, QuantTablesOf(ours.bytes),
                          layout.referenceSampling, std::string(layout.referenceExtra) + " -qslots " +
                                                        QuantSelectorsOf(ours.bytes));
  ASSERT_FALSE(theirs.empty());
  const Decoded reference = DecodeWithReference(theirs);
  ASSERT_TRUE(reference.ok) << reference.messages;
  const double ourPsnr = Psnr(decoded.samples, source);
  const double theirPsnr = Psnr(reference.samples, source);
  RecordProperty("psnr_ours", std::to_string(ourPsnr));
  RecordProperty("psnr_reference", std::to_string(theirPsnr));
  EXPECT_GE(ourPsnr, theirPsnr - 0.3) << "ours " << ourPsnr << " dB, reference " << theirPsnr << " dB";
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Layout, Size, int>>& info) {
  const auto& [layout, size, restart] = info.param;
  return std::string(layout.name) + "_" + std::to_string(size.width) + "x" + std::to_string(size.height) +
         (restart != 0 ? "_restart" + std::to_string(restart) : "");
}

INSTANTIATE_TEST_SUITE_P(Layouts, ReferenceDecode,
                         ::testing::Combine(::testing::ValuesIn(kLayouts), ::testing::ValuesIn(kSizes),
                                            ::testing::Values(0, 3)),
                         CaseName);

}  // namespace
