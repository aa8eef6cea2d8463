#include "engine/pictures/rbp_jbp.h"

#include <cstring>
#include <memory>
#include <new>

#include "engine/pictures/picture_decoder.h"
#include "host/memory/memory_api.h"

std::uint16_t* DecodeRbpJbpRecord(const std::uint8_t* record, std::size_t length, std::uint32_t width,
                                  std::uint32_t height) {
  const std::unique_ptr<CPictureDecoder> decoder(new (std::nothrow) CPictureDecoder);
  if (decoder == nullptr) return nullptr;
  decoder->InitForImage();
  decoder->SetInput(record, length);
  // A record of another size than the file's header would be written past,
  // or read past, the picture's buffer.
  if (!decoder->ParseHeader() || decoder->Width() != width || decoder->Height() != height) return nullptr;
  decoder->Reset();

  const std::uint32_t alignedWidth = decoder->AlignedWidth();
  const std::size_t rasterBytes = std::size_t{alignedWidth} * decoder->AlignedHeight() * 2;
  if (alignedWidth == width) {
    // Rows need no cropping: decode straight into the picture's block.
    auto* pixels = static_cast<std::uint16_t*>(LocalAlloc(LMEM_FIXED, rasterBytes));
    if (pixels == nullptr) return nullptr;
    decoder->SetOutput(pixels, rasterBytes);
    if (!decoder->DecodeImage()) {
      LocalFree(pixels);
      return nullptr;
    }
    return pixels;
  }

  decoder->SetOutput(nullptr, 0);
  if (!decoder->DecodeImage()) return nullptr;
  std::uint16_t* raster = decoder->Output();
  auto* pixels = static_cast<std::uint16_t*>(LocalAlloc(LMEM_FIXED, std::size_t{width} * height * 2));
  if (pixels != nullptr) {
    for (std::uint32_t y = 0; y < height; ++y)
      std::memcpy(pixels + std::size_t{y} * width, raster + std::size_t{y} * alignedWidth, std::size_t{width} * 2);
  }
  LocalFree(raster);
  return pixels;
}
