// Damaged streams: a removed slice is concealed, and flipped bytes or a cut
// end give no crash, no hang and no access outside the pictures (the
// sanitizer build checks the last).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "converter/mpeg/mpeg_video.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_temp_dir.h"
#include "video_oracle.h"

namespace reelpack {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<std::size_t> StartCodes(const Bytes& es) {
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i + 3 < es.size(); ++i)
    if (es[i] == 0 && es[i + 1] == 0 && es[i + 2] == 1) at.push_back(i);
  return at;
}

// Every frame fetched in order and a few out of order; returns how many came.
int FetchAll(const std::string& path) {
  MPEG_VIDEO_HANDLE* h = mpegOpen(path.c_str());
  if (h == nullptr) return -1;
  int delivered = 0;
  const int count = std::max(h->frameCount, 0);
  std::vector<std::uint8_t> frame(static_cast<std::size_t>(3 * h->width) * h->height);
  h->buffer = frame.data();
  h->stride = 3 * h->width;
  h->bufferSize = static_cast<std::uint32_t>(frame.size());
  for (int n : {count + 1, count / 2, 0}) {
    h->frameNumber = n;
    mpegGetFrame(h);
  }
  for (int n = 0; n <= count; ++n) {
    h->frameNumber = n;
    delivered += mpegGetFrame(h);
  }
  mpegClose(h);
  return delivered;
}

TEST(DamagedStreams, RemovedSliceIsConcealedFromTheForwardReference) {
  ScopedTempDir dir("mpeg_damaged_");
  const std::string es = dir.HostPath("video.m1v");
  ASSERT_EQ(std::system(("ffmpeg -nostdin -v error -y -i '" + VideoTestStream("ff_static_176x144.mpg") +
                         "' -c copy -f mpeg1video '" + es + "'")
                            .c_str()),
            0);
  Bytes video = ReadFileBytes(es);
  // The first P picture (second in coding order, frame 3): remove the slice
  // of macroblock row 4.
  const std::vector<std::size_t> codes = StartCodes(video);
  int pictures = 0;
  std::size_t cut = 0, cutEnd = 0;
  for (std::size_t i = 0; i + 1 < codes.size() && cut == 0; ++i) {
    const std::uint8_t code = video[codes[i] + 3];
    if (code == 0x00) ++pictures;
    if (pictures == 2 && code == 0x05) {
      cut = codes[i];
      cutEnd = codes[i + 1];
    }
  }
  ASSERT_NE(cut, 0u);
  video.erase(video.begin() + static_cast<std::ptrdiff_t>(cut), video.begin() + static_cast<std::ptrdiff_t>(cutEnd));
  dir.WriteFile("cut.m1v", video);
  const std::string damaged = dir.HostPath("cut.mpg");
  ASSERT_EQ(std::system(("ffmpeg -nostdin -v error -y -f mpegvideo -i '" + dir.HostPath("cut.m1v") +
                         "' -c copy -f mpeg '" + damaged + "'")
                            .c_str()),
            0);

  MPEG_VIDEO_HANDLE* h = mpegOpen(damaged.c_str());
  ASSERT_NE(h, nullptr);
  const OracleFrame reference = PlanesOf(*mpegFetchPicture(h->context, 0));
  const MPEG_OUTPUT_SLOT* slot = mpegFetchPicture(h->context, 3);
  ASSERT_NE(slot, nullptr);
  ASSERT_EQ(slot->info.pictureType, 2);
  const OracleFrame concealed = PlanesOf(*slot);
  const int w = h->width;
  for (int r = 64; r < 80; ++r)
    for (int x = 0; x < w; ++x) ASSERT_EQ(concealed.y[r * w + x], reference.y[r * w + x]) << r << "," << x;
  mpegClose(h);
  EXPECT_EQ(FetchAll(damaged), 30);
}

TEST(DamagedStreams, FlippedBytesAndCutEndsDecodeSafely) {
  ScopedTempDir dir("mpeg_damaged_");
  const Bytes original = ReadFileBytes(MpegFixture("s176x144_closed_end.mpg"));
  std::mt19937 random(5);
  for (int round = 0; round < 12; ++round) {
    Bytes damaged = original;
    for (int flips = 0; flips < 1 + round * 3; ++flips) damaged[random() % damaged.size()] ^= 1 << (random() % 8);
    FetchAll(dir.WriteFile("flipped.mpg", damaged));
  }
  for (std::size_t length : {original.size() / 5, original.size() / 2, original.size() - 1000, original.size() - 7}) {
    const Bytes cut(original.begin(), original.begin() + static_cast<std::ptrdiff_t>(length));
    FetchAll(dir.WriteFile("cut.mpg", cut));
  }
}

}  // namespace
}  // namespace reelpack
