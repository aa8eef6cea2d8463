#include "jpeglib/jpeg_smooth_output.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "jpeglib/jpeg_pixel_writer.h"
#include "jpeglib/jpeg_scan_decode.h"

namespace {

bool halfWidth(const JpegComponentLayout& layout) { return layout.repeatX == 2 && layout.repeatY <= 2; }

// One component's samples over the image at the read's scale.
struct ComponentSamples {
  std::vector<std::uint8_t> values;
  int stride = 0;
  int width = 0;  // the component's own samples; beyond them the edge repeats
  int height = 0;

  int at(int x, int y) const {
    x = std::clamp(x, 0, width - 1);
    y = std::clamp(y, 0, height - 1);
    return values[static_cast<std::size_t>(y) * stride + x];
  }
};

void transformComponent(JpegWorkingState& work, int c, ComponentSamples& samples) {
  const JpegImageRead& image = work.read.image;
  const JpegComponentLayout& layout = image.layout[c];
  const int side = layout.blockSide;
  samples.stride = layout.storeWide * side;
  samples.width = std::max(1, (image.outputWidth + layout.repeatX - 1) / layout.repeatX);
  samples.height = std::max(1, (image.outputHeight + layout.repeatY - 1) / layout.repeatY);
  samples.values.assign(static_cast<std::size_t>(samples.stride) * layout.storeHigh * side, 0);
  if (image.clip[2] <= image.clip[0] || image.clip[3] <= image.clip[1]) return;
  // Only the blocks holding samples the written pixels read: those under
  // them and one more on each side for the smoothing. A small picture of a
  // large image transforms a few blocks, not the whole image.
  const int firstX = std::max(0, image.clip[0] / layout.repeatX - 1) / side;
  const int firstY = std::max(0, image.clip[1] / layout.repeatY - 1) / side;
  const int lastX = std::min(layout.storeWide - 1, ((image.clip[2] - 1) / layout.repeatX + 1) / side);
  const int lastY = std::min(layout.storeHigh - 1, ((image.clip[3] - 1) / layout.repeatY + 1) / side);
  alignas(16) std::int16_t block[64];
  for (int by = firstY; by <= lastY; ++by) {
    for (int bx = firstX; bx <= lastX; ++bx) {
      const std::int16_t* stored = image.store[c].data() + (static_cast<std::size_t>(by) * layout.storeWide + bx) * 64;
      std::memcpy(block, stored, sizeof block);
      jpegInverseTransform(work, c, block);
      std::uint8_t* target = samples.values.data() + static_cast<std::size_t>(by) * side * samples.stride + bx * side;
      for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) target[y * samples.stride + x] = static_cast<std::uint8_t>(block[y * side + x]);
      }
    }
  }
}

// Output sample (x, y) of a component: 3 : 1 towards the nearer neighbour
// across, and for half height also down, rounding alternately.
int upsampledSample(const ComponentSamples& samples, const JpegComponentLayout& layout, int x, int y) {
  if (!halfWidth(layout)) return samples.at(x / layout.repeatX, y / layout.repeatY);
  const int i = x / 2;
  const int across = (x & 1) != 0 ? i + 1 : i - 1;
  if (layout.repeatY == 1) {
    return (3 * samples.at(i, y) + samples.at(across, y) + ((x & 1) != 0 ? 2 : 1)) >> 2;
  }
  const int j = y / 2;
  const int down = (y & 1) != 0 ? j + 1 : j - 1;
  const int nearer = 3 * samples.at(i, j) + samples.at(i, down);
  const int further = 3 * samples.at(across, j) + samples.at(across, down);
  return (3 * nearer + further + ((x & 1) != 0 ? 7 : 8)) >> 4;
}

}  // namespace

bool jpegSmoothUpsampling(const JpegWorkingState& work) {
  if (work.upsamplingMode != 1) return false;
  for (int c = 0; c < work.frame.componentCount; ++c) {
    if (halfWidth(work.read.image.layout[c])) return true;
  }
  return false;
}

void jpegWriteSmoothImage(JpegWorkingState& work) {
  const int components = work.frame.componentCount;
  ComponentSamples planes[kJpegMaxComponents];
  for (int c = 0; c < components; ++c) transformComponent(work, c, planes[c]);
  const JpegImageRead& image = work.read.image;
  for (int y = image.clip[1]; y < image.clip[3]; ++y) {
    for (int x = image.clip[0]; x < image.clip[2]; ++x) {
      int s[4] = {};
      for (int c = 0; c < components; ++c) s[c] = upsampledSample(planes[c], image.layout[c], x, y);
      jpegWritePixel(work, x, y, s, JpegColourForm::InPlace);
    }
  }
}
