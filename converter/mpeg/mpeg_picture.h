// A decoded picture of the video decoder, reference counted so that it can
// be the forward reference, the backward reference and the output at once
// without a copy.
#pragma once

#include <cstdint>

namespace reelpack {

// Three planes of the coded size with the luma stride. The 4:2:0 chroma
// samples sit in the left half of the first height / 2 rows of their plane;
// the up-sampler fills the right half of every row for output.
struct MPEG_PICTURE {
  int height;
  int width;
  int refCount;
  std::uint8_t* block;
  std::uint8_t* planeY;
  std::uint8_t* planeCb;
  std::uint8_t* planeCr;
};

// Null when memory runs out (nothing stays allocated). The planes start
// zeroed, so a picture never shows bytes left over from an earlier one.
MPEG_PICTURE* pictureCreate(int width, int height);
// Takes one more reference.
MPEG_PICTURE* pictureRetain(MPEG_PICTURE* picture);
// Drops one reference; the last frees the picture. Null is ignored.
void pictureRelease(MPEG_PICTURE* picture);

}  // namespace reelpack
