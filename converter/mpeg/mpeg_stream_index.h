// A frame index for MPEG video without reading the whole file: frame numbers
// come from the time codes of GOP headers, the total from the first and the
// last GOP, and a frame is found by bisection over byte positions.
#pragma once

#include <cstdint>

#include "converter/mpeg/mpeg_bit_reader.h"
#include "converter/mpeg/mpeg_headers.h"

namespace reelpack {

// One group of pictures: where decoding starts (its sequence header when one
// comes right before it), its first frame in display order and its frames.
struct MPEG_GOP_ENTRY {
  std::int64_t position = 0;
  int firstFrame = 0;
  int count = 0;
};

struct MPEG_STREAM_INDEX {
  MPEG_BIT_STREAM* stream = nullptr;  // the decoder's bit reader, moved by every scan
  int rateNumerator = 0;
  int rateDenominator = 1;
  int frameOffset = 0;  // first GOP's frame number by its time code
  int firstTopFieldFirst = 0;
  const int* progressiveSequence = nullptr;
  bool lastScanReachedEnd = false;  // the last scan ran into the end of the stream
};

// Frame rate from the sequence header (with its extension's multipliers).
MPEG_STREAM_INDEX* indexCreate(MPEG_BIT_STREAM& stream, const MPEG_SEQUENCE_HEADER& sequence,
                               const int* progressiveSequence, int firstTopFieldFirst);
void indexFree(MPEG_STREAM_INDEX* index);

// Finds the next GOP from the current stream position and counts its frames:
// from its I picture (or, when closed, its first picture) to the frame before
// the next GOP's I picture. Returns the count, or 0 with the entry zeroed.
int scanGop(MPEG_STREAM_INDEX& index, MPEG_GOP_ENTRY& entry);
// Fills the entry of the GOP holding the display-order frame, or zeros.
MPEG_GOP_ENTRY* seekByFrame(MPEG_GOP_ENTRY* entry, MPEG_STREAM_INDEX* index, int frame);
// Total frames, or -1 when the first GOP cannot be scanned or the index does
// not hold together. Sets frameOffset.
int countFrames(MPEG_STREAM_INDEX& index);
// Frame number of a time code at ceil(rate) frames per second; drop-frame
// time codes skip two numbers each minute except every tenth.
int timeCodeToFrame(const MPEG_TIME_CODE& timeCode, int framesPerSecond);
// Leaves the stream at the last GOP header: 1 when found in a window smaller
// than the stream, else 0 (at the last GOP of the whole stream, or at 0).
int findLastGop(MPEG_BIT_STREAM& stream);

}  // namespace reelpack
