// reelpack's MPEG video source: opens the video of an MPEG-1 system stream
// and delivers any frame, in display order, as BGR24 rows.
#pragma once

#include <cstdint>

#include "converter/mpeg/mpeg_picture.h"

namespace reelpack {

struct MPEG_DECODER_CONTEXT;

struct MPEG_VIDEO_HANDLE {
  MPEG_DECODER_CONTEXT* context;
  // Frames in display order; -1 when the index did not hold together, 0 when
  // none could be built (then only nothing can be fetched).
  std::int32_t frameCount;
  std::uint32_t rateNumerator;
  std::uint32_t rateDenominator;
  std::int32_t width;
  std::int32_t height;
  std::int32_t bitsPerPixel;  // 24
  // Set by the caller before mpegGetFrame.
  std::int32_t frameNumber;
  std::uint8_t* buffer;
  std::uint32_t stride;
  std::uint32_t bufferSize;
};

// Why mpegOpen refused a file.
enum MpegOpenResult {
  kMpegOpened = 0,
  kMpegUnknownExtension,
  kMpegUnreadable,  // missing, empty or not readable
  kMpegNoVideo,     // no video stream, or no sequence and picture header in it
  kMpegVideoIsMpeg2,
  kMpegProgramStreamIsMpeg2,  // an MPEG-2 program stream, not an MPEG-1 system stream
  kMpegDPictures,
  kMpegOutOfMemory,
};

// Null when refused; *result (when given) says why.
MPEG_VIDEO_HANDLE* mpegOpen(const char* path, MpegOpenResult* result = nullptr);
// 1 when frame frameNumber was written to buffer: rows top to bottom,
// stride bytes apart, width pixels of blue, green, red each; the rest of a
// row is left alone. 0 (buffer untouched) for a missing buffer, a stride or
// size too small for the frame, or a frame that cannot be delivered.
int mpegGetFrame(MPEG_VIDEO_HANDLE* handle);
void mpegClose(MPEG_VIDEO_HANDLE* handle);

// ".mpeg", ".mpg", ".mp2", ".dat" or ".dah" in any case.
bool mpegHasKnownExtension(const char* path);

// What travels with a picture towards output.
struct MPEG_FRAME_INFO {
  int number;  // display order
  int pictureType;
  int closedGopState;
};

struct MPEG_OUTPUT_SLOT {
  MPEG_FRAME_INFO info;
  MPEG_PICTURE* picture;  // null when nothing is held
  int shownWidth;         // the sequence's picture size when it was output
  int shownHeight;
};

// The decoded picture of a display-order frame (planes as decoded, chroma
// also up-sampled), held until the next fetch; null when it cannot be had.
const MPEG_OUTPUT_SLOT* mpegFetchPicture(MPEG_DECODER_CONTEXT* context, int frameNumber);
// Pictures decoded since open.
int mpegDecodedPictures(const MPEG_DECODER_CONTEXT* context);

}  // namespace reelpack
