// MCU converters without a colour transform: each JPEG component takes one
// source byte per pixel, averaged over the pixels a sample covers
// ((sum + n/2) / n) and shifted by -128. Edge MCUs read the picture extended
// by repeating its last column and row, so they give exactly what the full
// kernel gives on the extended picture.
#include "jpeglib/jpeg_mcu_convert.h"
#include "jpeglib/jpeg_mcu_place.h"

namespace {

// Source byte `k` of each pixel, with the extension at the edges.
struct ByteFetch {
  const std::uint8_t* origin;
  std::ptrdiff_t stride;
  int bytesPerPixel;
  int validWidth;
  int validHeight;

  int operator()(int x, int y, int k) const {
    x = std::min(x, validWidth - 1);
    y = std::min(y, validHeight - 1);
    return origin[y * stride + x * bytesPerPixel + k];
  }
};

// Packed Y0 Cb Y1 Cr pairs. A lone last pixel (odd width) has no Cr of its
// own and takes the Cr of the pair before it; a picture one pixel wide has
// no such pair and gets neutral chroma.
struct PackedFetch {
  const std::uint8_t* origin;
  std::ptrdiff_t stride;
  int validWidth;
  int validHeight;
  bool pairBeforeMcu;  // the MCU is not the first of its row

  int operator()(int x, int y, int k) const {
    x = std::min(x, validWidth - 1);
    y = std::min(y, validHeight - 1);
    const std::uint8_t* line = origin + y * stride;
    const int pair = (x >> 1) * 4;
    if (k == 0) return line[pair + (x & 1) * 2];
    if (k == 1) return line[pair + 1];
    const bool lonePixel = (x & 1) == 0 && x == validWidth - 1 && (validWidth & 1) != 0;
    if (!lonePixel) return line[pair + 3];
    if (pair > 0 || pairBeforeMcu) return line[pair - 1];
    return 128;
  }
};

struct ComponentSource {
  int byteIndex;  // -1: the component is neutral (all 0 after the shift)
  int h;
  int v;
};

// Fills the blocks of `count` components of an MCU of hMax x vMax blocks.
template <typename Fetch>
void sampleComponents(const Fetch& fetch, const ComponentSource* components, int count, int hMax, int vMax,
                      std::int16_t* blocks) {
  for (int c = 0; c < count; ++c) {
    const ComponentSource& component = components[c];
    const int cellWidth = hMax / component.h, cellHeight = vMax / component.v;
    const int cell = cellWidth * cellHeight;
    const int width = 8 * component.h, height = 8 * component.v;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        int value = 0;
        if (component.byteIndex >= 0) {
          int sum = 0;
          for (int j = 0; j < cellHeight; ++j) {
            for (int i = 0; i < cellWidth; ++i) {
              sum += fetch(x * cellWidth + i, y * cellHeight + j, component.byteIndex);
            }
          }
          value = (sum + cell / 2) / cell - 128;
        }
        blocks[jpegBlockSample(x, y, component.h)] = static_cast<std::int16_t>(value);
      }
    }
    blocks += component.h * component.v * 64;
  }
}

constexpr ComponentSource kGrey[] = {{0, 1, 1}};
constexpr ComponentSource kCopy3[] = {{0, 1, 1}, {1, 1, 1}, {2, 1, 1}};
constexpr ComponentSource kCopy4[] = {{0, 1, 1}, {1, 1, 1}, {2, 1, 1}, {3, 1, 1}};
constexpr ComponentSource kSubsample422[] = {{0, 2, 1}, {1, 1, 1}, {2, 1, 1}};
constexpr ComponentSource kSubsample411[] = {{0, 2, 2}, {1, 1, 1}, {2, 1, 1}};

template <const ComponentSource* Components, int Count, int HMax, int VMax, int Bytes>
void fullKernel(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks) {
  const ByteFetch fetch{pixels, stride, Bytes, 8 * HMax, 8 * VMax};
  sampleComponents(fetch, Components, Count, HMax, VMax, blocks);
}

template <const ComponentSource* Components, int Count, int HMax, int VMax, int Bytes,
          JpegMcuKernel JPEG_PROCESSOR_TABLE::*Slot>
