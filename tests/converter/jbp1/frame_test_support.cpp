#include "frame_test_support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "converter/jbp1/frame_coder.h"
#include "tests/support/file_bytes.h"

// After our headers: it defines TRUE and FALSE as macros.
#include <jpeglib.h>

namespace {

std::string FrameName(const std::string& source, int width, int height) {
  return source + "_" + std::to_string(width) + "x" + std::to_string(height) + ".bmp";
}

std::string LavfiInput(const std::string& source, int width, int height) {
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  if (source == "noise") return "color=c=gray:s=" + size + ",noise=alls=100:allf=t+u";
  return source + "=size=" + size + ":rate=1";
}

// The frames are made once per build folder and kept there: every test runs
// in a process of its own, and ffmpeg takes seconds to start. A lock keeps
// parallel tests from making them twice.
std::map<std::string, BmpImage> LoadAllFrames() {
  const std::filesystem::path folder = std::filesystem::path(NOVEL_BINARY_DIR) / "test_frames";
  std::filesystem::create_directories(folder);
  const int lock = open((folder / "lock").c_str(), O_CREAT | O_RDWR, 0644);
  EXPECT_GE(lock, 0);
  flock(lock, LOCK_EX);
  if (!std::filesystem::exists(folder / "complete")) {
    std::string inputs;
    std::string outputs;
    int index = 0;
    for (const char* source : kFrameSources) {
      for (const FrameSize& size : kFrameSizes) {
        inputs += " -f lavfi -i '" + LavfiInput(source, size.width, size.height) + "'";
        outputs += " -map " + std::to_string(index++) + " -frames:v 1 -pix_fmt bgr24 '" +
                   (folder / FrameName(source, size.width, size.height)).string() + "'";
      }
    }
    const std::string command = "ffmpeg -nostdin -v error -y" + inputs + outputs;
    if (std::system(command.c_str()) == 0) {
      std::ofstream(folder / "complete") << "made by: " << command << "\n";
    } else {
      ADD_FAILURE() << command;
    }
  }
  std::map<std::string, BmpImage> frames;
  for (const char* source : kFrameSources) {
    for (const FrameSize& size : kFrameSizes) {
      const std::string name = FrameName(source, size.width, size.height);
      frames[name] = ReadFileBytes((folder / name).string());
    }
  }
  flock(lock, LOCK_UN);
  close(lock);
  return frames;
}

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

void ErrorExit(j_common_ptr cinfo) { std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1); }
void Silence(j_common_ptr, int) {}

void InstallErrors(j_common_ptr cinfo, ErrorManager& errors) {
  cinfo->err = jpeg_std_error(&errors.base);
  errors.base.error_exit = ErrorExit;
  errors.base.emit_message = Silence;
}

// Runs body on a decompressor over the stream with its header read, then
// finishes; false when libjpeg-turbo reports an error.
template <typename Body>
bool WithDecompressor(const std::vector<std::uint8_t>& jpeg, Body body) {
  jpeg_decompress_struct cinfo{};
  ErrorManager errors;
  InstallErrors(reinterpret_cast<j_common_ptr>(&cinfo), errors);
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&cinfo, TRUE);
  body(cinfo);
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

}  // namespace

const BmpImage& SourceFrame(const std::string& source, int width, int height) {
  static const std::map<std::string, BmpImage> frames = LoadAllFrames();
  static const BmpImage none;
  const auto found = frames.find(FrameName(source, width, height));
  return found == frames.end() ? none : found->second;
}

int PixelAt(const BmpImage& image, int x, int y, int c) {
  const auto info = reelpack::ReadBmpInfo(image);
  return reelpack::BmpRow(std::span<const std::uint8_t>(image), y, info->rowBytes)[3 * x + c];
}

BmpImage MakeNoiseImage(int width, int height, std::uint32_t seed, bool extremes) {
  return MakeImage(width, height, [&](int, int) {
    const auto next = [&] {
      seed = seed * 1664525u + 1013904223u;
      return extremes ? static_cast<int>(seed >> 31) * 255 : static_cast<int>(seed >> 24);
    };
    return std::tuple{next(), next(), next()};
  });
}

std::vector<std::uint8_t> LibraryJpeg(const BmpImage& image, int quality) {
  std::vector<std::uint8_t> jpeg;
  reelpack::EncodeDibToJpeg(image, quality, jpeg);
  return jpeg;
}

