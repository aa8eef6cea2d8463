// Fixtures of the conversion job tests: a stub frame source that paints each
// frame a colour telling its number, MPEG-1 streams made with ffmpeg, a job
// writing into a fresh folder, and readers of the movie it writes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "converter/job/conversion_job_record.h"
#include "tests/support/temp_dir_test.h"

namespace job_test {

// What the stub source reports and does; reset for each test.
struct StubVideo {
  bool refuse = false;
  std::int32_t frameCount = 0;
  std::uint32_t rateNumerator = 30000;
  std::uint32_t rateDenominator = 1001;
  int width = 64;
  int height = 48;
  std::set<int> failingFrames;                 // fetches of these fail
  std::function<void(int frame)> onFetch;      // called before each fetch
  std::vector<int> fetched;                    // frame numbers asked for
};
StubVideo& Stub();
reelpack::VideoSourceCalls StubVideoSource();

// The flat colour (blue, green, red) the stub paints source frame `frame`
// in, and the frame a decoded colour is nearest to.
std::array<std::uint8_t, 3> StubFrameColour(int frame);
int StubFrameOfColour(std::uint16_t rgb565);

// Makes an MPEG system stream with ffmpeg from a lavfi video source (and
// sound when `audio` is not empty); the ffmpeg options follow. Empty on
// failure.
std::string MakeStream(const std::string& path, const std::string& video, const std::string& audio,
                       const std::string& options);

// The converter's test sources, made once per test program: MPEG-1 system
// streams of the sizes, rates, picture orders and sound tracks users bring.
struct SourceFixture {
  const char* name;
  int width, height;
  bool sound;
};
const std::vector<SourceFixture>& SourceFixtures();
// The stream of a fixture (made on first use); empty when ffmpeg failed.
std::string FixturePath(const std::string& name);

// The little-endian word at offset.
std::uint32_t Word(const std::vector<std::uint8_t>& bytes, std::size_t offset);
// Record `frame` of a movie file.
std::vector<std::uint8_t> MovieRecord(const std::vector<std::uint8_t>& movie, std::uint32_t frame);

// A decoded movie record: width x height RGB565 pixels, rows packed.
struct DecodedFrame {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint16_t> pixels;
  std::uint16_t At(std::uint32_t x, std::uint32_t y) const { return pixels[y * width + x]; }
};
// Through the engine's movie decoder; empty pixels when it refuses.
DecodedFrame DecodeRecord(const std::vector<std::uint8_t>& record);

class JobTest : public TempDirTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A job reading input (a Linux path) into the folder "out" on one thread,
  // the stub as its source unless `real`.
  std::unique_ptr<reelpack::CMpegFileConv> Job(const std::string& input, bool real = false);
  void Configure(reelpack::CMpegFileConv& job, const std::string& input, bool real) const;
  // A small MPEG-1 stream with Layer II sound: 320 x 240 at 30000/1001, B
  // pictures, 44.1 kHz stereo, `seconds` long.
  std::string SoundStream(const std::string& name, double seconds = 2.0) const;
  std::string Out(const std::string& name) const { return dir_.HostPath("out/" + name); }
  // The names in "out", sorted.
  std::vector<std::string> OutNames() const;
  std::vector<std::uint8_t> OutBytes(const std::string& name) const;
};

}  // namespace job_test
