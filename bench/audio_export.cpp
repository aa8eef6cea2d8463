// The whole audio pass (Layer II decode, rate conversion, encoding, the
// track's write) on ten minutes of 44.1 kHz stereo Layer II at 192 kbit/s in
// a system stream, beside ffmpeg doing the same transcode with one thread and
// the same encoders and resampler, in the same run. Both are timed in CPU
// seconds: ours in this process, ffmpeg's as a child. The input is made once
// beside the build (AUDIO_EXPORT_BENCH_FILE names another).
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "converter/job/conversion_job_record.h"
#include "common/sjis_string.h"
#include "host/module/module_api.h"

namespace {

const std::string kFolder = NOVEL_BINARY_DIR "/bench_audio_export";

const std::string& Input() {
  static const std::string input = [] {
    if (const char* path = std::getenv("AUDIO_EXPORT_BENCH_FILE")) return std::string(path);
    std::filesystem::create_directories(kFolder);
    const std::string path = kFolder + "/ten_minutes.mpg";
    if (!std::filesystem::exists(path)) {
      const std::string command =
          "ffmpeg -hide_banner -loglevel error -y -f lavfi -i \"aevalsrc='0.4*sin(2*PI*1000*t)+0.1*sin(2*PI*6100*t)|"
          "0.4*sin(2*PI*1500*t)+0.1*sin(2*PI*9300*t)':s=44100:d=600\" -c:a mp2 -b:a 192k -f mpeg " + path;
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

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// args: encoder (0 MP3, 1 Ogg), sample-rate index (1 44,100 Hz stereo, 0 22,050 Hz mono).
void BM_AudioPassTenMinutes(benchmark::State& state) {
  const int encoder = static_cast<int>(state.range(0));
  const int sampleRateIndex = static_cast<int>(state.range(1));
  const bool stereo = sampleRateIndex == 1;
  HostSetModulePath(NOVEL_BINARY_DIR "/bin/reelpack");
  reelpack::CMpegFileConv job(7, sampleRateIndex, stereo ? 1 : 0);  // 128 kbit/s stereo, 64 mono; Ogg 0.6
  job.m_encoder = encoder;
  StrCopy(job.m_inputPath, sizeof(job.m_inputPath), Input().c_str());
  StrCopy(job.m_outputFolder, sizeof(job.m_outputFolder), kFolder.c_str());
  const std::string peerOut = kFolder + "/peer" + (encoder ? ".ogg" : ".mp3");
  const std::string codec = encoder ? "-c:a libvorbis -q:a 6" : stereo ? "-c:a libmp3lame -b:a 128k" : "-c:a libmp3lame -b:a 64k";
  const std::string mix = stereo ? "" : "pan=mono|c0=0.5*c0+0.5*c1,";
  const std::string peer = "ffmpeg -hide_banner -loglevel error -y -threads 1 -i " + Input() + " -af '" + mix +
                           "aresample=resampler=soxr' -ar " + (stereo ? "44100" : "22050") + " " + codec + " " +
                           peerOut;
  double ours = 0;
  double theirs = 0;
  for (auto _ : state) {
    const std::clock_t start = std::clock();
    const reelpack::AudioExportResult result = job.ExportAudioTrack();
    ours = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    if (result.status != reelpack::AudioExportStatus::Written) state.SkipWithError(result.text.c_str());
    const double before = ChildCpuSeconds();
    if (std::system(peer.c_str()) != 0) state.SkipWithError("ffmpeg failed");
    theirs = ChildCpuSeconds() - before;
  }
  state.counters["ours_s"] = ours;
  state.counters["ffmpeg_s"] = theirs;
  state.counters["x_peer"] = theirs > 0 ? ours / theirs : 0;
  state.counters["peak_mb"] = PeakMegabytes();
  HostSetModulePath("");
}
BENCHMARK(BM_AudioPassTenMinutes)
    ->ArgNames({"ogg", "rate44k"})
    ->Args({0, 1})
    ->Args({0, 0})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
