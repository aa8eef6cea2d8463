#include "tools/rbp_make/jbp_picture.h"

#include <stdexcept>

#include "converter/jbp1/bmp_image.h"
#include "converter/jbp1/frame_coder.h"

std::vector<std::uint8_t> CodeJbpPictureRecord(const SourcePicture& picture, int quality) {
  if (quality < 1 || quality > 100) throw std::invalid_argument("quality must be 1 to 100");
  const int width = static_cast<int>(picture.width);
  const int height = static_cast<int>(picture.height);
  if (width < 1 || height < 1 || width > reelpack::kBmpMaxSide || height > reelpack::kBmpMaxSide)
    throw std::invalid_argument("picture size out of range for a JBP1 record");
  // The coder reads stored rows top row first, as the converter's frames are.
  reelpack::BmpImage image = reelpack::MakeBmpImage(width, height);
  const std::size_t rowBytes = reelpack::BmpRowBytes(width);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = reelpack::BmpRow(image, y, rowBytes);
    const std::uint8_t* source = &picture.rgba[std::size_t{4} * width * y];
    for (int x = 0; x < width; ++x) {
      row[3 * x + 0] = source[4 * x + 2];
      row[3 * x + 1] = source[4 * x + 1];
      row[3 * x + 2] = source[4 * x + 0];
    }
  }
  reelpack::CFrameCoder coder;
  std::vector<std::uint8_t> record;
  if (coder.BuildPictureRecord(image, quality, record) != reelpack::FrameCodeStatus::kCoded)
    throw std::invalid_argument("the frame coder refused the picture");
  return record;
}
