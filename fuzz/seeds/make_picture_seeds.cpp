// Writes seed inputs of the picture target into the given folder: "JBP1"
// records (aligned and cropped sizes, for the still and the movie path),
// ".rbp" files of every kind, and a save file with its thumbnail. Each input
// starts with the target's mode byte.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "converter/jbp1/jbp1_record_writer.h"
#include "engine/pictures/picture_thumbnail.h"
#include "host/memory/memory_api.h"
#include "tools/rbp_make/rbp_writer.h"

namespace {

enum Mode : std::uint8_t { kRbp = 0, kStill = 1, kMovie = 2, kSave = 3 };

void WriteSeed(const std::string& folder, const char* name, Mode mode, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(folder + "/" + name, std::ios::binary | std::ios::trunc);
  out.put(static_cast<char>(mode));
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Blocks with a DC ramp and a few AC values that vary from block to block.
std::vector<std::uint8_t> MakeRecord(int width, int height) {
  const int macroblocks = ((width + 15) / 16) * ((height + 15) / 16);
  std::vector<std::int16_t> blocks(static_cast<std::size_t>(macroblocks) * 6 * 64, 0);
  for (std::size_t b = 0; b < blocks.size() / 64; ++b) {
    blocks[64 * b] = static_cast<std::int16_t>(static_cast<int>(b % 90) - 45);
    blocks[64 * b + 1 + b % 17] = static_cast<std::int16_t>(static_cast<int>(b % 9) - 4);
    blocks[64 * b + 8 + b % 11] = static_cast<std::int16_t>(static_cast<int>(b % 5) - 2);
  }
  std::uint8_t luma[64];
  std::uint8_t chroma[64];
  for (int i = 0; i < 64; ++i) {
    luma[i] = static_cast<std::uint8_t>(6 + i / 3);
    chroma[i] = static_cast<std::uint8_t>(9 + i / 3);
  }
  std::vector<std::uint8_t> record;
  reelpack::WriteJbpRecord(reelpack::JbpPictureSource{width, height, 75, blocks.data(), luma, chroma}, record);
  return record;
}

SourcePicture MakePicture(std::uint32_t width, std::uint32_t height, std::size_t colours) {
  SourcePicture picture;
  picture.width = width;
  picture.height = height;
  for (std::size_t i = 0; i < colours; ++i) {
    const auto level = static_cast<std::uint8_t>(i * 255 / colours);
    picture.palette.push_back({level, static_cast<std::uint8_t>(255 - level), static_cast<std::uint8_t>(i * 40)});
  }
  for (std::uint32_t i = 0; i < width * height; ++i) {
    const std::array<std::uint8_t, 3>& colour = picture.palette[i % colours];
    picture.indexes.push_back(static_cast<std::uint8_t>(i % colours));
    picture.rgba.insert(picture.rgba.end(), {colour[0], colour[1], colour[2], static_cast<std::uint8_t>(i * 7)});
  }
  return picture;
}

std::vector<std::uint8_t> MakeSaveFile(std::uint32_t width, std::uint32_t height) {
  constexpr std::size_t kHeaderBytes = 1656;
  std::vector<std::uint16_t> screen(std::size_t{width} * height);
  for (std::size_t i = 0; i < screen.size(); ++i) screen[i] = static_cast<std::uint16_t>(i * 2654435761u);
  std::uint32_t bitmapSize = 0;
  std::uint8_t* bitmap = BuildThumbnailBitmap(screen.data(), width, height, width / 4, height / 4, &bitmapSize);
  std::vector<std::uint8_t> file(kHeaderBytes, 0);
  std::memcpy(file.data(), "STA1", 4);
  file[4] = kHeaderBytes & 0xFF;
  file[5] = kHeaderBytes >> 8;
  std::memcpy(file.data() + 8, "2025-01-02 03:04:05", 19);
  std::memcpy(file.data() + 104, "\x82\xa0\x82\xa2 seed", 9);
  if (bitmap != nullptr) file.insert(file.end(), bitmap, bitmap + bitmapSize);
  LocalFree(bitmap);
  return file;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 1;
  }
  const std::string folder = argv[1];
  const std::vector<std::uint8_t> aligned = MakeRecord(32, 32);
  const std::vector<std::uint8_t> cropped = MakeRecord(40, 24);
  WriteSeed(folder, "jbp_still_32x32", kStill, aligned);
  WriteSeed(folder, "jbp_still_40x24", kStill, cropped);
  WriteSeed(folder, "jbp_movie_32x32", kMovie, aligned);
  WriteSeed(folder, "jbp_movie_40x24", kMovie, cropped);

  std::vector<std::uint8_t> alpha(40 * 24);
  for (std::size_t i = 0; i < alpha.size(); ++i) alpha[i] = static_cast<std::uint8_t>(i % 7 == 0 ? 0 : 255);
  WriteSeed(folder, "rbp_kind30", kRbp, BuildJbpRbpFile(cropped, 40, 24, nullptr, 50, 30));
  WriteSeed(folder, "rbp_kind32", kRbp, BuildJbpRbpFile(cropped, 40, 24, alpha.data(), 50, 30));
  const SourcePicture picture = MakePicture(12, 9, 5);
  for (std::uint32_t kind : {1u, 13u, 80u, 90u}) {
    const std::string name = "rbp_kind" + std::to_string(kind);
    WriteSeed(folder, name.c_str(), kRbp, BuildRbpFile(picture, RbpMakeOptions{kind, 15, 11}));
  }
  WriteSeed(folder, "save_file", kSave, MakeSaveFile(64, 48));
  return 0;
}
