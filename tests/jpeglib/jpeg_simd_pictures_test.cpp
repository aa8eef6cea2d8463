// Whole pictures through every processor class, forced by the registry
// override: every layout the SIMD kernels serve decodes cleanly with an
// independent decoder, keeps the plain class's quality, and the classes
// that share arithmetic write identical bytes (0 to 2, and 3 to 6).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "jpeg_test_support.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

struct Layout {
  const char* name;
  const char* ffmpegFormat;  // pixel format of the natural-looking frame
  int channels;              // bytes a pixel
  int imageColor;
  int imageSampling;
  int jpegColor;
  int jpegChannels;
  int jpegSampling;
  bool comparableToSource;  // the decoder's RGB/grey output can be set against the source
};

const Layout kLayouts[] = {
    {"bgr_420", "bgr24", 3, JPEG_COLOR_BGR, 0, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420, true},
    {"bgr_422", "bgr24", 3, JPEG_COLOR_BGR, 0, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_422, true},
    {"bgr_444", "bgr24", 3, JPEG_COLOR_BGR, 0, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_444, true},
    {"rgb_420", "rgb24", 3, JPEG_COLOR_RGB, 0, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_420, true},
    {"rgb_422", "rgb24", 3, JPEG_COLOR_RGB, 0, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_422, true},
    {"rgb_444", "rgb24", 3, JPEG_COLOR_RGB, 0, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_444, true},
    {"rgba_4204", "rgba", 4, JPEG_COLOR_RGBA, 0, JPEG_COLOR_YCBCRA, 4, JPEG_SAMPLING_4204, false},
    {"rgba_4224", "rgba", 4, JPEG_COLOR_RGBA, 0, JPEG_COLOR_YCBCRA, 4, JPEG_SAMPLING_4224, false},
    {"rgba_444", "rgba", 4, JPEG_COLOR_RGBA, 0, JPEG_COLOR_YCBCRA, 4, JPEG_SAMPLING_444, false},
    {"packed_422", "yuyv422", 2, JPEG_COLOR_YCBCR, JPEG_IMAGE_PACKED_422, JPEG_COLOR_YCBCR, 3, JPEG_SAMPLING_422,
     false},
    {"grey", "gray", 1, JPEG_COLOR_GRAY, 0, JPEG_COLOR_GRAY, 1, JPEG_SAMPLING_444, true},
};

struct Size {
  int width;
  int height;
};
const Size kSizes[] = {{1, 1}, {17, 9}, {640, 480}, {641, 479}};

// One frame of ffmpeg's test source in `format`, large enough to crop every
// size from (test data only).
const std::vector<std::uint8_t>& SourceFrame(const std::string& format) {
  static std::map<std::string, std::vector<std::uint8_t>> frames;
  auto found = frames.find(format);
  if (found != frames.end()) return found->second;
  const std::string command = "ffmpeg -v error -f lavfi -i testsrc2=size=642x480:rate=1 -frames:v 1 -f rawvideo "
                              "-pix_fmt " + format + " - 2>/dev/null";
  std::vector<std::uint8_t> bytes;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    std::uint8_t chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) bytes.insert(bytes.end(), chunk, chunk + n);
    pclose(pipe);
  }
  return frames[format] = std::move(bytes);
}

// The top-left width x height of the frame, rows padded by 3 bytes.
TestPicture Crop(const Layout& layout, const Size& size) {
  const std::vector<std::uint8_t>& frame = SourceFrame(layout.ffmpegFormat);
  TestPicture picture;
  picture.width = size.width;
  picture.height = size.height;
  picture.channels = layout.channels;
  picture.padding = 3;
  picture.pixels.assign(static_cast<std::size_t>(picture.stride()) * size.height, 0);
  const std::size_t frameStride = 642u * layout.channels;
  for (int y = 0; y < size.height; ++y) {
    std::copy_n(frame.begin() + static_cast<std::ptrdiff_t>(y * frameStride), size.width * layout.channels,
                picture.pixels.begin() + static_cast<std::ptrdiff_t>(y) * picture.stride());
  }
  return picture;
}

EncodeRequest RequestFor(const Layout& layout, const TestPicture& picture) {
  EncodeRequest request;
  request.picture = &picture;
  request.imageColor = layout.imageColor;
  request.imageSampling = layout.imageSampling;
  request.jpegColor = layout.jpegColor;
  request.jpegChannels = layout.jpegChannels;
  request.jpegSampling = layout.jpegSampling;
  return request;
}

