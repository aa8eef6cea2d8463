#include "converter/mpeg/mpeg_stream_index.h"

#include <new>

namespace reelpack {

namespace {

struct FrameRate {
  int numerator;
  int denominator;
};

// frame_rate_code 1 to 8; the others give 0/1.
constexpr FrameRate kFrameRates[16] = {{0, 1},     {24000, 1001}, {24, 1}, {25, 1}, {30000, 1001}, {30, 1},
                                       {50, 1},    {60000, 1001}, {60, 1}, {0, 1},  {0, 1},        {0, 1},
                                       {0, 1},     {0, 1},        {0, 1},  {0, 1}};

constexpr std::int64_t kFirstWindow = 131072;
constexpr int kValidationProbes = 8;
// A bisection over 63-bit positions needs no more probes than this.
constexpr int kMaxProbes = 64;

int framesPerSecond(const MPEG_STREAM_INDEX& index) {
  if (index.rateDenominator <= 0) return 0;
  return (index.rateNumerator + index.rateDenominator - 1) / index.rateDenominator;
}

bool isSlice(std::uint32_t code) { return code > kPictureStartCode && code <= kLastSliceStartCode; }

// Whether the fixed fields of the picture header after the start code just
// read are all in the stream: a stream cut inside them ends the scan there.
bool pictureHeaderPresent(MPEG_BIT_STREAM& stream) {
  const int held = stream.lookAheadBits();
  if (held < 13) return false;
  const std::uint32_t type = bitsPeek(stream, 13) & 7;
  const int bits = type == kPictureTypeB ? 38 : type == kPictureTypeP ? 34 : 30;
  return held >= bits;
}

// A field picture must be followed by its second field.
bool readSecondField(MPEG_STREAM_INDEX& index) {
  MPEG_BIT_STREAM& stream = *index.stream;
  while (bitsNextStartCode(stream)) {
    const std::uint32_t code = bitsGet(stream, 32);
    if (isSlice(code)) continue;
    if (code != kPictureStartCode) return false;
    MPEG_PICTURE_HEADER second;
    parsePictureHeader(stream, *index.progressiveSequence, second);
    return second.hasCodingExtension && second.picture_structure != kFramePicture;
  }
  return false;
}

// Counters of scanGop: k0 the I picture (and the B pictures of a closed GOP),
// k1 leading B pictures of an open GOP, k2 the P pictures and the B pictures
// after them, k3 the next GOP's I picture, k4 the next GOP's leading B
// pictures, which display before its I picture and so belong to this GOP.
struct GopCounts {
  int k[5] = {};
};

int fail(MPEG_GOP_ENTRY& entry) {
  entry = {};
  return 0;
}

}  // namespace

MPEG_STREAM_INDEX* indexCreate(MPEG_BIT_STREAM& stream, const MPEG_SEQUENCE_HEADER& sequence,
                               const int* progressiveSequence, int firstTopFieldFirst) {
  auto* index = new (std::nothrow) MPEG_STREAM_INDEX;
  if (index == nullptr) return nullptr;
  index->stream = &stream;
  const FrameRate rate = kFrameRates[sequence.frame_rate_code & 15];
  index->rateNumerator = rate.numerator;
  index->rateDenominator = rate.denominator;
  if (sequence.hasSequenceExtension) {
    index->rateNumerator *= sequence.frame_rate_extension_n + 1;
    index->rateDenominator *= sequence.frame_rate_extension_d + 1;
  }
  index->progressiveSequence = progressiveSequence;
  index->firstTopFieldFirst = firstTopFieldFirst;
  return index;
}

void indexFree(MPEG_STREAM_INDEX* index) { delete index; }

int timeCodeToFrame(const MPEG_TIME_CODE& timeCode, int framesPerSecond) {
  const int minutes = timeCode.minutes + 60 * timeCode.hours;
  int frame = framesPerSecond * (timeCode.seconds + 60 * minutes) + timeCode.pictures;
  if (timeCode.drop_frame_flag) frame += 2 * (minutes / 10 - minutes);
  return frame;
}

int scanGop(MPEG_STREAM_INDEX& index, MPEG_GOP_ENTRY& entry) {
  MPEG_BIT_STREAM& stream = *index.stream;
  entry = {};
  index.lastScanReachedEnd = false;

  // Find the GOP; a sequence header right before it is where decoding starts.
  std::int64_t sequencePosition = -1;
  std::int64_t gopPosition = 0;
  for (;;) {
    if (!bitsNextStartCode(stream)) {
      index.lastScanReachedEnd = true;
      return fail(entry);
    }
    const std::int64_t at = bitsTell(stream);
    const std::uint32_t code = bitsGet(stream, 32);
    if (code == kSequenceHeaderCode) sequencePosition = at;
    if (code == kPictureStartCode) sequencePosition = -1;
    if (code == kGroupStartCode) {
      gopPosition = at;
      break;
    }
  }
  MPEG_GOP_HEADER gop;
  MPEG_GOP_HEADER next = {};
  parseGopHeader(stream, gop);
  int brokenLink = gop.broken_link;

  GopCounts counts;
  int* k = counts.k;
  int state = 0;
  bool ended = false;
  while (state < 5) {
    if (!bitsNextStartCode(stream)) {
      ended = true;
      break;
    }
    const std::uint32_t code = bitsGet(stream, 32);
    if (code == kGroupStartCode) {
      if (state == 4) {
        state = 5;
        break;
      }
      parseGopHeader(stream, next);
      if (state == 0) return fail(entry);  // a GOP without pictures
      state = next.closed_gop ? 5 : 3;
      continue;
    }
    if (code != kPictureStartCode) continue;
    if (!pictureHeaderPresent(stream)) {
      ended = true;
      break;
    }

    MPEG_PICTURE_HEADER picture;
    parsePictureHeader(stream, *index.progressiveSequence, picture);
    int weight = 1;
    if (picture.hasCodingExtension) {
      if (picture.picture_structure != kFramePicture && !readSecondField(index)) return fail(entry);
      // A repeated first field makes the picture last two frames.
      if (picture.repeat_first_field && picture.top_field_first == index.firstTopFieldFirst) weight = 2;
    }
    const int type = picture.picture_coding_type;
    if (state == 0 || state == 3) {
      if (type != kPictureTypeI) return fail(entry);
      k[state == 0 ? 0 : 3] += weight;
      ++state;
    } else if (type == kPictureTypeI) {
      return fail(entry);  // a second I picture before the next GOP
    } else if (state == 1) {
      if (type == kPictureTypeP) {
        brokenLink = 0;
        k[2] += weight;
        state = 2;
      } else if (!brokenLink) {
        k[gop.closed_gop ? 0 : 1] += weight;
      }
    } else if (state == 2) {
      k[2] += weight;
    } else if (type == kPictureTypeP) {
      state = 5;
    } else if (!next.broken_link) {
      k[4] += weight;
    }
  }

  const int fps = framesPerSecond(index);
  const int firstByTimeCode = timeCodeToFrame(gop.timeCode, fps);
  // Every picture whose header is in the stream counts, also at the end of
  // a stream without an end code: the decoder conceals what a cut picture
  // lacks.
  if (state == 5 && timeCodeToFrame(next.timeCode, fps) - firstByTimeCode != k[1] + k[2] + k[0]) {
    return fail(entry);
  }
  const int count = k[4] + k[2] + k[0];
  if (count <= 0) {
    index.lastScanReachedEnd = ended;  // a GOP the stream cuts before its first picture
    return fail(entry);
  }
  entry.position = sequencePosition >= 0 ? sequencePosition : gopPosition;
  entry.firstFrame = firstByTimeCode + k[1] - index.frameOffset;
  entry.count = count;
  index.lastScanReachedEnd = ended;
  return count;
}

namespace {

// Seeks to the last GOP header before `end`, searching back in windows that
// grow from 128 KiB; returns its position, or -1 (at 0) when there is none.
// *whole, when given, tells whether the last window reached the start.
std::int64_t findLastGopBefore(MPEG_BIT_STREAM& stream, std::int64_t end, bool* whole = nullptr) {
  for (std::int64_t window = kFirstWindow;; window *= 4) {
    const bool fromStart = end < window;
    if (whole != nullptr) *whole = fromStart;
    bitsSeek(stream, fromStart ? 0 : end - window, 0);
    std::int64_t last = -1;
    while (bitsNextStartCode(stream) && bitsTell(stream) < end) {
      if (bitsPeek(stream, 32) == kGroupStartCode) last = bitsTell(stream);
      bitsSkip(stream, 32);
    }
    if (fromStart || last >= 0) {
      bitsSeek(stream, last >= 0 ? last : 0, 0);
      return last;
    }
  }
}

}  // namespace

int findLastGop(MPEG_BIT_STREAM& stream) {
  bool whole = false;
  findLastGopBefore(stream, stream.streamEnd, &whole);
  return whole ? 0 : 1;
}

int countFrames(MPEG_STREAM_INDEX& index) {
  MPEG_BIT_STREAM& stream = *index.stream;
  bitsSeek(stream, 0, 0);
  index.frameOffset = 0;
  MPEG_GOP_ENTRY entry;
  if (!scanGop(index, entry)) return -1;
  index.frameOffset = entry.firstFrame;
  // Even when that scan ran to the end, the stream may hold a later GOP
  // header (its I picture only counted as the next GOP's start).

  // The last GOP holding a picture gives the total; GOPs a cut stream ends
  // before their first picture are passed over.
  const int firstCount = entry.count;
  std::int64_t lastGopPosition = stream.streamEnd;
  for (;;) {
    lastGopPosition = findLastGopBefore(stream, lastGopPosition);
    if (lastGopPosition < 0) return firstCount;
    if (scanGop(index, entry)) break;
    if (!index.lastScanReachedEnd) return -1;
  }
  const int total = entry.firstFrame + entry.count;

  // Probes across the stream must meet GOPs in rising frame order. A probe
  // past the last GOP has no GOP to meet and is left out.
  int previous = 0;
  const std::int64_t step = stream.streamEnd / kValidationProbes;
  for (int probe = 0; probe < kValidationProbes; ++probe) {
    const std::int64_t position = probe * step;
    if (position > lastGopPosition) break;
    bitsSeek(stream, position, 0);
    if (!scanGop(index, entry) || entry.firstFrame < previous || entry.firstFrame > total) return -1;
    previous = entry.firstFrame;
  }
  return total;
}

MPEG_GOP_ENTRY* seekByFrame(MPEG_GOP_ENTRY* entry, MPEG_STREAM_INDEX* index, int frame) {
  MPEG_BIT_STREAM& stream = *index->stream;
  std::int64_t low = 0;
  std::int64_t high = stream.streamEnd;
  std::int64_t probe = high / 2;
  for (int probes = 0; low < high && (high - low) / 2 != 0 && probes < kMaxProbes; ++probes) {
    bitsSeek(stream, probe, 0);
    if (scanGop(*index, *entry) && frame >= entry->firstFrame) {
      if (frame < entry->firstFrame + entry->count) return entry;
      low = entry->position;
      probe = high;
    }
    high = probe;
    probe = low + (probe - low) / 2;
  }
  *entry = {};
  return entry;
}

}  // namespace reelpack
