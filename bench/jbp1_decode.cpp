// Decoding one 640 x 480 picture to RGB565: as a "JBP1" record on the
// engine's still and movie paths, and as the baseline JPEG the record was made
// from, with libjpeg-turbo. The record carries the JPEG's own quantised
// coefficients, so every decoder does the same entropy decoding, inverse DCT
// and colour conversion.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "converter/jbp1/jbp1_record_writer.h"
#include "engine/pictures/picture_decoder.h"

#include "libjpeg_encode.h"
#include "peer_ratio.h"

using reelpack::WriteJbpRecord;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// A photo-like test card: smooth shading, hard edges and fine texture.
std::vector<std::uint8_t> MakeRgbPicture() {
  std::vector<std::uint8_t> rgb(std::size_t{kWidth} * kHeight * 3);
  std::uint32_t noise = 12345;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      noise = noise * 1664525u + 1013904223u;
      const int grain = static_cast<int>(noise >> 28) - 8;
      const bool disc = std::hypot(x - 400, y - 200) < 120;
      const bool stripes = y > 330 && (x / 4 + y / 6) % 3 == 0;
      int r = disc ? 220 : x * 255 / kWidth;
      int g = stripes ? 235 : y * 255 / kHeight;
      int b = static_cast<int>(128 + 90 * std::sin(x * 0.03 + y * 0.02));
      std::uint8_t* pixel = &rgb[3 * (std::size_t{static_cast<unsigned>(y)} * kWidth + x)];
      for (int* channel : {&r, &g, &b}) *pixel++ = static_cast<std::uint8_t>(std::clamp(*channel + grain, 0, 255));
    }
  }
  return rgb;
}

// Baseline 4:2:0 JPEG at quality 80.
std::vector<std::uint8_t> EncodeJpeg(const std::vector<std::uint8_t>& rgb) {
  return EncodeWithLibjpeg(rgb.data(), kWidth, kHeight, JCS_RGB,
                           [](jpeg_compress_struct& cinfo) { jpeg_set_quality(&cinfo, 80, TRUE); });
}

// A libjpeg decompressor over a JPEG in memory, its header read.
struct JpegReader {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr error;

  explicit JpegReader(const std::vector<std::uint8_t>& jpeg) {
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), jpeg.size());
    jpeg_read_header(&cinfo, TRUE);
  }
  ~JpegReader() {
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
  }
};

// The JPEG's quantised coefficients in the record's block order, coded as a
// "JBP1" record.
std::vector<std::uint8_t> RecordFromJpeg(const std::vector<std::uint8_t>& jpeg) {
  JpegReader reader(jpeg);
  jpeg_decompress_struct& cinfo = reader.cinfo;
  jvirt_barray_ptr* planes = jpeg_read_coefficients(&cinfo);
  // Each plane's blocks copied out row by row, then interleaved per macroblock.
  std::vector<std::int16_t> plane[3];
  for (int ci = 0; ci < 3; ++ci) {
    const jpeg_component_info& component = cinfo.comp_info[ci];
    for (JDIMENSION row = 0; row < component.height_in_blocks; ++row) {
      JBLOCKARRAY line =
          cinfo.mem->access_virt_barray(reinterpret_cast<j_common_ptr>(&cinfo), planes[ci], row, 1, FALSE);
      for (JDIMENSION column = 0; column < component.width_in_blocks; ++column) {
        plane[ci].insert(plane[ci].end(), line[0][column], line[0][column] + 64);
      }
    }
  }
  const std::size_t columns = kWidth / 16;
  auto block = [&](int ci, std::size_t row, std::size_t column, std::size_t planeColumns) {
    return plane[ci].begin() + static_cast<std::ptrdiff_t>(64 * (row * planeColumns + column));
  };
  std::vector<std::int16_t> blocks;
  for (std::size_t row = 0; row < kHeight / 16; ++row) {
    for (std::size_t column = 0; column < columns; ++column) {
      for (int quadrant = 0; quadrant < 4; ++quadrant) {
        const auto start = block(0, 2 * row + quadrant / 2, 2 * column + quadrant % 2, 2 * columns);
        blocks.insert(blocks.end(), start, start + 64);
      }
      for (int ci = 1; ci < 3; ++ci) {
        const auto start = block(ci, row, column, columns);
        blocks.insert(blocks.end(), start, start + 64);
      }
    }
  }
  std::uint8_t luma[64];
  std::uint8_t chroma[64];
  for (int i = 0; i < 64; ++i) {
    luma[i] = static_cast<std::uint8_t>(cinfo.comp_info[0].quant_table->quantval[i]);
    chroma[i] = static_cast<std::uint8_t>(cinfo.comp_info[1].quant_table->quantval[i]);
  }
  std::vector<std::uint8_t> record;
  WriteJbpRecord({kWidth, kHeight, 80, blocks.data(), luma, chroma}, record);
  return record;
}

