// Decoding one 640 x 480 4:2:0 quality-75 JPEG (the converter's frame
// written by our library) to BGR: our library in the plain class and in this
// processor's class, against libjpeg-turbo decoding the same bytes to BGR
// with its integer transform, chroma repeated and chroma smoothed. x_peer is
// our time over the peer's, measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "jpeglib/jpeg_api.h"
#include "jpeglib/jpeg_working_state.h"

#include "jpeg_bench_picture.h"
#include "peer_ratio.h"

// Defines TRUE and FALSE as macros: after the project's headers.
#include <jpeglib.h>

namespace {

const std::vector<std::uint8_t>& BenchStream() {
  static const std::vector<std::uint8_t> stream = [] {
    std::vector<std::uint8_t> output(static_cast<std::size_t>(kBenchStride) * kBenchHeight);
    JPEG_PROPERTIES props{};
    jpegInit(&props);
    output.resize(WriteBenchPicture(props, output));
    jpegFree(&props);
    return output;
  }();
  return stream;
}

// The stream as it stands: a read leaves its input untouched, as the peer's
// does, so neither pays for a copy.
void DecodeOurs(int forcedClass, std::vector<std::uint8_t>& pixels) {
  const std::vector<std::uint8_t>& stream = BenchStream();
  JPEG_PROPERTIES props{};
  jpegInit(&props);
  if (forcedClass >= 0) jpegFillProcessorTable(props.work->table, forcedClass);
  props.imagePixels = pixels.data();
  props.imageWidth = kBenchWidth;
  props.imageHeight = kBenchHeight;
  props.imageChannels = 3;
  props.imageColor = JPEG_COLOR_BGR;
  props.jpegBuffer = const_cast<std::uint8_t*>(stream.data());
  props.jpegBufferSize = static_cast<std::uint32_t>(stream.size());
  if (jpegRead(&props, JPEG_READ_IMAGE_BUFFER) != JPEG_SUCCESS) std::fprintf(stderr, "decode failed\n");
  jpegFree(&props);
}

void DecodeReference(bool smooth, std::vector<std::uint8_t>& pixels) {
  const std::vector<std::uint8_t>& stream = BenchStream();
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, stream.data(), static_cast<unsigned long>(stream.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_EXT_BGR;
  cinfo.dct_method = JDCT_ISLOW;
  cinfo.do_fancy_upsampling = smooth ? TRUE : FALSE;
  jpeg_start_decompress(&cinfo);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = pixels.data() + static_cast<std::size_t>(cinfo.output_scanline) * kBenchStride;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
}

void Decode(benchmark::State& state, int forcedClass, bool smoothPeer) {
  std::vector<std::uint8_t> ours(static_cast<std::size_t>(kBenchStride) * kBenchHeight);
  std::vector<std::uint8_t> peer(ours.size());
  for (auto _ : state) DecodeOurs(forcedClass, ours);
  ReportPeerRatio(
      state, [&] { DecodeOurs(forcedClass, ours); }, [&] { DecodeReference(smoothPeer, peer); }, 10);
  state.counters["bytes"] = static_cast<double>(BenchStream().size());
}

void DecodePeer(benchmark::State& state, bool smooth) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kBenchStride) * kBenchHeight);
  for (auto _ : state) DecodeReference(smooth, pixels);
}

}  // namespace

BENCHMARK_CAPTURE(Decode, plain_class_vs_repeated_chroma, 0, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decode, this_processor_vs_repeated_chroma, -1, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decode, this_processor_vs_smoothed_chroma, -1, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodePeer, repeated_chroma, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodePeer, smoothed_chroma, true)->Unit(benchmark::kMillisecond);
