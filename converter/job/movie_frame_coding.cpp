#include "converter/job/movie_frame_coding.h"

#include <cstring>

#include "converter/jbp1/frame_turn.h"

namespace reelpack {
namespace {

// The scaled picture (top row first) centred on a black frame of the box.
void PlaceOnBlack(const BmpImage& picture, const MovieFrameGeometry& frame, BmpImage& box) {
  ResetBmpImage(box, frame.boxWidth, frame.boxHeight);
  const std::size_t pictureRow = BmpRowBytes(frame.pictureWidth);
  const std::size_t boxRow = BmpRowBytes(frame.boxWidth);
  const std::size_t left = static_cast<std::size_t>(frame.pictureLeft) * 3;
  for (int row = 0; row < frame.pictureHeight; ++row) {
    std::memcpy(BmpRow(box, row, boxRow) + left, BmpRow(std::span<const std::uint8_t>(picture), row, pictureRow),
                static_cast<std::size_t>(frame.pictureWidth) * 3);
  }
}

}  // namespace

void BmpFromDecodedRows(const std::uint8_t* rows, std::uint32_t stride, int width, int height, BmpImage& image) {
  ShapeBmpImage(image, width, height);
  const std::size_t rowBytes = BmpRowBytes(width);
  for (int y = 0; y < height; ++y) {
    std::memcpy(BmpRow(image, height - 1 - y, rowBytes), rows + static_cast<std::size_t>(y) * stride,
                static_cast<std::size_t>(width) * 3);
  }
}

std::optional<std::vector<std::uint8_t>> CodeMovieFrame(MovieFrameWorkspace& work,
                                                        std::span<const std::uint8_t> source,
                                                        const MovieFrameGeometry& frame,
                                                        const FrameRateSettings& settings) {
  if (!ScaleFrameInto(source, frame.pictureWidth, frame.pictureHeight, work.scaled, work.scale)) return std::nullopt;
  const BmpImage* picture = &work.scaled;
  if (frame.Padded()) {
    PlaceOnBlack(work.scaled, frame, work.placed);
    picture = &work.placed;
  }
  if (!RotateBmpImageInto(*picture, work.turned)) return std::nullopt;
  std::optional<FittedRecord> fitted = FitFrameToBitrate(work.coder, work.turned, settings);
  if (!fitted) return std::nullopt;
  return std::move(fitted->bytes);
}

}  // namespace reelpack
