// Encoding one 640 x 480 BGR picture to progressive YCbCr 4:2:0 JPEG at
// quality 75 with tables fitted to each scan: our library in the plain class
// and in this processor's own class, each chosen through the "USECPU"
// override, against libjpeg-turbo's progressive encode with optimised tables
// (simple progression, accurate integer DCT, our quantisation tables). Both
// libraries' baseline encodes run beside them for scale.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "common/zigzag.h"
#include "jpeglib/jpeg_processor.h"
#include "jpeglib/jpeg_tables.h"
#include "jpeglib/jpeg_working_state.h"

#include "jpeg_bench_picture.h"
#include "libjpeg_encode.h"

namespace {

constexpr int kQuality = 75;

int OwnClass() {
  JPEG_CPU_INFO info{};
  identifyProcessor(info);
  return jpegClassFromCpuInfo(info);
}

// jpegInit with the processor class forced through the registry override.
void InitWithClass(JPEG_PROPERTIES& props, int processorClass) {
  const std::string store = "/tmp/jpeg_progressive_bench_" + std::to_string(getpid()) + ".reg";
  std::ofstream(store) << "[HKEY_LOCAL_MACHINE\\Software\\Reelpack\\JpegCodec]\n\"USECPU\"=dword:0000000"
                       << processorClass << "\n";
  setenv("NOVEL_REGISTRY_FILE", store.c_str(), 1);
  jpegInit(&props);
  unsetenv("NOVEL_REGISTRY_FILE");
  std::remove(store.c_str());
}

void EncodeOurs(benchmark::State& state, int processorClass, bool progressive) {
  if (processorClass < 0) processorClass = OwnClass();
  std::vector<std::uint8_t> output(static_cast<std::size_t>(kBenchStride) * kBenchHeight);
  JPEG_PROPERTIES props{};
  InitWithClass(props, processorClass);
  if (props.work == nullptr || props.work->processorClass != processorClass) {
    state.SkipWithError("class override not taken");
    jpegFree(&props);
    return;
  }
  props.work->progressive = progressive;
  props.quality = kQuality;
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = WriteBenchPicture(props, output);
    if (bytes == 0) state.SkipWithError("encode failed");
  }
  jpegFree(&props);
  state.counters["bytes"] = static_cast<double>(bytes);
  state.counters["class"] = processorClass;
}

// Our quality-scaled tables in natural order, as libjpeg-turbo takes them.
void UseOurTables(jpeg_compress_struct& cinfo) {
  const std::uint16_t* const bases[2] = {kJpegLuminanceQuant, kJpegChrominanceQuant};
  for (int t = 0; t < 2; ++t) {
    std::uint16_t scaled[64];
    jpegScaleQuantTable(kQuality, bases[t], scaled);
    unsigned natural[64];
    for (int i = 0; i < 64; ++i) natural[kZigzagToNatural[i]] = scaled[i];
    jpeg_add_quant_table(&cinfo, t, natural, 100, TRUE);
  }
}

void EncodeReference(benchmark::State& state, bool progressive) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    bytes = EncodeWithLibjpeg(BenchPicture().data(), kBenchWidth, kBenchHeight, JCS_EXT_BGR,
                              [progressive](jpeg_compress_struct& cinfo) {
                                UseOurTables(cinfo);
                                cinfo.dct_method = JDCT_ISLOW;
                                if (progressive) jpeg_simple_progression(&cinfo);
                                cinfo.optimize_coding = progressive ? TRUE : FALSE;
                              })
                .size();
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}

}  // namespace

BENCHMARK_CAPTURE(EncodeOurs, progressive_this_processor, -1, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeOurs, progressive_plain_class, 0, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeReference, progressive_optimised, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeOurs, baseline_this_processor, -1, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeOurs, baseline_plain_class, 0, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeReference, baseline, false)->Unit(benchmark::kMillisecond);
