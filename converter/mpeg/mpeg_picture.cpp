#include "converter/mpeg/mpeg_picture.h"

#include <cstddef>
#include <new>

namespace reelpack {

MPEG_PICTURE* pictureCreate(int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  const std::size_t planeSize = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  auto* picture = new (std::nothrow) MPEG_PICTURE{};
  if (picture == nullptr) return nullptr;
  // 16 bytes of room behind the planes for kernels that read a pixel past the
  // last one.
  picture->block = new (std::nothrow) std::uint8_t[planeSize * 3 + 16]();
  if (picture->block == nullptr) {
    delete picture;
    return nullptr;
  }
  picture->width = width;
  picture->height = height;
  picture->refCount = 1;
  picture->planeY = picture->block;
  picture->planeCb = picture->block + planeSize;
  picture->planeCr = picture->block + 2 * planeSize;
  return picture;
}

MPEG_PICTURE* pictureRetain(MPEG_PICTURE* picture) {
  if (picture != nullptr) ++picture->refCount;
  return picture;
}

void pictureRelease(MPEG_PICTURE* picture) {
  if (picture == nullptr || --picture->refCount > 0) return;
  delete[] picture->block;
  delete picture;
}

}  // namespace reelpack
