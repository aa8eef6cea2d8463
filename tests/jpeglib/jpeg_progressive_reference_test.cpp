// Progressive streams read by an independent decoder: cleanly, with exactly
// the coefficients of the baseline stream written from the same picture with
// the same settings and class, so both decode to the same picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "jpeg_reference_library.h"
#include "jpeg_test_support.h"
#include "jpeglib/jpeg_processor.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Layout {
  const char* name;
  int channels;
  int imageColor;
  int jpegColor;
  int jpegChannels;
  int sampling;
  bool decodesToSource;  // the decoder's output is the source's RGB or grey
};

const Layout kLayouts[] = {
    {"grey", 1, JPEG_COLOR_GRAY, JPEG_COLOR_GRAY, 1, JPEG_SAMPLING_444, true},
    {"bgr_to_grey", 3, JPEG_COLOR_BGR, JPEG_COLOR_GRAY, 1, JPEG_SAMPLING_444, false},
    {"other_two", 2, JPEG_COLOR_OTHER, JPEG_COLOR_OTHER, 2, JPEG_SAMPLING_444, false},
    {"bgr_to_rgb", 3, JPEG_COLOR_BGR, JPEG_COLOR_RGB, 3, JPEG_SAMPLING_444, true},
    {"other_three", 3, JPEG_COLOR_OTHER, JPEG_COLOR_OTHER, 3, JPEG_SAMPLING_444, false},
    {"bgr_420", 3, JPEG_COLOR_BGR, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420, true},
    {"bgr_422", 3, JPEG_COLOR_BGR, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_422, true},
    {"bgr_444", 3, JPEG_COLOR_BGR, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_444, true},
    {"ycbcr_copy_420", 3, JPEG_COLOR_YCBCR, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420, false},
    {"grey_to_ycbcr_420", 1, JPEG_COLOR_GRAY, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420, false},
    {"rgba_plain", 4, JPEG_COLOR_RGBA, JPEG_COLOR_RGBA, 4, JPEG_SAMPLING_444, false},
    {"other_four", 4, JPEG_COLOR_OTHER, JPEG_COLOR_OTHER, 4, JPEG_SAMPLING_444, false},
    {"ycbcra_4204", 4, JPEG_COLOR_RGBA, JPEG_COLOR_YCBCRA, 4, JPEG_SAMPLING_4204, false},
    {"ycbcra_4224", 4, JPEG_COLOR_RGBA, JPEG_COLOR_YCBCRA, 4, JPEG_SAMPLING_4224, false},
    {"ycbcra_444", 4, JPEG_COLOR_RGBA, JPEG_COLOR_YCBCRA, 4, JPEG_SAMPLING_444, false},
};

void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }

int OwnClass() {
  JPEG_CPU_INFO info{};
  identifyProcessor(info);
  return jpegClassFromCpuInfo(info);
}

// A BGR frame as a picture of `channels` bytes a pixel (a fourth byte from
// the others, so every channel carries detail).
TestPicture WithChannels(const TestPicture& bgr, int channels) {
  TestPicture picture;
  picture.width = bgr.width;
  picture.height = bgr.height;
  picture.channels = channels;
  for (int y = 0; y < bgr.height; ++y) {
    for (int x = 0; x < bgr.width; ++x) {
      const std::uint8_t* p = bgr.at(x, y);
      const std::uint8_t all[4] = {p[0], p[1], p[2], static_cast<std::uint8_t>(p[0] ^ p[2])};
      picture.pixels.insert(picture.pixels.end(), all + (channels == 1 ? 1 : 0), all + (channels == 1 ? 2 : channels));
    }
  }
  return picture;
}

// The picture of a layout at a size: made pictures for the small sizes, an
// ffmpeg test frame for the large ones.
TestPicture PictureFor(const Layout& layout, int width, int height) {
  if (width * height < 1000) return MakePicture(width, height, layout.channels, 17, 2);
  const std::vector<TestPicture> frames = NaturalFrames(width, height);
  if (frames.empty()) return {};
  return WithChannels(frames[0], layout.channels);
}

