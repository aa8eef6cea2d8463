#include "raster_fixtures.h"

#include <cstring>
#include <fstream>

#include "engine/runtime/engine_clock.h"
#include "host/memory/memory_api.h"
#include "tools/mlz_pack/mlz_writer.h"

namespace {

std::uint32_t clockNow = 0;
std::uint32_t ReadTestClock() { return clockNow; }

template <class T>
T* Allocate(std::size_t count) {
  return static_cast<T*>(LocalAlloc(LMEM_FIXED, count * sizeof(T)));
}

}  // namespace

std::unique_ptr<CImage> MakeRgb565Picture(int width, int height, const PixelAt& pixel) {
  auto picture = std::make_unique<CImage>();
  EXPECT_TRUE(picture->CreateBlank(width, height, 0, 2));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture->GetPixels()[y * width + x] = pixel(x, y);
  return picture;
}

std::unique_ptr<CImage> MakeAlphaPicture(int width, int height, const PixelAt& pixel, const ByteAt& alpha) {
  auto picture = std::make_unique<CImage>();
  EXPECT_TRUE(picture->CreateBlank(width, height, 0, 0));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      picture->GetPixels()[y * width + x] = pixel(x, y);
      picture->alphaPlane[y * width + x] = alpha(x, y);
    }
  }
  return picture;
}

std::unique_ptr<CImage> MakePalettePicture(int width, int height, const ByteAt& index,
                                           const std::vector<std::uint32_t>& colors) {
  auto picture = std::make_unique<CImage>();
  // One block holds the palette and the indexes, as a loaded file image does.
  auto* block = Allocate<std::uint8_t>(1024 + std::size_t(width) * height);
  std::memset(block, 0, 1024);
  for (std::size_t i = 0; i < colors.size(); ++i) {
    block[4 * i] = static_cast<std::uint8_t>(colors[i]);
    block[4 * i + 1] = static_cast<std::uint8_t>(colors[i] >> 8);
    block[4 * i + 2] = static_cast<std::uint8_t>(colors[i] >> 16);
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) block[1024 + y * width + x] = index(x, y);
  picture->ownedBlock = block;
  picture->palette = block;
  picture->pixels = block + 1024;
  picture->pixelKind = kPixelKindPalette;
  picture->width = width;
  picture->height = height;
  return picture;
}

void AddMaskPlane(CImage& picture, int width, int height, const ByteAt& mask) {
  picture.maskPlane = Allocate<std::uint8_t>(std::size_t(width) * height);
  picture.maskStride = width;
  picture.maskHeight = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.maskPlane[y * width + x] = mask(x, y);
}

TestClock::TestClock() {
  clockNow = 0;
  SetClockSource(ReadTestClock);
}

TestClock::~TestClock() { SetClockSource(nullptr); }

void TestClock::Set(std::uint32_t ms) { clockNow = ms; }

std::string TempFolder::WriteArchive(
    const std::string& fileName, const std::vector<std::pair<std::string, std::vector<std::uint8_t>>>& entries) const {
  std::vector<MlzEntrySource> sources;
  for (const auto& [name, data] : entries) sources.push_back({name, data, true});
  dir_.WriteFile(fileName, BuildMlzArchive(sources, '2'));
  return dir_.EnginePath(fileName);
}
