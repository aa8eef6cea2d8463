// Decoding a 640 x 480, 20-second MPEG-1 stream to BGR24 frame by frame,
// against ffmpeg doing the same on one thread (a whole process, its start-up
// taken off), and against libavcodec's decoder alone in this process (its
// pictures stay YUV: the conversion is ours only). Times are CPU times (the
// child's for ffmpeg), which a loaded machine disturbs less than wall time.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "converter/mpeg/mpeg_video.h"
#include "peer_ratio.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    const std::string f = std::string(NOVEL_BINARY_DIR) + "/bench_video";
    const std::string make = std::string(NOVEL_SOURCE_DIR) + "/tools/make_video_test_streams.sh '" + f + "' bench";
    const std::string elementary = "ffmpeg -nostdin -v error -y -i '" + f + "/bench_640x480.mpg' -c copy -f mpeg1video '" +
                                   f + "/bench_640x480.m1v'";
    if (std::system(make.c_str()) != 0 || std::system(elementary.c_str()) != 0) std::abort();
    return f;
  }();
  return folder;
}
std::string Stream() { return Folder() + "/bench_640x480.mpg"; }

double CpuSeconds(auto&& work) {
  const std::clock_t start = std::clock();
  work();
  return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

double ChildCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double Median(std::vector<double> v) {
  std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
  return v[v.size() / 2];
}

// Returns the frames written.
int DecodeAllOurs() {
  reelpack::MPEG_VIDEO_HANDLE* h = reelpack::mpegOpen(Stream().c_str());
  if (h == nullptr) std::abort();
  const std::uint32_t stride = (3 * h->width + 3) & ~3;
  std::vector<std::uint8_t> frame(static_cast<std::size_t>(stride) * h->height);
  h->buffer = frame.data();
  h->stride = stride;
  h->bufferSize = static_cast<std::uint32_t>(frame.size());
  int frames = 0;
  for (int n = 0; n < h->frameCount; ++n) {
    h->frameNumber = n;
    frames += reelpack::mpegGetFrame(h);
  }
  benchmark::DoNotOptimize(frame.data());
  reelpack::mpegClose(h);
  return frames;
}

double FfmpegSeconds(const std::string& limit) {
  const std::string command =
      "ffmpeg -nostdin -v error -threads 1 -i '" + Stream() + "' " + limit + " -pix_fmt bgr24 -f null -";
  const double before = ChildCpuSeconds();
  if (std::system(command.c_str()) != 0) std::abort();
  return ChildCpuSeconds() - before;
}

// libavcodec's MPEG-1 decoder on the elementary stream, one thread.
int DecodeAllLibavcodec(const std::vector<std::uint8_t>& es) {
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MPEG1VIDEO);
  AVCodecContext* context = avcodec_alloc_context3(codec);
  context->thread_count = 1;
  avcodec_open2(context, codec, nullptr);
  AVCodecParserContext* parser = av_parser_init(AV_CODEC_ID_MPEG1VIDEO);
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  int frames = 0;
  auto drain = [&] {
    while (avcodec_receive_frame(context, frame) == 0) ++frames;
  };
  const std::uint8_t* data = es.data();
  int left = static_cast<int>(es.size());
  while (left > 0) {
    const int used = av_parser_parse2(parser, context, &packet->data, &packet->size, data, left, AV_NOPTS_VALUE,
                                      AV_NOPTS_VALUE, 0);
    data += used;
    left -= used;
    if (packet->size > 0 && avcodec_send_packet(context, packet) == 0) drain();
  }
  av_parser_parse2(parser, context, &packet->data, &packet->size, nullptr, 0, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
  if (packet->size > 0 && avcodec_send_packet(context, packet) == 0) drain();
  avcodec_send_packet(context, nullptr);
  drain();
  av_frame_free(&frame);
  av_packet_free(&packet);
  av_parser_close(parser);
  avcodec_free_context(&context);
  return frames;
}

void BM_MpegVideoToBgr24(benchmark::State& state) {
  int frames = 0;
  for (auto _ : state) frames = DecodeAllOurs();
  std::vector<double> ours, whole, startUp;
  for (int run = 0; run < 5; ++run) {
    ours.push_back(CpuSeconds([&] { DecodeAllOurs(); }));
    whole.push_back(FfmpegSeconds(""));
    startUp.push_back(FfmpegSeconds("-frames:v 1"));
  }
  const double ourPerFrame = Median(ours) / frames;
  const double ffmpegPerFrame = (Median(whole) - Median(startUp)) / frames;
  state.counters["frames"] = frames;
  state.counters["ms_per_frame"] = ourPerFrame * 1000;
  state.counters["ffmpeg_ms_per_frame"] = ffmpegPerFrame * 1000;
  state.counters["x_peer"] = ffmpegPerFrame > 0 ? ourPerFrame / ffmpegPerFrame : 0;

  std::FILE* file = std::fopen((Folder() + "/bench_640x480.m1v").c_str(), "rb");
  std::vector<std::uint8_t> es;
  for (int c; (c = std::fgetc(file)) != EOF;) es.push_back(static_cast<std::uint8_t>(c));
  std::fclose(file);
  es.resize(es.size() + AV_INPUT_BUFFER_PADDING_SIZE);
  const double peer = MedianCpuSecondsPerCall([&] { DecodeAllLibavcodec(es); }, 5, 1);
  const double mine = MedianCpuSecondsPerCall([&] { DecodeAllOurs(); }, 5, 1);
  state.counters["x_libavcodec_yuv"] = mine / peer;
}

}  // namespace

BENCHMARK(BM_MpegVideoToBgr24)->Unit(benchmark::kMillisecond)->Iterations(1);
