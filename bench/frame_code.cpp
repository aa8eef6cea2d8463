// Coding one turned 480 x 640 movie frame at quality 75 into a "JBP1"
// record (JPEG, coefficient read-back, record) against the same work done by
// libjpeg-turbo (encode, then read the coefficients back) and against
// ffmpeg's MJPEG encoder on one thread; and one frame that the rate control
// codes six times (five quality reductions).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "converter/jbp1/bmp_image.h"
#include "converter/jbp1/frame_coder.h"
#include "converter/jbp1/frame_rate_control.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/imgutils.h>
}

#include "libjpeg_encode.h"

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 640;
constexpr int kQuality = 75;

// Smooth waves, edges and a little noise: a camera frame's mix.
const reelpack::BmpImage& Frame() {
  static const reelpack::BmpImage image = [] {
    reelpack::BmpImage bmp = reelpack::MakeBmpImage(kWidth, kHeight);
    const std::size_t rowBytes = reelpack::BmpRowBytes(kWidth);
    unsigned seed = 1;
    for (int y = 0; y < kHeight; ++y) {
      std::uint8_t* row = reelpack::BmpRow(bmp, y, rowBytes);
      for (int x = 0; x < kWidth; ++x) {
        for (int c = 0; c < 3; ++c) {
          seed = seed * 1103515245u + 12345u;
          const double wave = 70.0 * std::sin(x * 0.05 + c) + 50.0 * std::cos(y * 0.07 - x * 0.01 * c);
          const int edge = ((x / 40 + y / 40) % 2) * 30;
          const int value = 100 + static_cast<int>(wave) + edge + static_cast<int>(seed >> 28) - 8;
          row[3 * x + c] = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
        }
      }
    }
    return bmp;
  }();
  return image;
}

void FrameRecordOurs(benchmark::State& state) {
  reelpack::CFrameCoder coder;
  std::vector<std::uint8_t> record;
  for (auto _ : state) {
    if (coder.BuildPictureRecord(Frame(), kQuality, record) != reelpack::FrameCodeStatus::kCoded) {
      state.SkipWithError("coding failed");
    }
  }
  state.counters["bytes"] = static_cast<double>(record.size());
}

void JpegAndCoefficientsLibjpeg(benchmark::State& state) {
  std::size_t jpegBytes = 0;
  for (auto _ : state) {
    // The frame's rows need no padding at this width, so they are packed.
    const std::vector<std::uint8_t> jpeg =
        EncodeWithLibjpeg(Frame().data() + reelpack::kBmpHeaderBytes, kWidth, kHeight, JCS_EXT_BGR,
                          [](jpeg_compress_struct& cinfo) {
                            jpeg_set_quality(&cinfo, kQuality, TRUE);
                            cinfo.dct_method = JDCT_ISLOW;
                            cinfo.optimize_coding = FALSE;
                          });
    jpegBytes = jpeg.size();
    jpeg_decompress_struct dinfo{};
    jpeg_error_mgr errors{};
    dinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&dinfo);
    jpeg_mem_src(&dinfo, jpeg.data(), jpeg.size());
    jpeg_read_header(&dinfo, TRUE);
    jvirt_barray_ptr* coefficients = jpeg_read_coefficients(&dinfo);
    benchmark::DoNotOptimize(coefficients);
    jpeg_finish_decompress(&dinfo);
    jpeg_destroy_decompress(&dinfo);
  }
  state.counters["bytes"] = static_cast<double>(jpegBytes);
}

// The MJPEG encoder takes planar 4:2:0; the frame is converted once, outside
// the timed loop.
void MjpegFfmpeg(benchmark::State& state) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
  AVCodecContext* context = codec ? avcodec_alloc_context3(codec) : nullptr;
  if (context == nullptr) {
    state.SkipWithError("no MJPEG encoder");
    return;
  }
  context->width = kWidth;
  context->height = kHeight;
  context->pix_fmt = AV_PIX_FMT_YUVJ420P;
  context->time_base = AVRational{1, 15};
  context->thread_count = 1;
  context->flags |= AV_CODEC_FLAG_QSCALE;
  context->global_quality = FF_QP2LAMBDA * 4;
  if (avcodec_open2(context, codec, nullptr) < 0) {
    state.SkipWithError("MJPEG encoder did not open");
    avcodec_free_context(&context);
    return;
  }
  AVFrame* frame = av_frame_alloc();
  frame->format = context->pix_fmt;
  frame->width = kWidth;
  frame->height = kHeight;
  av_frame_get_buffer(frame, 0);
  frame->quality = context->global_quality;
  const std::size_t rowBytes = reelpack::BmpRowBytes(kWidth);
  for (int y = 0; y < kHeight; ++y) {
    const std::uint8_t* row = Frame().data() + reelpack::kBmpHeaderBytes + y * rowBytes;
    for (int x = 0; x < kWidth; ++x) {
      const double b = row[3 * x], g = row[3 * x + 1], r = row[3 * x + 2];
      frame->data[0][y * frame->linesize[0] + x] = static_cast<std::uint8_t>(0.299 * r + 0.587 * g + 0.114 * b);
      if (x % 2 == 0 && y % 2 == 0) {
        frame->data[1][y / 2 * frame->linesize[1] + x / 2] =
            static_cast<std::uint8_t>(std::clamp(128 - 0.168736 * r - 0.331264 * g + 0.5 * b, 0.0, 255.0));
        frame->data[2][y / 2 * frame->linesize[2] + x / 2] =
            static_cast<std::uint8_t>(std::clamp(128 + 0.5 * r - 0.418688 * g - 0.081312 * b, 0.0, 255.0));
      }
    }
  }
  AVPacket* packet = av_packet_alloc();
  std::int64_t pts = 0;
  int bytes = 0;
  for (auto _ : state) {
    frame->pts = pts++;
    avcodec_send_frame(context, frame);
    while (avcodec_receive_packet(context, packet) == 0) {
      bytes = packet->size;
      av_packet_unref(packet);
    }
  }
  state.counters["bytes"] = bytes;
  av_packet_free(&packet);
  av_frame_free(&frame);
  avcodec_free_context(&context);
}

// A frame rate at which the record fits the default limit only five steps
// below the base quality.
double FiveStepFrameRate() {
  reelpack::CFrameCoder coder;
  std::vector<std::uint8_t> record;
  coder.BuildPictureRecord(Frame(), kQuality - 10, record);
  return reelpack::FrameBitRateLimit(45) / (8.0 * static_cast<double>(record.size()));
}

void FitFrameFiveReductions(benchmark::State& state) {
  reelpack::CFrameCoder coder;
  const reelpack::FrameRateSettings settings{kQuality, 45, FiveStepFrameRate()};
  int codings = 0;
  for (auto _ : state) {
    const auto fitted = reelpack::FitFrameToBitrate(coder, Frame(), settings);
    if (!fitted) state.SkipWithError("fitting failed");
    codings = fitted ? fitted->codings : 0;
  }
  state.counters["codings"] = codings;
}

}  // namespace

BENCHMARK(FrameRecordOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(JpegAndCoefficientsLibjpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(MjpegFfmpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(FitFrameFiveReductions)->Unit(benchmark::kMillisecond);
