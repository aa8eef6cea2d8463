#include "converter/job/movie_frame_coding.h"

#include <cstring>

#include "converter/jbp1/frame_scaler.h"
#include "converter/jbp1/frame_turn.h"

namespace reelpack {
namespace {

// The scaled picture (top row first) centred on a black frame of the box.
BmpImage PlaceOnBlack(const BmpImage& picture, const MovieFrameGeometry& frame) {
  BmpImage box = MakeBmpImage(frame.boxWidth, frame.boxHeight);
  const std::size_t pictureRow = BmpRowBytes(frame.pictureWidth);
  const std::size_t boxRow = BmpRowBytes(frame.boxWidth);
  const std::size_t left = static_cast<std::size_t>(frame.pictureLeft) * 3;
  for (int row = 0; row < frame.pictureHeight; ++row) {
    std::memcpy(BmpRow(box, row, boxRow) + left, BmpRow(std::span<const std::uint8_t>(picture), row, pictureRow),
                static_cast<std::size_t>(frame.pictureWidth) * 3);
  }
  return box;
}

}  // namespace

BmpImage BmpFromDecodedRows(const std::uint8_t* rows, std::uint32_t stride, int width, int height) {
  BmpImage image = MakeBmpImage(width, height);
  const std::size_t rowBytes = BmpRowBytes(width);
  for (int y = 0; y < height; ++y) {
    std::memcpy(BmpRow(image, height - 1 - y, rowBytes), rows + static_cast<std::size_t>(y) * stride,
                static_cast<std::size_t>(width) * 3);
  }
  return image;
}

std::optional<std::vector<std::uint8_t>> CodeMovieFrame(CFrameCoder& coder, std::span<const std::uint8_t> source,
                                                        const MovieFrameGeometry& frame,
                                                        const FrameRateSettings& settings) {
  std::optional<BmpImage> scaled = ScaleFrame(source, frame.pictureWidth, frame.pictureHeight);
  if (!scaled) return std::nullopt;
  if (frame.Padded()) scaled = PlaceOnBlack(*scaled, frame);
  const std::optional<BmpImage> turned = RotateBmpImage(std::move(*scaled));
  if (!turned) return std::nullopt;
  std::optional<FittedRecord> fitted = FitFrameToBitrate(coder, *turned, settings);
  if (!fitted) return std::nullopt;
  return std::move(fitted->bytes);
}

}  // namespace reelpack
