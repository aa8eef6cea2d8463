#include "video_oracle.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include <gtest/gtest.h>

namespace reelpack {
namespace {

using Pipe = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

Pipe OpenPipe(const std::string& command) { return Pipe(popen(command.c_str(), "r"), pclose); }

}  // namespace

std::vector<OracleFrame> OracleFrames(const std::string& path, int width, int height, const std::string& idct) {
  const std::string command = "ffmpeg -v error -threads 1 " + (idct.empty() ? "" : "-idct " + idct + " ") + "-i '" +
                              path + "' -fps_mode passthrough -f rawvideo -pix_fmt yuv420p -";
  Pipe pipe = OpenPipe(command);
  const std::size_t lumaSize = static_cast<std::size_t>(width) * height;
  const std::size_t chromaSize = static_cast<std::size_t>((width + 1) / 2) * ((height + 1) / 2);
  std::vector<OracleFrame> frames;
  for (;;) {
    OracleFrame f{std::vector<std::uint8_t>(lumaSize), std::vector<std::uint8_t>(chromaSize),
                  std::vector<std::uint8_t>(chromaSize)};
    if (std::fread(f.y.data(), 1, lumaSize, pipe.get()) != lumaSize ||
        std::fread(f.cb.data(), 1, chromaSize, pipe.get()) != chromaSize ||
        std::fread(f.cr.data(), 1, chromaSize, pipe.get()) != chromaSize)
      break;
    frames.push_back(std::move(f));
  }
  return frames;
}

std::string OraclePictureTypes(const std::string& path) {
  Pipe pipe = OpenPipe("ffprobe -v error -select_streams v -show_entries frame=pict_type -of csv=p=0 '" + path + "'");
  std::string types;
  for (int c; (c = std::fgetc(pipe.get())) != EOF;)
    if (c == 'I' || c == 'P' || c == 'B') types += static_cast<char>(c);
  return types;
}

OracleFrame PlanesOf(const MPEG_OUTPUT_SLOT& slot) {
  const MPEG_PICTURE& p = *slot.picture;
  const int w = slot.shownWidth, h = slot.shownHeight, cw = (w + 1) / 2, ch = (h + 1) / 2;
  OracleFrame f;
  for (int r = 0; r < h; ++r) f.y.insert(f.y.end(), p.planeY + r * p.width, p.planeY + r * p.width + w);
  for (int r = 0; r < ch; ++r) {
    f.cb.insert(f.cb.end(), p.planeCb + r * p.width, p.planeCb + r * p.width + cw);
    f.cr.insert(f.cr.end(), p.planeCr + r * p.width, p.planeCr + r * p.width + cw);
  }
  return f;
}

double Psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
  if (sum == 0 || a.empty()) return 99;
  return 10 * std::log10(255.0 * 255.0 * static_cast<double>(a.size()) / sum);
}

int PeakDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  int peak = 0;
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) peak = std::max(peak, std::abs(a[i] - b[i]));
  return peak;
}

std::string MpegFixture(const std::string& name) { return std::string(NOVEL_TEST_DATA_DIR) + "/mpeg_stream/" + name; }

// Made once and kept: every test runs in a process of its own, and a lock
// keeps parallel tests from making them twice.
std::string VideoTestStream(const std::string& name) {
  const std::filesystem::path folder = std::filesystem::path(NOVEL_BINARY_DIR) / "test_video_streams";
  std::filesystem::create_directories(folder);
  const int lock = open((folder / "lock").c_str(), O_CREAT | O_RDWR, 0644);
  flock(lock, LOCK_EX);
  if (!std::filesystem::exists(folder / "complete")) {
    const std::string command =
        std::string(NOVEL_TEST_DATA_DIR) + "/../../tools/make_video_test_streams.sh '" + folder.string() + "'";
    if (std::system(command.c_str()) != 0) ADD_FAILURE() << command;
  }
  flock(lock, LOCK_UN);
  close(lock);
  return (folder / name).string();
}

}  // namespace reelpack
