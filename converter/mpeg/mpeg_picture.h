// A decoded picture of the video decoder, reference counted so that it can
// be the forward reference, the backward reference and the output at once
// without a copy.
#pragma once

#include <cstdint>

namespace reelpack {

// Three planes of the coded size with the luma stride. The 4:2:0 chroma
// samples sit in the left half of the first height / 2 rows of their plane;
// the up-sampler fills the right half of every row for output.
struct MPEG_PICTURE_POOL;

struct MPEG_PICTURE {
  int height;
  int width;
  int refCount;
  std::uint8_t* block;
  std::uint8_t* planeY;
  std::uint8_t* planeCb;
  std::uint8_t* planeCr;
  MPEG_PICTURE_POOL* pool;  // where the picture goes back to, or null
};

// Pictures no longer referenced, kept for the next ones of the same size so
// that a decoder does not allocate (and fault in) megabytes per picture.
struct MPEG_PICTURE_POOL {
  static constexpr int kCapacity = 4;
  MPEG_PICTURE* spare[kCapacity] = {};
  int count = 0;
};

// Null when memory runs out (nothing stays allocated). The planes are not
// cleared: decoding writes or conceals every macroblock, and the up-sampler
// fills the right half of each chroma row before output reads it. With a
// pool, a spare picture of the size is taken first and the picture returns
// there when released.
MPEG_PICTURE* pictureCreate(int width, int height, MPEG_PICTURE_POOL* pool = nullptr);
// Frees the spare pictures.
void poolFree(MPEG_PICTURE_POOL& pool);
// Takes one more reference.
MPEG_PICTURE* pictureRetain(MPEG_PICTURE* picture);
// Drops one reference; the last returns the picture to its pool when that
// has room, else frees it. Null is ignored.
void pictureRelease(MPEG_PICTURE* picture);

}  // namespace reelpack
