#include "converter/mpeg/mpeg_picture.h"

#include <cstddef>
#include <new>

namespace reelpack {
namespace {

void pictureFree(MPEG_PICTURE* picture) {
  delete[] picture->block;
  delete picture;
}

}  // namespace

MPEG_PICTURE* pictureCreate(int width, int height, MPEG_PICTURE_POOL* pool) {
  if (width <= 0 || height <= 0) return nullptr;
  if (pool != nullptr) {
    for (int i = 0; i < pool->count; ++i) {
      MPEG_PICTURE* spare = pool->spare[i];
      if (spare->width != width || spare->height != height) continue;
      pool->spare[i] = pool->spare[--pool->count];
      spare->refCount = 1;
      return spare;
    }
  }
  const std::size_t planeSize = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  auto* picture = new (std::nothrow) MPEG_PICTURE{};
  if (picture == nullptr) return nullptr;
  // 16 bytes of room behind the planes for kernels that read a pixel past the
  // last one.
  picture->block = new (std::nothrow) std::uint8_t[planeSize * 3 + 16];
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
  picture->pool = pool;
  return picture;
}

MPEG_PICTURE* pictureRetain(MPEG_PICTURE* picture) {
  if (picture != nullptr) ++picture->refCount;
  return picture;
}

void pictureRelease(MPEG_PICTURE* picture) {
  if (picture == nullptr || --picture->refCount > 0) return;
  MPEG_PICTURE_POOL* pool = picture->pool;
  if (pool != nullptr && pool->count < MPEG_PICTURE_POOL::kCapacity) {
    pool->spare[pool->count++] = picture;
    return;
  }
  pictureFree(picture);
}

void poolFree(MPEG_PICTURE_POOL& pool) {
  for (int i = 0; i < pool.count; ++i) pictureFree(pool.spare[i]);
  pool.count = 0;
}

}  // namespace reelpack
