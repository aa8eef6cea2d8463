// Encoding one 640 x 480 BGR picture to baseline 4:2:0 JPEG at quality 75,
// the converter's frame: our library (as selected for this processor, forced
// to the plain class and to each SIMD class) against libjpeg-turbo with the
// same settings (accurate integer DCT, default tables, no optimisation).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "jpeglib/jpeg_api.h"
#include "jpeglib/jpeg_working_state.h"

// After our headers: it defines TRUE and FALSE as macros.
#include <jpeglib.h>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kStride = kWidth * 3;

const std::vector<std::uint8_t>& Picture() {
  static const std::vector<std::uint8_t> pixels = [] {
    std::vector<std::uint8_t> bgr(static_cast<std::size_t>(kStride) * kHeight);
    unsigned seed = 1;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        for (int c = 0; c < 3; ++c) {
          seed = seed * 1103515245u + 12345u;
          const double wave = 70.0 * std::sin(x * 0.05 + c) + 50.0 * std::cos(y * 0.07 - x * 0.01 * c);
          const int value = 128 + static_cast<int>(wave) + static_cast<int>(seed >> 28) - 8;
          bgr[static_cast<std::size_t>(y) * kStride + x * 3 + c] = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
        }
      }
    }
    return bgr;
  }();
  return pixels;
}

void EncodeOurs(benchmark::State& state, int forcedClass) {
  std::vector<std::uint8_t> output(static_cast<std::size_t>(kStride) * kHeight);
  std::size_t bytes = 0;
  for (auto _ : state) {
    JPEG_PROPERTIES props{};
    jpegInit(&props);
    if (forcedClass >= 0) jpegFillProcessorTable(props.work->table, forcedClass);
    props.imagePixels = const_cast<std::uint8_t*>(Picture().data());
    props.imageWidth = props.jpegWidth = kWidth;
    props.imageHeight = props.jpegHeight = kHeight;
    props.jpegBuffer = output.data();
    props.jpegBufferSize = static_cast<std::uint32_t>(output.size());
    if (jpegWrite(&props, JPEG_WRITE_IMAGE_BUFFER) != JPEG_SUCCESS) state.SkipWithError("encode failed");
    bytes = props.jpegBufferSize;
    jpegFree(&props);
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}

void EncodeReference(benchmark::State& state) {
  unsigned long bytes = 0;
  for (auto _ : state) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* output = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &output, &size);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 75, TRUE);
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.optimize_coding = FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
      JSAMPROW row = const_cast<std::uint8_t*>(Picture().data()) + cinfo.next_scanline * kStride;
      jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    bytes = size;
    std::free(output);
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}

}  // namespace

BENCHMARK_CAPTURE(EncodeOurs, this_processor, -1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeOurs, plain_class, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeOurs, mmx_class, 3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeOurs, sse_class, 5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeOurs, sse2_class, 6)->Unit(benchmark::kMillisecond);
BENCHMARK(EncodeReference)->Unit(benchmark::kMillisecond);