class SimdPictures : public ::testing::TestWithParam<std::tuple<Layout, Size>> {
 protected:
  ScopedTempDir scratch{"jpeglib_classes_"};
  void SetUp() override { setenv("NOVEL_REGISTRY_FILE", scratch.HostPath("registry.reg").c_str(), 1); }
  void TearDown() override { unsetenv("NOVEL_REGISTRY_FILE"); }

  EncodeResult EncodeAsClass(int processorClass, const EncodeRequest& request) {
    scratch.WriteFile("registry.reg", "[HKEY_LOCAL_MACHINE\\Software\\Reelpack\\JpegCodec]\n\"USECPU\"=dword:0000000" +
                                          std::to_string(processorClass) + "\n");
    return Encode(request);
  }
};

TEST_P(SimdPictures, EveryClassDecodesCleanlyWithTheSameQuality) {
  const auto& [layout, size] = GetParam();
  const TestPicture picture = Crop(layout, size);
  ASSERT_FALSE(picture.pixels.empty());
  EncodeRequest request = RequestFor(layout, picture);

  std::vector<std::uint8_t> streams[7];
  for (int processorClass = 0; processorClass <= 6; ++processorClass) {
    const EncodeResult result = EncodeAsClass(processorClass, request);
    ASSERT_EQ(result.status, JPEG_SUCCESS) << "class " << processorClass;
    streams[processorClass] = result.bytes;
  }
  for (int processorClass : {1, 2}) EXPECT_EQ(streams[processorClass], streams[0]) << "class " << processorClass;
  for (int processorClass : {4, 5, 6}) EXPECT_EQ(streams[processorClass], streams[3]) << "class " << processorClass;

  const Decoded plain = DecodeWithReference(streams[0]);
  const Decoded simd = DecodeWithReference(streams[3]);
  ASSERT_TRUE(plain.ok) << plain.messages;
  ASSERT_TRUE(simd.ok) << simd.messages;
  EXPECT_EQ(simd.messages, "");
  EXPECT_EQ(simd.width, size.width);
  EXPECT_EQ(simd.height, size.height);
  if (!layout.comparableToSource) {
    // Four-channel and packed sources: the decoders' outputs stay close.
    EXPECT_GE(Psnr(simd.samples, plain.samples), 40.0);
    return;
  }
  const std::vector<std::uint8_t> source = RgbSamples(picture, layout.imageColor);
  const double plainPsnr = Psnr(plain.samples, source), simdPsnr = Psnr(simd.samples, source);
  RecordProperty("psnr_plain", std::to_string(plainPsnr));
  RecordProperty("psnr_simd", std::to_string(simdPsnr));
  EXPECT_NEAR(simdPsnr, plainPsnr, 0.1) << "plain " << plainPsnr << " dB, SIMD " << simdPsnr << " dB";
}

// The output-room rule on small pictures (every class fails at the same size).
class SimdPictureRoom : public SimdPictures {};

TEST_P(SimdPictureRoom, EveryClassNeedsTheSameOutputRoom) {
  const auto& [layout, size] = GetParam();
  const TestPicture picture = Crop(layout, size);
  EncodeRequest request = RequestFor(layout, picture);
  for (int processorClass : {0, 3, 5, 6}) {
    const std::size_t length = EncodeAsClass(processorClass, request).bytes.size();
    // The stream must leave the last byte of the buffer free.
    request.bufferSize = length + 1;
    EXPECT_EQ(EncodeAsClass(processorClass, request).status, JPEG_SUCCESS) << "class " << processorClass;
    request.bufferSize = length;
    EXPECT_EQ(EncodeAsClass(processorClass, request).status, JPEG_OUTPUT_TOO_SMALL) << "class " << processorClass;
    request.bufferSize = 0;
  }
}

void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }
void PrintTo(const Size& size, std::ostream* out) { *out << size.width << "x" << size.height; }

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Layout, Size>>& info) {
  const auto& [layout, size] = info.param;
  return std::string(layout.name) + "_" + std::to_string(size.width) + "x" + std::to_string(size.height);
}

INSTANTIATE_TEST_SUITE_P(Layouts, SimdPictures,
                         ::testing::Combine(::testing::ValuesIn(kLayouts), ::testing::ValuesIn(kSizes)), CaseName);
INSTANTIATE_TEST_SUITE_P(Layouts, SimdPictureRoom,
                         ::testing::Combine(::testing::ValuesIn(kLayouts), ::testing::Values(kSizes[0], kSizes[1])),
                         CaseName);

}  // namespace