std::vector<std::uint8_t> LibjpegEncode(const BmpImage& image, const LibjpegOptions& options) {
  const auto info = reelpack::ReadBmpInfo(image);
  jpeg_compress_struct cinfo{};
  ErrorManager errors;
  InstallErrors(reinterpret_cast<j_common_ptr>(&cinfo), errors);
  unsigned char* output = nullptr;
  unsigned long size = 0;
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(output);
    return {};
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &output, &size);
  cinfo.image_width = static_cast<JDIMENSION>(info->width);
  cinfo.image_height = static_cast<JDIMENSION>(info->height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, options.quality, TRUE);
  if (options.grey) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
  if (!options.grey && !options.chroma420) cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = 1;
  if (options.progressive) jpeg_simple_progression(&cinfo);
  cinfo.restart_interval = static_cast<unsigned>(options.restartInterval);
  jpeg_start_compress(&cinfo, TRUE);
  for (const auto& [marker, body] : options.markers) {
    jpeg_write_marker(&cinfo, marker, reinterpret_cast<const JOCTET*>(body.data()),
                      static_cast<unsigned>(body.size()));
  }
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<std::uint8_t*>(
        reelpack::BmpRow(std::span<const std::uint8_t>(image), static_cast<int>(cinfo.next_scanline), info->rowBytes));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<std::uint8_t> jpeg(output, output + size);
  std::free(output);
  return jpeg;
}

ReferenceBlocks LibjpegCoefficients(const std::vector<std::uint8_t>& jpeg) {
  ReferenceBlocks reference;
  reference.ok = WithDecompressor(jpeg, [&](jpeg_decompress_struct& cinfo) {
    jvirt_barray_ptr* arrays = jpeg_read_coefficients(&cinfo);
    reference.width = static_cast<int>(cinfo.image_width);
    reference.height = static_cast<int>(cinfo.image_height);
    for (int c = 0; c < cinfo.num_components; ++c) {
      const JQUANT_TBL* table = cinfo.comp_info[c].quant_table;
      reference.quantTables.emplace_back(table->quantval, table->quantval + 64);
    }
    const int columns =
        static_cast<int>((cinfo.image_width + 8 * cinfo.max_h_samp_factor - 1) / (8 * cinfo.max_h_samp_factor));
    for (JDIMENSION mcuRow = 0; mcuRow < cinfo.total_iMCU_rows; ++mcuRow) {
      for (int mcu = 0; mcu < columns; ++mcu) {
        for (int c = 0; c < cinfo.num_components; ++c) {
          const jpeg_component_info& component = cinfo.comp_info[c];
          JBLOCKARRAY rows = (*cinfo.mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(&cinfo), arrays[c],
                                                              mcuRow * component.v_samp_factor,
                                                              static_cast<JDIMENSION>(component.v_samp_factor), FALSE);
          for (int v = 0; v < component.v_samp_factor; ++v) {
            for (int h = 0; h < component.h_samp_factor; ++h) {
              const JCOEF* block = rows[v][mcu * component.h_samp_factor + h];
              for (int i = 0; i < 64; ++i) {
                reference.coefficients.push_back(block[i] * reference.quantTables[static_cast<std::size_t>(c)][i]);
              }
            }
          }
        }
      }
    }
  });
  return reference;
}

std::vector<std::uint8_t> LibjpegDecodeBgr(const std::vector<std::uint8_t>& jpeg, bool fancyUpsampling) {
  std::vector<std::uint8_t> pixels;
  const bool ok = WithDecompressor(jpeg, [&](jpeg_decompress_struct& cinfo) {
    cinfo.out_color_space = JCS_EXT_BGR;
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.do_fancy_upsampling = fancyUpsampling ? TRUE : FALSE;
    jpeg_start_decompress(&cinfo);
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(cinfo.output_width);
    pixels.resize(rowBytes * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row = pixels.data() + cinfo.output_scanline * rowBytes;
      jpeg_read_scanlines(&cinfo, &row, 1);
    }
  });
  return ok ? pixels : std::vector<std::uint8_t>{};
}

std::vector<std::uint8_t> PackedBgr(const BmpImage& image) {
  const auto info = reelpack::ReadBmpInfo(image);
  std::vector<std::uint8_t> pixels;
  for (int y = 0; y < info->height; ++y) {
    const std::uint8_t* row = reelpack::BmpRow(std::span<const std::uint8_t>(image), y, info->rowBytes);
    pixels.insert(pixels.end(), row, row + 3 * info->width);
  }
  return pixels;
}

std::vector<std::uint8_t> ThroughRgb565(const std::vector<std::uint8_t>& bgr) {
  std::vector<std::uint8_t> out(bgr.size());
  for (std::size_t i = 0; i < bgr.size(); i += 3) {
    const int blue = bgr[i] >> 3, green = bgr[i + 1] >> 2, red = bgr[i + 2] >> 3;
    out[i] = static_cast<std::uint8_t>(blue << 3 | blue >> 2);
    out[i + 1] = static_cast<std::uint8_t>(green << 2 | green >> 4);
    out[i + 2] = static_cast<std::uint8_t>(red << 3 | red >> 2);
  }
  return out;
}

double Psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  double total = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const double difference = static_cast<double>(a[i]) - b[i];
    total += difference * difference;
  }
  const double mse = total / static_cast<double>(a.size());
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}