// Same work as the record's decoders: integer inverse DCT, chroma doubled
// without interpolation, undithered RGB565.
void DecodeJpegRgb565(const std::vector<std::uint8_t>& jpeg, std::vector<std::uint16_t>& raster) {
  JpegReader reader(jpeg);
  jpeg_decompress_struct& cinfo = reader.cinfo;
  cinfo.out_color_space = JCS_RGB565;
  cinfo.dct_method = JDCT_ISLOW;
  cinfo.do_fancy_upsampling = FALSE;
  cinfo.dither_mode = JDITHER_NONE;
  jpeg_start_decompress(&cinfo);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(&raster[std::size_t{cinfo.output_scanline} * kWidth]);
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
}

// How far the record's still-path raster lies from libjpeg-turbo's, in
// channel levels: a check that the benchmark times equal work.
void ReportAgreement(const std::vector<std::uint8_t>& jpeg, const std::vector<std::uint8_t>& record) {
  std::vector<std::uint16_t> reference(std::size_t{kWidth} * kHeight);
  std::vector<std::uint16_t> ours(reference.size());
  DecodeJpegRgb565(jpeg, reference);
  CPictureDecoder decoder;
  decoder.InitForImage();
  decoder.SetInput(record.data(), record.size());
  decoder.ParseHeader();
  decoder.SetOutput(ours.data(), ours.size() * 2);
  const int decoded = decoder.DecodeImage();
  int worst = 0;
  double total = 0;
  for (std::size_t i = 0; i < ours.size(); ++i) {
    for (const auto& [shift, mask] : {std::pair{11, 31}, std::pair{5, 63}, std::pair{0, 31}}) {
      const int difference = std::abs((ours[i] >> shift & mask) - (reference[i] >> shift & mask));
      worst = std::max(worst, difference);
      total += difference;
    }
  }
  std::fprintf(stderr, "still path vs libjpeg-turbo (decode %d): worst %d levels, mean %.3f\n", decoded, worst,
               total / (3.0 * ours.size()));
}

struct Inputs {
  std::vector<std::uint8_t> jpeg;
  std::vector<std::uint8_t> record;
};

const Inputs& TestInputs() {
  static const Inputs inputs = [] {
    Inputs made;
    made.jpeg = EncodeJpeg(MakeRgbPicture());
    made.record = RecordFromJpeg(made.jpeg);
    std::fprintf(stderr, "JPEG %zu bytes, JBP1 record %zu bytes\n", made.jpeg.size(), made.record.size());
    ReportAgreement(made.jpeg, made.record);
    return made;
  }();
  return inputs;
}

bool DecodeStill(const Inputs& inputs, std::vector<std::uint16_t>& raster) {
  CPictureDecoder decoder;  // stills get a fresh decoder each
  decoder.InitForImage();
  decoder.SetInput(inputs.record.data(), inputs.record.size());
  decoder.ParseHeader();
  decoder.Reset();
  decoder.SetOutput(raster.data(), raster.size() * 2);
  const bool decoded = decoder.DecodeImage() == 1;
  benchmark::DoNotOptimize(raster.data());
  return decoded;
}

// A movie's decoder, serving every frame.
struct MovieDecoder {
  CPictureDecoder decoder;
  explicit MovieDecoder(std::vector<std::uint16_t>& raster) {
    decoder.InitForMovie();
    decoder.SetOutput(raster.data(), raster.size() * 2);
  }
  bool DecodeFrame(const Inputs& inputs) {
    decoder.SetInput(inputs.record.data(), inputs.record.size());
    decoder.ParseHeader();
    return decoder.DecodeMovieFrame() == 1;
  }
};

void DecodePeer(const Inputs& inputs, std::vector<std::uint16_t>& raster) {
  DecodeJpegRgb565(inputs.jpeg, raster);
  benchmark::DoNotOptimize(raster.data());
}

// Each record path's time also as a ratio to libjpeg-turbo's, both measured
// in the same run.
void BM_Jbp1StillPath(benchmark::State& state) {
  const Inputs& inputs = TestInputs();
  std::vector<std::uint16_t> raster(std::size_t{kWidth} * kHeight);
  for (auto _ : state) {
    if (!DecodeStill(inputs, raster)) state.SkipWithError("decode failed");
  }
  ReportPeerRatio(state, [&] { DecodeStill(inputs, raster); }, [&] { DecodePeer(inputs, raster); });
}
BENCHMARK(BM_Jbp1StillPath)->Unit(benchmark::kMillisecond);

void BM_Jbp1MoviePath(benchmark::State& state) {
  const Inputs& inputs = TestInputs();
  std::vector<std::uint16_t> raster(std::size_t{kWidth} * kHeight);
  MovieDecoder movie(raster);
  for (auto _ : state) {
    if (!movie.DecodeFrame(inputs)) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(raster.data());
  }
  ReportPeerRatio(
      state,
      [&] {
        movie.DecodeFrame(inputs);
        benchmark::DoNotOptimize(raster.data());
      },
      [&] { DecodePeer(inputs, raster); });
}
BENCHMARK(BM_Jbp1MoviePath)->Unit(benchmark::kMillisecond);

void BM_LibjpegTurboRgb565(benchmark::State& state) {
  const Inputs& inputs = TestInputs();
  std::vector<std::uint16_t> raster(std::size_t{kWidth} * kHeight);
  for (auto _ : state) DecodePeer(inputs, raster);
}
BENCHMARK(BM_LibjpegTurboRgb565)->Unit(benchmark::kMillisecond);

}  // namespace