EncodeResult EncodeLayout(const Layout& layout, const TestPicture& picture, int quality, int processorClass,
                          bool progressive) {
  EncodeRequest request;
  request.picture = &picture;
  request.imageColor = layout.imageColor;
  request.jpegColor = layout.jpegColor;
  request.jpegChannels = layout.jpegChannels;
  request.jpegSampling = layout.sampling;
  request.quality = quality;
  request.processorClass = processorClass;
  request.progressive = progressive;
  return Encode(request);
}

// Both streams read cleanly and carry the same coefficients in every block
// of every component's own size; both decode to the same samples.
void ExpectSameContent(const Bytes& progressive, const Bytes& baseline, const TestPicture& picture,
                       const Layout& layout, const std::string& label, bool withSamples = true) {
  const ReferenceRead a = ReadCoefficientsWithReference(progressive);
  const ReferenceRead b = ReadCoefficientsWithReference(baseline);
  ASSERT_TRUE(a.ok) << label << ": " << a.messages;
  ASSERT_TRUE(b.ok) << label << ": " << b.messages;
  EXPECT_EQ(a.warnings, 0) << label << ": " << a.messages;
  EXPECT_TRUE(a.progressive) << label;
  EXPECT_FALSE(b.progressive) << label;
  ASSERT_EQ(a.components.size(), b.components.size()) << label;
  for (std::size_t c = 0; c < a.components.size(); ++c) {
    const ReferenceComponent &pc = a.components[c], &bc = b.components[c];
    EXPECT_EQ(pc.h * 16 + pc.v, bc.h * 16 + bc.v) << label;
    EXPECT_EQ(pc.quantTable, bc.quantTable) << label;
    EXPECT_EQ(pc.widthInBlocks, bc.widthInBlocks) << label;
    EXPECT_EQ(pc.heightInBlocks, bc.heightInBlocks) << label;
    ASSERT_EQ(pc.coefficients.size(), bc.coefficients.size()) << label;
    if (pc.coefficients == bc.coefficients) continue;
    const auto [p, b] = std::mismatch(pc.coefficients.begin(), pc.coefficients.end(), bc.coefficients.begin());
    const auto at = p - pc.coefficients.begin();
    FAIL() << label << " component " << c << " block " << at / 64 << " coefficient " << at % 64 << ": " << *p
           << " against " << *b;
  }
  if (!withSamples) return;

  const ReferenceRead pa = DecodeSamplesWithReference(progressive);
  const ReferenceRead pb = DecodeSamplesWithReference(baseline);
  ASSERT_TRUE(pa.ok && pb.ok) << label << ": " << pa.messages << pb.messages;
  EXPECT_EQ(pa.warnings, 0) << label << ": " << pa.messages;
  EXPECT_TRUE(pa.samples == pb.samples) << label << ": decoded samples differ";
  if (layout.decodesToSource) {
    const Bytes source = RgbSamples(picture, layout.imageColor);
    const double progressivePsnr = Psnr(pa.samples, source), baselinePsnr = Psnr(pb.samples, source);
    EXPECT_EQ(progressivePsnr, baselinePsnr) << label;
    std::printf("%s: PSNR progressive %.2f dB, baseline %.2f dB\n", label.c_str(), progressivePsnr, baselinePsnr);
  }
}

struct Size {
  int width;
  int height;
};

class ProgressiveReference : public ::testing::TestWithParam<std::tuple<Layout, Size>> {};

TEST_P(ProgressiveReference, ReadsCleanlyWithTheBaselineCoefficients) {
  ASSERT_TRUE(ReferenceLibraryLoaded());
  const auto& [layout, size] = GetParam();
  const TestPicture picture = PictureFor(layout, size.width, size.height);
  ASSERT_FALSE(picture.pixels.empty()) << "no test frame";
  for (int processorClass : {0, OwnClass()}) {
    for (int quality : {1, 50, 75, 100}) {
      const std::string label = std::string(layout.name) + " " + std::to_string(size.width) + "x" +
                                std::to_string(size.height) + " q" + std::to_string(quality) + " class " +
                                std::to_string(processorClass);
      const EncodeResult progressive = EncodeLayout(layout, picture, quality, processorClass, true);
      const EncodeResult baseline = EncodeLayout(layout, picture, quality, processorClass, false);
      ASSERT_EQ(progressive.status, JPEG_SUCCESS) << label;
      ASSERT_EQ(baseline.status, JPEG_SUCCESS) << label;
      ExpectSameContent(progressive.bytes, baseline.bytes, picture, layout, label);
      if (HasFatalFailure()) return;
    }
  }
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Layout, Size>>& info) {
  const auto& [layout, size] = info.param;
  return std::string(layout.name) + "_" + std::to_string(size.width) + "x" + std::to_string(size.height);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ProgressiveReference,
                         ::testing::Combine(::testing::ValuesIn(kLayouts),
                                            ::testing::Values(Size{1, 1}, Size{17, 9}, Size{640, 480},
                                                              Size{641, 479})),
                         CaseName);

