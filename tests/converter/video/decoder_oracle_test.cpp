// Every test stream decoded frame by frame against the independent decoder.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "converter/mpeg/mpeg_video.h"
#include "video_oracle.h"

namespace reelpack {
namespace {

struct Worst {
  double psnr = 99;
  int frame = -1;
};

void ExpectMatchesOracle(const std::string& path) {
  SCOPED_TRACE(path);
  MpegOpenResult why;
  MPEG_VIDEO_HANDLE* h = mpegOpen(path.c_str(), &why);
  ASSERT_NE(h, nullptr) << why;
  const std::vector<OracleFrame> oracle = OracleFrames(path, h->width, h->height);
  const std::string types = OraclePictureTypes(path);
  ASSERT_FALSE(oracle.empty());
  EXPECT_EQ(h->frameCount, static_cast<int>(oracle.size()));
  std::string ours;
  Worst worstIntra, worstPredicted;
  for (int n = 0; n < static_cast<int>(oracle.size()); ++n) {
    const MPEG_OUTPUT_SLOT* slot = mpegFetchPicture(h->context, n);
    ASSERT_NE(slot, nullptr) << "frame " << n;
    ours += "?IPB"[slot->info.pictureType];
    const OracleFrame planes = PlanesOf(*slot);
    const double psnr = Psnr(planes.y, oracle[n].y);
    Worst& worst = slot->info.pictureType == 1 ? worstIntra : worstPredicted;
    if (psnr < worst.psnr) worst = Worst{psnr, n};
    if (slot->info.pictureType == 1) {
      EXPECT_GE(psnr, 50) << "frame " << n;
      EXPECT_LE(PeakDifference(planes.y, oracle[n].y), 2) << "frame " << n;
    } else {
      EXPECT_GE(psnr, 40) << "frame " << n;
    }
    EXPECT_GE(Psnr(planes.cb, oracle[n].cb), 40) << "frame " << n;
    EXPECT_GE(Psnr(planes.cr, oracle[n].cr), 40) << "frame " << n;
  }
  EXPECT_EQ(mpegFetchPicture(h->context, static_cast<int>(oracle.size())), nullptr);
  EXPECT_EQ(ours, types);
  std::printf("%s: %zu frames, worst luma PSNR I %.2f dB (frame %d), P/B %.2f dB (frame %d)\n", path.c_str(),
              oracle.size(), worstIntra.psnr, worstIntra.frame, worstPredicted.psnr, worstPredicted.frame);
  mpegClose(h);
}

TEST(MpegVideoOracle, FfmpegStreams) {
  for (const char* name : {"s64x48_open_end.mpg", "s64x48_open.mpg", "s560x48_nob_end.mpg", "s176x144_closed_end.mpg",
                           "s64x48_ntsc_df_end.mpg", "s80x64_film_end.mpg", "s50x30_single_end.mpg",
                           "ffmux_2997_20s.mpg", "ffmux_25_8s_nob.mpg", "ffmux_24_6s.mpg"})
    ExpectMatchesOracle(MpegFixture(name));
}

// Static content (skipped macroblocks), a 560-pixel row (address escapes),
// an odd size, the ends of the quantiser range, a long GOP, and a second
// encoder with open GOPs.
TEST(MpegVideoOracle, MadeStreams) {
  for (const char* name : {"ff_static_176x144.mpg", "ff_still_560x64.mpg", "ff_odd_97x65.mpg", "ff_q2_160x128.mpg",
                           "ff_q31_160x128.mpg", "ff_longgop_128x96.mpg", "ff_motion_320x240.mpg", "mj_352x288.mpg",
                           "mj_static_176x144.mpg"})
    ExpectMatchesOracle(VideoTestStream(name));
}

// The thresholds above against the oracle's own spread: the same streams
// decoded with two of its inverse DCTs stay inside them too.
TEST(MpegVideoOracle, ThresholdsHoldBetweenTwoOracleIdcts) {
  for (const std::string& path : {MpegFixture("s176x144_closed_end.mpg"), VideoTestStream("ff_longgop_128x96.mpg"),
                                  VideoTestStream("mj_352x288.mpg"), VideoTestStream("ff_q2_160x128.mpg")}) {
    MPEG_VIDEO_HANDLE* h = mpegOpen(path.c_str());
    ASSERT_NE(h, nullptr);
    const int w = h->width, height = h->height;
    mpegClose(h);
    const std::vector<OracleFrame> a = OracleFrames(path, w, height, "simple");
    const std::vector<OracleFrame> b = OracleFrames(path, w, height, "int");
    const std::string types = OraclePictureTypes(path);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_EQ(a.size(), types.size());
    Worst intra, predicted;
    for (std::size_t n = 0; n < a.size(); ++n) {
      const double psnr = Psnr(a[n].y, b[n].y);
      Worst& worst = types[n] == 'I' ? intra : predicted;
      if (psnr < worst.psnr) worst = Worst{psnr, static_cast<int>(n)};
      EXPECT_GE(psnr, types[n] == 'I' ? 50 : 40) << path << " frame " << n;
    }
    std::printf("%s: oracle IDCTs simple/int, worst luma PSNR I %.2f dB (frame %d), P/B %.2f dB (frame %d)\n",
                path.c_str(), intra.psnr, intra.frame, predicted.psnr, predicted.frame);
  }
}

}  // namespace
}  // namespace reelpack
