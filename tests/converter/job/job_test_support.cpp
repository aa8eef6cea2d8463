#include "tests/converter/job/job_test_support.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "engine/pictures/picture_decoder.h"
#include "host/run/call_log.h"
#include "tests/support/file_bytes.h"
#include "tests/support/pcm_signal.h"

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
  Stub() = StubVideo{};
  std::filesystem::create_directories(dir_.HostPath("out"));
}

void JobTest::TearDown() {
  HostClearFailures();
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
