// The whole conversion job on 20 seconds of 640 x 480 MPEG-1 at 29.97 frames
// per second with 48 kHz Layer II sound, beside ffmpeg doing the same work
// on one thread (the same kept frames, area scaling and a quarter turn,
// MJPEG at -q:v 5, LAME at the same MP3 settings) in the same run. Ours is
// timed on one thread (CPU seconds) and on all the machine's threads (wall
// seconds); ffmpeg is a child process, timed in CPU seconds. The input is
// made once beside the build.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "common/sjis_string.h"
#include "converter/job/conversion_job_record.h"
#include "host/module/module_api.h"

namespace {

const std::string kFolder = NOVEL_BINARY_DIR "/bench_conversion_job";

const std::string& Input() {
  static const std::string input = [] {
    std::filesystem::create_directories(kFolder);
    const std::string path = kFolder + "/vga_20s.mpg";
    if (!std::filesystem::exists(path)) {
      const std::string command =
          "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc2=size=640x480:rate=30000/1001 "
          "-f lavfi -i sine=frequency=440:sample_rate=48000 -t 20 -ac 2 -c:v mpeg1video -q:v 4 -bf 2 "
          "-c:a mp2 -b:a 192k -f mpeg " + path;
      if (std::system(command.c_str()) != 0) std::abort();
    }
    return path;
  }();
  return input;
}

double ChildCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double SelfCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

struct JobTimes {
  double wall = 0;
  double cpu = 0;
  bool written = false;
};

JobTimes RunJob(int sizeIndex, int frameRateMode, int threads) {
  reelpack::CMpegFileConv job(7, 1, 1);  // MP3 128 kbit/s, 44,100 Hz stereo
  StrCopy(job.m_inputPath, sizeof(job.m_inputPath), Input().c_str());
  StrCopy(job.m_outputFolder, sizeof(job.m_outputFolder), kFolder.c_str());
  job.m_sizeIndex = sizeIndex;
  job.m_frameRateMode = frameRateMode;
  job.m_quality = 5;  // JPEG quality 75
  job.m_maxRateSetting = 45;
  job.m_threads = threads;
  JobTimes times;
  const double cpuBefore = SelfCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  job.Run();
  times.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  times.cpu = SelfCpuSeconds() - cpuBefore;
  times.written = job.m_video.status == reelpack::VideoPassStatus::Written &&
                  job.m_audioExport.status == reelpack::AudioExportStatus::Written;
  return times;
}

// args: size index (1 640 x 480, 0 320 x 240), frame-rate mode (1 every frame, 0 every second one).
void BM_ConversionJobTwentySeconds(benchmark::State& state) {
  const int sizeIndex = static_cast<int>(state.range(0));
  const int mode = static_cast<int>(state.range(1));
  HostSetModulePath(NOVEL_BINARY_DIR "/bin/reelpack");
  const std::string size = sizeIndex == 1 ? "640:480" : "320:240";
  const std::string select = mode == 0 ? "select='eq(mod(n\\,2)\\,1)'," : "";
  const std::string peer = "ffmpeg -nostdin -hide_banner -loglevel error -y -threads 1 -filter_threads 1 -i " +
                           Input() + " -map 0:v -vf \"" + select + "scale=" + size +
                           ":flags=area,transpose=2\" -fps_mode passthrough -c:v mjpeg -q:v 5 -f mjpeg " + kFolder +
                           "/peer.mjpeg -map 0:a -c:a libmp3lame -b:a 128k -ar 44100 -ac 2 " + kFolder + "/peer.mp3";
  JobTimes one;
  JobTimes all;
  double theirs = 0;
  // The first run in a process pays for first use (the file cache, the
  // page memory of the sound pass); it is not counted.
  RunJob(sizeIndex, mode, 1);
  for (auto _ : state) {
    one = RunJob(sizeIndex, mode, 1);
    all = RunJob(sizeIndex, mode, 0);
    if (!one.written || !all.written) state.SkipWithError("the job failed");
    const double before = ChildCpuSeconds();
    if (std::system(peer.c_str()) != 0) state.SkipWithError("ffmpeg failed");
    theirs = ChildCpuSeconds() - before;
  }
  state.counters["ffmpeg_s"] = theirs;
  state.counters["one_thread_cpu_s"] = one.cpu;
  state.counters["all_threads_wall_s"] = all.wall;
  state.counters["all_threads_cpu_s"] = all.cpu;
  state.counters["x_peer_one_thread"] = theirs > 0 ? one.cpu / theirs : 0;
  state.counters["x_peer_all_threads"] = theirs > 0 ? all.wall / theirs : 0;
  state.counters["thread_speedup"] = all.wall > 0 ? one.wall / all.wall : 0;
  state.counters["peak_mb"] = PeakMegabytes();
  HostSetModulePath("");
}
BENCHMARK(BM_ConversionJobTwentySeconds)
    ->ArgNames({"size", "mode"})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
