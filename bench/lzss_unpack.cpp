// LZSS unpacking of archive entries beside zlib's inflate of the same data
// (compressed at zlib's default level), on real text and picture data:
// - text: this repository's sources and the system's licence texts;
// - pictures: the system's PNG pictures (icons, documentation images)
//   decoded and turned into RGB565, the engine's pixel format.
// Both sets are cut to kCorpusBytes.
#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/archive/archive_reader.h"
#include "tools/mlz_pack/lzss_compress.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

constexpr std::size_t kCorpusBytes = 4 << 20;

std::vector<fs::path> FilesUnder(const fs::path& root, const std::vector<std::string>& extensions) {
  std::vector<fs::path> files;
  std::error_code error;
  for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
    if (it->is_regular_file() &&
        std::find(extensions.begin(), extensions.end(), it->path().extension().string()) != extensions.end()) {
      files.push_back(it->path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

Bytes TextCorpus() {
  std::vector<fs::path> files = FilesUnder(NOVEL_SOURCE_DIR, {".cpp", ".h", ".md", ".txt"});
  const std::vector<fs::path> licences = FilesUnder("/usr/share/common-licenses", {""});
  files.insert(files.end(), licences.begin(), licences.end());
  Bytes text;
  while (text.size() < kCorpusBytes && !files.empty()) {
    for (const fs::path& file : files) {
      std::ifstream in(file, std::ios::binary);
      text.insert(text.end(), std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }
  text.resize(std::min(text.size(), kCorpusBytes));
  return text;
}

void AppendRgb565(const fs::path& file, Bytes& pixels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, file.c_str())) return;
  image.format = PNG_FORMAT_RGB;
  std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return;
  for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
    const unsigned pixel = ((rgb[i] >> 3) << 11) | ((rgb[i + 1] >> 2) << 5) | (rgb[i + 2] >> 3);
    pixels.push_back(static_cast<std::uint8_t>(pixel));
    pixels.push_back(static_cast<std::uint8_t>(pixel >> 8));
  }
}

Bytes PictureCorpus() {
  Bytes pixels;
  for (const char* root : {"/usr/share/icons", "/usr/share/doc", "/usr/share/pixmaps"}) {
    for (const fs::path& file : FilesUnder(root, {".png"})) {
      if (pixels.size() >= kCorpusBytes) break;
      AppendRgb565(file, pixels);
    }
  }
  pixels.resize(std::min(pixels.size(), kCorpusBytes));
  return pixels;
}

const Bytes& Corpus(int which) {
  static const Bytes text = TextCorpus();
  static const Bytes pictures = PictureCorpus();
  return which == 0 ? text : pictures;
}

const char* CorpusName(int which) { return which == 0 ? "text" : "pictures"; }

void BM_LzssUnpack(benchmark::State& state) {
  const Bytes& data = Corpus(static_cast<int>(state.range(0)));
  if (data.empty()) return state.SkipWithError("no data found");
  const Bytes packed = CompressLzss(data.data(), data.size());
  Bytes out(data.size());
  for (auto _ : state) {
    CArchiveReader::UnpackLzss(out.data(), packed.data(), static_cast<std::uint32_t>(out.size()),
                               static_cast<std::uint32_t>(packed.size()));
    benchmark::DoNotOptimize(out.data());
  }
  if (out != data) return state.SkipWithError("round trip failed");
  state.SetLabel(CorpusName(static_cast<int>(state.range(0))));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
  state.counters["ratio"] = static_cast<double>(packed.size()) / static_cast<double>(data.size());
}

void BM_ZlibInflate(benchmark::State& state) {
  const Bytes& data = Corpus(static_cast<int>(state.range(0)));
  if (data.empty()) return state.SkipWithError("no data found");
  uLongf packedSize = compressBound(data.size());
  Bytes packed(packedSize);
  compress2(packed.data(), &packedSize, data.data(), data.size(), Z_DEFAULT_COMPRESSION);
  Bytes out(data.size());
  for (auto _ : state) {
    uLongf outSize = out.size();
    uncompress(out.data(), &outSize, packed.data(), packedSize);
    benchmark::DoNotOptimize(out.data());
  }
  if (out != data) return state.SkipWithError("round trip failed");
  state.SetLabel(CorpusName(static_cast<int>(state.range(0))));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
  state.counters["ratio"] = static_cast<double>(packedSize) / static_cast<double>(data.size());
}

BENCHMARK(BM_LzssUnpack)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibInflate)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
