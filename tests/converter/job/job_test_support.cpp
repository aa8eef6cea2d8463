#include "tests/converter/job/job_test_support.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "engine/pictures/picture_decoder.h"
#include "host/module/module_api.h"
#include "host/run/call_log.h"
#include "tests/support/file_bytes.h"
#include "tests/support/pcm_signal.h"
#include "tests/support/scoped_temp_dir.h"

namespace job_test {
namespace {

reelpack::MPEG_VIDEO_HANDLE* StubOpen(const char*, reelpack::MpegOpenResult* result) {
  if (Stub().refuse) {
    *result = reelpack::kMpegNoVideo;
    return nullptr;
  }
  auto* handle = new reelpack::MPEG_VIDEO_HANDLE{};
  handle->frameCount = Stub().frameCount;
  handle->rateNumerator = Stub().rateNumerator;
  handle->rateDenominator = Stub().rateDenominator;
  handle->width = Stub().width;
  handle->height = Stub().height;
  handle->bitsPerPixel = 24;
  return handle;
}

int StubGetFrame(reelpack::MPEG_VIDEO_HANDLE* handle) {
  const int frame = handle->frameNumber;
  Stub().fetched.push_back(frame);
  if (Stub().onFetch) Stub().onFetch(frame);
  if (Stub().failingFrames.count(frame) != 0) return 0;
  const std::array<std::uint8_t, 3> colour = StubFrameColour(frame);
  for (int y = 0; y < handle->height; ++y) {
    std::uint8_t* row = handle->buffer + static_cast<std::size_t>(y) * handle->stride;
    for (int x = 0; x < handle->width; ++x) std::memcpy(row + 3 * x, colour.data(), 3);
  }
  return 1;
}

void StubClose(reelpack::MPEG_VIDEO_HANDLE* handle) { delete handle; }

}  // namespace

StubVideo& Stub() {
  static StubVideo stub;
  return stub;
}

reelpack::VideoSourceCalls StubVideoSource() { return {StubOpen, StubGetFrame, StubClose}; }

// Blue and green carry the frame number in steps of 16, wide enough apart to
// survive the JPEG coding and RGB565.
std::array<std::uint8_t, 3> StubFrameColour(int frame) {
  return {static_cast<std::uint8_t>(frame % 16 * 16 + 8), static_cast<std::uint8_t>(frame / 16 % 16 * 16 + 8), 200};
}

int StubFrameOfColour(std::uint16_t rgb565) {
  const int blue = (rgb565 & 0x1F) << 3;
  const int green = ((rgb565 >> 5) & 0x3F) << 2;
  return blue / 16 + 16 * (green / 16);
}

std::string MakeStream(const std::string& path, const std::string& video, const std::string& audio,
                       const std::string& options) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i '" + video + "'";
  if (!audio.empty()) command += " -f lavfi -i '" + audio + "'";
  command += " " + options + " '" + path + "'";
  return pcm_signal::Run(command) ? path : std::string();
}

namespace {

struct FixtureRecipe {
  SourceFixture fixture;
  const char* video;
  const char* audio;
  const char* options;
};

const std::vector<FixtureRecipe>& Recipes() {
  static const std::vector<FixtureRecipe> recipes = {
      {{"ntsc320", 320, 240, true}, "testsrc2=size=320x240:rate=30000/1001", "sine=frequency=440:sample_rate=44100",
       "-t 2 -c:v mpeg1video -bf 2 -q:v 4 -c:a mp2 -ac 2 -b:a 192k -f mpeg"},
      {{"vga", 640, 480, true}, "mandelbrot=size=640x480:rate=30000/1001", "sine=frequency=660:sample_rate=48000",
       "-t 2 -c:v mpeg1video -bf 2 -q:v 4 -c:a mp2 -ac 2 -b:a 192k -f mpeg"},
      {{"pal352", 352, 288, true}, "testsrc2=size=352x288:rate=25", "sine=frequency=330:sample_rate=32000",
       "-t 2 -c:v mpeg1video -bf 2 -q:v 4 -c:a mp2 -ac 1 -b:a 96k -f mpeg"},
      {{"nob352", 352, 240, false}, "testsrc2=size=352x240:rate=30000/1001", "",
       "-t 2 -c:v mpeg1video -bf 0 -q:v 4 -f mpeg"},
      {{"film640", 640, 448, true}, "testsrc2=size=640x448:rate=24000/1001", "sine=frequency=500:sample_rate=44100",
       "-t 2 -c:v mpeg1video -bf 2 -q:v 4 -c:a mp2 -ac 2 -b:a 192k -f mpeg"},
      {{"qcif", 176, 144, true}, "testsrc2=size=176x144:rate=25", "sine=frequency=550:sample_rate=44100",
       "-t 2 -c:v mpeg1video -bf 2 -q:v 4 -c:a mp2 -ac 2 -b:a 128k -f mpeg"},
  };
  return recipes;
}

}  // namespace

