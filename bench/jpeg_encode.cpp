// Encoding one 640 x 480 BGR picture to baseline 4:2:0 JPEG at quality 75,
// the converter's frame: our library (as selected for this processor, forced
// to the plain class and to each SIMD class) against libjpeg-turbo with the
// same settings (accurate integer DCT, default tables, no optimisation).
#include <benchmark/benchmark.h>

#include <vector>

#include "jpeglib/jpeg_api.h"
#include "jpeglib/jpeg_working_state.h"

#include "jpeg_bench_picture.h"
#include "libjpeg_encode.h"

namespace {

void EncodeOurs(benchmark::State& state, int forcedClass) {
  std::vector<std::uint8_t> output(static_cast<std::size_t>(kBenchStride) * kBenchHeight);
  std::size_t bytes = 0;
  for (auto _ : state) {
    JPEG_PROPERTIES props{};
    jpegInit(&props);
    if (forcedClass >= 0) jpegFillProcessorTable(props.work->table, forcedClass);
    bytes = WriteBenchPicture(props, output);
    if (bytes == 0) state.SkipWithError("encode failed");
    jpegFree(&props);
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}

void EncodeReference(benchmark::State& state) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = EncodeWithLibjpeg(BenchPicture().data(), kBenchWidth, kBenchHeight, JCS_EXT_BGR,
                              [](jpeg_compress_struct& cinfo) {
                                jpeg_set_quality(&cinfo, 75, TRUE);
                                cinfo.dct_method = JDCT_ISLOW;
                                cinfo.optimize_coding = FALSE;
                              })
                .size();
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
