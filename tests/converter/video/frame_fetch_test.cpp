// The frame fetch: display order, decoding each picture once, random
// access, the caller's buffer, and what open refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "converter/mpeg/mpeg_video.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_temp_dir.h"
#include "video_oracle.h"

namespace reelpack {
namespace {

using Frame = std::vector<std::uint8_t>;

class Movie {
 public:
  explicit Movie(const std::string& path) : handle(mpegOpen(path.c_str())) {}
  ~Movie() { mpegClose(handle); }
  Movie(const Movie&) = delete;
  Movie& operator=(const Movie&) = delete;

  // The frame as BGR24 rows of stride 3w + 1, or empty when refused.
  Frame get(int n) {
    const int stride = 3 * handle->width + 1;
    Frame f(static_cast<std::size_t>(stride) * handle->height, 0xA5);
    handle->frameNumber = n;
    handle->buffer = f.data();
    handle->stride = stride;
    handle->bufferSize = static_cast<std::uint32_t>(f.size());
    if (!mpegGetFrame(handle)) return {};
    return f;
  }
  int decoded() const { return mpegDecodedPictures(handle->context); }

  MPEG_VIDEO_HANDLE* handle;
};

TEST(MpegFetch, ConsecutiveFramesDecodeEachPictureOnce) {
  Movie m(MpegFixture("s64x48_open_end.mpg"));
  ASSERT_NE(m.handle, nullptr);
  ASSERT_EQ(m.handle->frameCount, 40);
  EXPECT_EQ(m.handle->bitsPerPixel, 24);
  EXPECT_EQ(m.handle->rateNumerator, 25u);
  EXPECT_EQ(m.handle->rateDenominator, 1u);
  for (int n = 0; n < 40; ++n) {
    ASSERT_FALSE(m.get(n).empty()) << n;
    const int decoded = m.decoded();
    ASSERT_FALSE(m.get(n).empty()) << n;
    EXPECT_EQ(m.decoded(), decoded) << "a repeated request decodes nothing";
  }
  EXPECT_EQ(m.decoded(), 40);
  EXPECT_TRUE(m.get(40).empty());
  EXPECT_TRUE(m.get(-1).empty());
}

TEST(MpegFetch, ShuffledRequestsGiveTheSequentialBytes) {
  for (const char* name : {"s64x48_open_end.mpg", "s176x144_closed_end.mpg", "ffmux_2997_20s.mpg"}) {
    SCOPED_TRACE(name);
    std::vector<Frame> sequential;
    {
      Movie m(MpegFixture(name));
      ASSERT_NE(m.handle, nullptr);
      for (int n = 0; n < m.handle->frameCount; ++n) sequential.push_back(m.get(n));
    }
    Movie m(MpegFixture(name));
    std::vector<int> order(sequential.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::shuffle(order.begin(), order.end(), std::mt19937(11));
    order.resize(std::min<std::size_t>(order.size(), 60));
    for (int n : order) {
      const Frame f = m.get(n);
      ASSERT_FALSE(f.empty()) << n;
      ASSERT_TRUE(f == sequential[n]) << "frame " << n;
    }
  }
}

TEST(MpegFetch, BufferAndStrideChecks) {
  Movie m(MpegFixture("s50x30_single_end.mpg"));
  ASSERT_NE(m.handle, nullptr);
  const std::uint32_t w = 50, h = 30;
  struct Case {
    std::uint32_t stride;
    std::uint32_t size;
    bool buffer;
    int result;
  } cases[] = {
      {3 * w, 3 * w * h, true, 1},
      {3 * w - 1, 3 * w * h, true, 0},
      {3 * w, 3 * w * h - 1, true, 0},
      {3 * w + 2, (3 * w + 2) * h, true, 1},
      {3 * w, 3 * w * h, false, 0},
      // stride x height wraps in 32 bits to something small.
      {0x80000000u + 2, 3 * w * h, true, 0},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> canary(static_cast<std::size_t>(3 * w + 2) * h, 0x5A);
    m.handle->frameNumber = 3;
    m.handle->buffer = c.buffer ? canary.data() : nullptr;
    m.handle->stride = c.stride;
    m.handle->bufferSize = c.size;
    EXPECT_EQ(mpegGetFrame(m.handle), c.result) << c.stride << " " << c.size;
    const bool untouched = std::all_of(canary.begin(), canary.end(), [](std::uint8_t b) { return b == 0x5A; });
    EXPECT_EQ(untouched, c.result == 0) << c.stride << " " << c.size;
    if (c.result == 1) {
      // Padding past 3w of every row stays as it was.
      for (std::uint32_t r = 0; r < h; ++r)
        for (std::uint32_t x = 3 * w; x < c.stride; ++x) ASSERT_EQ(canary[r * c.stride + x], 0x5A);
    }
  }
}

TEST(MpegFetch, KnownExtensions) {
  struct Case {
    const char* name;
    bool known;
  } cases[] = {{"a.mpg", true},     {"A.MPG", true},          {"x.MpEg", true},   {"x.mp2", true},
               {"x.dat", true},     {"x.DAH", true},          {"x.mpeg.bak", false}, {"noext", false},
               {"dir.mpg\\file", false}, {"dir.mpg/file", false}, {"x.mp", false},    {"x.", false}};
  for (const Case& c : cases) EXPECT_EQ(mpegHasKnownExtension(c.name), c.known) << c.name;
  EXPECT_FALSE(mpegHasKnownExtension(nullptr));
}

TEST(MpegFetch, OpenSaysWhyItRefuses) {
  ScopedTempDir dir("mpeg_video_");
  const std::vector<std::uint8_t> stream = ReadFileBytes(MpegFixture("s64x48_open_end.mpg"));
  // A system stream with its video packets' stream ids moved to audio.
  std::vector<std::uint8_t> noVideo = stream;
  for (std::size_t i = 0; i + 3 < noVideo.size(); ++i)
    if (noVideo[i] == 0 && noVideo[i + 1] == 0 && noVideo[i + 2] == 1 && noVideo[i + 3] == 0xE0) noVideo[i + 3] = 0xC0;
  struct Case {
    std::string path;
    MpegOpenResult result;
  } cases[] = {
      {MpegFixture("s64x48_open_end.mpg"), kMpegOpened},
      {dir.WriteFile("copy.txt", stream), kMpegUnknownExtension},
      {dir.Path() + "/missing.mpg", kMpegUnreadable},
      {dir.WriteFile("empty.mpg", std::vector<std::uint8_t>{}), kMpegUnreadable},
      {dir.WriteFile("audio.mpg", noVideo), kMpegNoVideo},
      {VideoTestStream("mpeg2_64x48.mpg"), kMpegVideoIsMpeg2},
  };
  for (const Case& c : cases) {
    MpegOpenResult why = kMpegOutOfMemory;
    MPEG_VIDEO_HANDLE* h = mpegOpen(c.path.c_str(), &why);
    EXPECT_EQ(why, c.result) << c.path;
    EXPECT_EQ(h != nullptr, c.result == kMpegOpened) << c.path;
    mpegClose(h);
  }
}

// The colour conversion of the oracle's planes, written plainly: frame-wise
// chroma up-sampling, then the 13-bit matrix-0 formula.
Frame PlainBgr(const OracleFrame& f, int w, int h) {
  const int cw = (w + 1) / 2, ch = (h + 1) / 2;
  auto up = [&](const std::vector<std::uint8_t>& plane, int x, int row) {
    const int k = row / 2;
    if (row == 0) return static_cast<int>(plane[x]);
    if (row == h - 1 && h % 2 == 0) return static_cast<int>(plane[(ch - 1) * cw + x]);
    const int a = row % 2 ? k : k - 1;  // rows 2k+1 lean on k, rows 2k+2 on k+1
    const int s0 = plane[a * cw + x], s1 = plane[(a + 1) * cw + x];
    return row % 2 ? (3 * s0 + s1) >> 2 : (s0 + 3 * s1) >> 2;
  };
  Frame out(static_cast<std::size_t>(3 * w) * h);
  for (int r = 0; r < h; ++r) {
    for (int x = 0; x < w; ++x) {
      const int l = (f.y[r * w + x] - 16) * 9539 + 4096;
      const int du = up(f.cb, x / 2, r) - 128, dv = up(f.cr, x / 2, r) - 128;
      const int bgr[3] = {(l + du * 16525) >> 13, (l - du * 3209 - dv * 6660) >> 13, (l + dv * 13075) >> 13};
      for (int c = 0; c < 3; ++c) out[(r * w + x) * 3 + c] = static_cast<std::uint8_t>(std::clamp(bgr[c], 0, 255));
    }
  }
  return out;
}

TEST(MpegFetch, Bgr24IsThePlainConversionOfTheOraclePlanes) {
  const std::string path = MpegFixture("s176x144_closed_end.mpg");
  Movie m(path);
  ASSERT_NE(m.handle, nullptr);
  const int w = m.handle->width, h = m.handle->height;
  const std::vector<OracleFrame> oracle = OracleFrames(path, w, h);
  int compared = 0;
  for (int n = 0; n < static_cast<int>(oracle.size()); ++n) {
    const Frame ours = m.get(n);
    ASSERT_FALSE(ours.empty());
    const OracleFrame planes = PlanesOf(*mpegFetchPicture(m.handle->context, n));
    const Frame ourPlain = PlainBgr(planes, w, h), oraclePlain = PlainBgr(oracle[n], w, h);
    for (int r = 0; r < h; ++r) {
      for (int x = 0; x < 3 * w; ++x) {
        const std::uint8_t got = ours[r * (3 * w + 1) + x];
        ASSERT_EQ(got, ourPlain[r * 3 * w + x]) << n << ": " << r << "," << x;
        // Where the planes agree, so do the pictures.
        if (ourPlain[r * 3 * w + x] == oraclePlain[r * 3 * w + x]) ++compared;
      }
    }
  }
  EXPECT_GT(compared, static_cast<int>(oracle.size()) * w * h * 3 * 9 / 10);
}

}  // namespace
}  // namespace reelpack
