// A picture as the engine meets it. The first byte picks the reader of the
// rest: 0 a ".rbp" file loaded from a folder (as a picture and as a parts
// sheet); 1 a "JBP1" record on the still path, into a raster of its own and
// as coefficients; 2 the record as two successive frames of one movie
// decoder; 3 a save file's thumbnail and text.
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/pictures/picture_decoder.h"
#include "engine/pictures/picture_object.h"
#include "fuzz/fuzz_input.h"
#include "host/memory/memory_api.h"

namespace {

void LoadRbpFile(const std::uint8_t* data, std::size_t size) {
  const EngineFileName file = EngineNameOf(WriteFuzzFile(data, size, ".rbp"));
  for (int parts : {0, 1}) {
    CImage image;
    int a = 0;
    int b = 0;
    image.LoadRbp(file.name.c_str(), file.folder.c_str(), parts, nullptr, &a, &b);
  }
}

void DecodeStill(const std::uint8_t* data, std::size_t size) {
  auto decoder = std::make_unique<CPictureDecoder>();
  decoder->InitForImage();
  decoder->SetInput(data, size);
  if (!decoder->ParseHeader()) return;
  decoder->Reset();
  decoder->SetOutput(nullptr, 0);
  if (decoder->DecodeImage()) LocalFree(decoder->Output());
  std::vector<std::int16_t> blocks;
  decoder->DecodeCoefficients(blocks);
}

void DecodeMovieFrames(const std::uint8_t* data, std::size_t size) {
  auto decoder = std::make_unique<CPictureDecoder>();
  decoder->InitForMovie();
  // The movie player's frame buffer: the largest frame it plays. Kept
  // across inputs as the player keeps it across frames (a fresh one per
  // input was half the run).
  static std::vector<std::uint16_t> frame(kMovieFrameMaxMacroblocks * 16 * 16);
  for (int n = 0; n < 2; ++n) {
    decoder->SetInput(data, size);
    if (!decoder->ParseHeader()) return;
    decoder->Reset();
    decoder->SetOutput(frame.data(), frame.size() * 2);
    decoder->DecodeMovieFrame();
  }
}

void LoadSaveThumbnail(const std::uint8_t* data, std::size_t size) {
  const EngineFileName file = EngineNameOf(WriteFuzzFile(data, size, ".dat"));
  CImage image;
  char text[kSaveTextSize] = {};
  std::int32_t chapter = 0;
  std::uint32_t stamp = 0;
  image.LoadSaveThumbnail(file.name.c_str(), file.folder.c_str(), text, &chapter, &stamp);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LimitAllocationsAsTheDevice();
  if (size == 0) return 0;
  switch (data[0] % 4) {
    case 0: LoadRbpFile(data + 1, size - 1); break;
    case 1: DecodeStill(data + 1, size - 1); break;
    case 2: DecodeMovieFrames(data + 1, size - 1); break;
    default: LoadSaveThumbnail(data + 1, size - 1); break;
  }
  return 0;
}
