// Encoding one 640 x 480 BGR picture to baseline 4:2:0 JPEG at quality 75,
// the converter's frame: our library (as selected for this processor, and
// forced to the plain class) against libjpeg-turbo with the same settings
// (accurate integer DCT, default tables, no optimisation), loaded at run time.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

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

// libjpeg-turbo through its library API, resolved with dlopen so the build
// needs only its header.
struct ReferenceLibrary {
  decltype(&jpeg_std_error) stdError = nullptr;
  decltype(&jpeg_CreateCompress) create = nullptr;
  decltype(&jpeg_set_defaults) setDefaults = nullptr;
  decltype(&jpeg_set_quality) setQuality = nullptr;
  decltype(&jpeg_mem_dest) memDest = nullptr;
  decltype(&jpeg_start_compress) start = nullptr;
  decltype(&jpeg_write_scanlines) writeScanlines = nullptr;
  decltype(&jpeg_finish_compress) finish = nullptr;
  decltype(&jpeg_destroy_compress) destroy = nullptr;
  bool loaded = false;

  ReferenceLibrary() {
    void* library = dlopen("libjpeg.so.62", RTLD_NOW);
    if (library == nullptr) return;
    auto load = [&](auto& entry, const char* name) {
      entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(dlsym(library, name));
      return entry != nullptr;
    };
    loaded = load(stdError, "jpeg_std_error") && load(create, "jpeg_CreateCompress") &&
             load(setDefaults, "jpeg_set_defaults") && load(setQuality, "jpeg_set_quality") &&
             load(memDest, "jpeg_mem_dest") && load(start, "jpeg_start_compress") &&
             load(writeScanlines, "jpeg_write_scanlines") && load(finish, "jpeg_finish_compress") &&
             load(destroy, "jpeg_destroy_compress");
  }
};

void EncodeReference(benchmark::State& state) {
  static const ReferenceLibrary library;
  if (!library.loaded) {
    state.SkipWithError("libjpeg.so.62 not found");
    return;
  }
  unsigned long bytes = 0;
  for (auto _ : state) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = library.stdError(&errors);
    library.create(&cinfo, JPEG_LIB_VERSION, sizeof cinfo);
    unsigned char* output = nullptr;
    unsigned long size = 0;
    library.memDest(&cinfo, &output, &size);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    library.setDefaults(&cinfo);
    library.setQuality(&cinfo, 75, TRUE);
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.optimize_coding = FALSE;
    library.start(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
      JSAMPROW row = const_cast<std::uint8_t*>(Picture().data()) + cinfo.next_scanline * kStride;
      library.writeScanlines(&cinfo, &row, 1);
    }
    library.finish(&cinfo);
    library.destroy(&cinfo);
    bytes = size;
    std::free(output);
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}

}  // namespace

BENCHMARK_CAPTURE(EncodeOurs, this_processor, -1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeOurs, plain_class, 0)->Unit(benchmark::kMillisecond);
BENCHMARK(EncodeReference)->Unit(benchmark::kMillisecond);