void convertMcu(JpegWorkingState& work, int column, int row) {
  const JpegMcuPlace place = jpegPlaceMcu(work, column, row, 8 * HMax, 8 * VMax, Bytes);
  if (place.whole) {
    (work.table.*Slot)(place.origin, work.source.stride, work.mcuBlocks);
    return;
  }
  const ByteFetch fetch{place.origin, work.source.stride, Bytes, place.validWidth, place.validHeight};
  sampleComponents(fetch, Components, Count, HMax, VMax, work.mcuBlocks);
}

using T = JPEG_PROCESSOR_TABLE;

}  // namespace

void copyBlockGrey(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) { fullKernel<kGrey, 1, 1, 1, 1>(p, s, b); }
void copyBlock3(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) { fullKernel<kCopy3, 3, 1, 1, 3>(p, s, b); }
void copyBlock4(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) { fullKernel<kCopy4, 4, 1, 1, 4>(p, s, b); }
void subsampleBlock422(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  fullKernel<kSubsample422, 3, 2, 1, 3>(p, s, b);
}
void subsampleBlock411(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  fullKernel<kSubsample411, 3, 2, 2, 3>(p, s, b);
}
void unpackBlock422(const std::uint8_t* p, std::ptrdiff_t s, std::int16_t* b) {
  const PackedFetch fetch{p, s, 16, 8, true};
  sampleComponents(fetch, kSubsample422, 3, 2, 1, b);
}

void convertGreyMcu(JpegWorkingState& w, int c, int r) { convertMcu<kGrey, 1, 1, 1, 1, &T::greyLevelShift>(w, c, r); }
void convertCopyMcu3(JpegWorkingState& w, int c, int r) { convertMcu<kCopy3, 3, 1, 1, 3, &T::copyBlock3>(w, c, r); }
void convertCopyMcu4(JpegWorkingState& w, int c, int r) { convertMcu<kCopy4, 4, 1, 1, 4, &T::copyBlock4>(w, c, r); }
void convertSubsampleMcu422(JpegWorkingState& w, int c, int r) {
  convertMcu<kSubsample422, 3, 2, 1, 3, &T::subsampleBlock422>(w, c, r);
}
void convertSubsampleMcu411(JpegWorkingState& w, int c, int r) {
  convertMcu<kSubsample411, 3, 2, 2, 3, &T::subsampleBlock411>(w, c, r);
}

void convertPackedMcu422(JpegWorkingState& work, int column, int row) {
  const JpegMcuPlace place = jpegPlaceMcu(work, column, row, 16, 8, 2);
  if (place.whole) {
    work.table.packedBlock422(place.origin, work.source.stride, work.mcuBlocks);
    return;
  }
  const PackedFetch fetch{place.origin, work.source.stride, place.validWidth, place.validHeight, column > 0};
  sampleComponents(fetch, kSubsample422, 3, 2, 1, work.mcuBlocks);
}

void convertMcuGenericSample(JpegWorkingState& work, int column, int row) {
  const JpegFrame& frame = work.frame;
  const JpegSource& source = work.source;
  const bool swapRgb = source.color == JPEG_COLOR_BGR && work.fields.jpegColor == JPEG_COLOR_RGB;
  const bool greyToColour = source.color == JPEG_COLOR_GRAY && work.fields.jpegColor == JPEG_COLOR_YCBCR;
  ComponentSource components[kJpegMaxComponents];
  for (int c = 0; c < frame.componentCount; ++c) {
    int byteIndex = swapRgb && c < 3 ? 2 - c : c;
    if (greyToColour && c > 0) byteIndex = -1;
    components[c] = {byteIndex, frame.components[c].h, frame.components[c].v};
  }
  const JpegMcuPlace place = jpegPlaceMcu(work, column, row, frame.mcuWidth, frame.mcuHeight, source.channels);
  const ByteFetch fetch{place.origin, source.stride, source.channels, place.validWidth, place.validHeight};
  sampleComponents(fetch, components, frame.componentCount, frame.hMax, frame.vMax, work.mcuBlocks);
}