// A flat picture: every AC band is one long end-of-band run, emitted at
// 32,767 blocks (symbol 0xE0 with 14 run bits). One layout per script.
class ProgressiveFlatPicture : public ::testing::TestWithParam<Layout> {};

TEST_P(ProgressiveFlatPicture, LongEndOfBandRunsReadCleanly) {
  ASSERT_TRUE(ReferenceLibraryLoaded());
  const Layout& layout = GetParam();
  TestPicture picture;
  picture.width = picture.height = 2048;
  picture.channels = layout.channels;
  picture.pixels.assign(std::size_t{2048} * 2048 * layout.channels, 0x80);
  const EncodeResult progressive = EncodeLayout(layout, picture, 75, -1, true);
  const EncodeResult baseline = EncodeLayout(layout, picture, 75, -1, false);
  ASSERT_EQ(progressive.status, JPEG_SUCCESS);
  ASSERT_EQ(baseline.status, JPEG_SUCCESS);
  // The first component's AC tables hold the longest run's symbol.
  bool longestRun = false;
  for (const Segment& segment : StreamSegments(progressive.bytes)) {
    if (segment.marker != 0xC4 || progressive.bytes[segment.offset + 4] != 0x10) continue;
    for (std::size_t i = segment.offset + 21; i < segment.offset + segment.length; ++i) {
      longestRun = longestRun || progressive.bytes[i] == 0xE0;
    }
  }
  EXPECT_TRUE(longestRun);
  ExpectSameContent(progressive.bytes, baseline.bytes, picture, layout, layout.name, false);
}

INSTANTIATE_TEST_SUITE_P(Scripts, ProgressiveFlatPicture,
                         ::testing::Values(kLayouts[0], kLayouts[2], kLayouts[3], kLayouts[5], kLayouts[10],
                                           kLayouts[12]),
                         [](const ::testing::TestParamInfo<Layout>& info) { return info.param.name; });

// On natural frames the fitted tables beat the default ones.
TEST(ProgressiveSize, SmallerThanBaselineOnNaturalFrames) {
  for (const Size size : {Size{640, 480}, Size{641, 479}}) {
    const std::vector<TestPicture> frames = NaturalFrames(size.width, size.height);
    ASSERT_EQ(frames.size(), 3u) << "no test frames";
    const char* const names[] = {"testsrc2", "mandelbrot", "smptebars"};
    for (std::size_t f = 0; f < frames.size(); ++f) {
      for (int quality : {1, 50, 75, 100}) {
        const Layout& layout = kLayouts[5];  // BGR to YCbCr 4:2:0
        const EncodeResult progressive = EncodeLayout(layout, frames[f], quality, -1, true);
        const EncodeResult baseline = EncodeLayout(layout, frames[f], quality, -1, false);
        ASSERT_EQ(progressive.status, JPEG_SUCCESS);
        ASSERT_EQ(baseline.status, JPEG_SUCCESS);
        const Bytes reference =
            EncodeWithReference(RgbSamples(frames[f], JPEG_COLOR_BGR), size.width, size.height, 3,
                                QuantTablesOf(baseline.bytes), "2x2,1x1,1x1",
                                "-progressive -optimize -qslots " + QuantSelectorsOf(baseline.bytes));
        const std::string label = std::string(names[f]) + " " + std::to_string(size.width) + "x" +
                                  std::to_string(size.height) + " q" + std::to_string(quality);
        std::printf("%s: progressive %zu bytes, baseline %zu bytes, reference progressive %zu bytes\n",
                    label.c_str(), progressive.bytes.size(), baseline.bytes.size(), reference.size());
        EXPECT_LT(progressive.bytes.size(), baseline.bytes.size()) << label;
      }
    }
  }
}

}  // namespace