const std::vector<SourceFixture>& SourceFixtures() {
  static const std::vector<SourceFixture> fixtures = [] {
    std::vector<SourceFixture> list;
    for (const FixtureRecipe& recipe : Recipes()) list.push_back(recipe.fixture);
    return list;
  }();
  return fixtures;
}

std::string FixturePath(const std::string& name) {
  static ScopedTempDir folder("job_sources_");
  const std::string path = folder.HostPath(name + ".mpg");
  if (std::filesystem::exists(path)) return path;
  for (const FixtureRecipe& recipe : Recipes()) {
    if (name == recipe.fixture.name) return MakeStream(path, recipe.video, recipe.audio, recipe.options);
  }
  return {};
}

std::uint32_t Word(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  if (offset + 4 > bytes.size()) return 0xDEADBEEF;
  return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

std::vector<std::uint8_t> MovieRecord(const std::vector<std::uint8_t>& movie, std::uint32_t frame) {
  const std::uint32_t start = Word(movie, 0x2C) + Word(movie, 48 + 24 * frame + 16);
  const std::uint32_t size = Word(movie, 48 + 24 * frame + 4);
  if (start > movie.size() || size > movie.size() - start) return {};
  return {movie.begin() + start, movie.begin() + start + size};
}

DecodedFrame DecodeRecord(const std::vector<std::uint8_t>& record) {
  CPictureDecoder decoder;
  decoder.InitForMovie();
  decoder.SetInput(record.data(), record.size());
  DecodedFrame frame;
  if (decoder.ParseHeader() != 1) return frame;
  decoder.Reset();
  const std::uint32_t alignedWidth = (decoder.Width() + 15) / 16 * 16;
  std::vector<std::uint16_t> aligned(alignedWidth * ((decoder.Height() + 15) / 16 * 16));
  decoder.SetOutput(aligned.data(), aligned.size() * 2);
  if (decoder.DecodeMovieFrame() != 1) return frame;
  frame.width = decoder.Width();
  frame.height = decoder.Height();
  for (std::uint32_t y = 0; y < frame.height; ++y) {
    const auto row = aligned.begin() + y * alignedWidth;
    frame.pixels.insert(frame.pixels.end(), row, row + frame.width);
  }
  return frame;
}

void JobTest::SetUp() {
  // The MP3 encoder module is found beside the program.
  HostSetModulePath(NOVEL_BINARY_DIR "/bin/reelpack");
  Stub() = StubVideo{};
  std::filesystem::create_directories(dir_.HostPath("out"));
}

void JobTest::TearDown() {
  HostClearFailures();
  HostSetModulePath("");
  Stub() = StubVideo{};
}

std::unique_ptr<reelpack::CMpegFileConv> JobTest::Job(const std::string& input, bool real) {
  auto job = std::make_unique<reelpack::CMpegFileConv>(7, 0, 0);
  Configure(*job, input, real);
  return job;
}

void JobTest::Configure(reelpack::CMpegFileConv& job, const std::string& input, bool real) const {
  std::snprintf(job.m_inputPath, sizeof(job.m_inputPath), "%s", input.c_str());
  std::snprintf(job.m_outputFolder, sizeof(job.m_outputFolder), "%s", dir_.HostPath("out").c_str());
  job.m_quality = 5;
  job.m_maxRateSetting = 45;
  job.m_threads = 1;
  if (!real) job.m_videoSource = StubVideoSource();
}

std::string JobTest::SoundStream(const std::string& name, double seconds) const {
  return MakeStream(dir_.HostPath(name), "testsrc2=size=320x240:rate=30000/1001",
                    "sine=frequency=440:sample_rate=44100",
                    "-t " + std::to_string(seconds) +
                        " -ac 2 -c:v mpeg1video -bf 2 -q:v 4 -c:a mp2 -b:a 192k -f mpeg");
}

std::vector<std::string> JobTest::OutNames() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.HostPath("out"))) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::uint8_t> JobTest::OutBytes(const std::string& name) const { return ReadFileBytes(Out(name)); }

}  // namespace job_test
