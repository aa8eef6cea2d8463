#include "converter/mpeg/mpeg_video.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "converter/mpeg/mpeg_bit_reader.h"
#include "converter/mpeg/mpeg_colour.h"
#include "converter/mpeg/mpeg_headers.h"
#include "converter/mpeg/mpeg_slice.h"
#include "converter/mpeg/mpeg_stream_index.h"
#include "converter/mpeg/mpeg_video_kernels.h"
#include "host/threads/thread_api.h"

namespace reelpack {

struct MPEG_DECODER_CONTEXT {
  MPEG_BIT_STREAM stream;
  MPEG_SEQUENCE_HEADER sequence{};
  MPEG_PICTURE_HEADER picture{};
  int progressiveSequence = 1;

  MPEG_STREAM_INDEX* index = nullptr;
  bool canSeek = false;
  MPEG_GOP_ENTRY gop{};  // the last seek's GOP, its estimates kept up while decoding

  MPEG_PICTURE_POOL pool;
  MPEG_PICTURE* forward = nullptr;
  MPEG_PICTURE* backward = nullptr;

  int closedGopState = 0;
  MPEG_COLOUR_PARAMS colour{};
  MPEG_FRAME_INFO backwardInfo{};  // its number is the next display-order frame
  MPEG_OUTPUT_SLOT slot{};

  const MPEG_VIDEO_KERNELS* kernels = &videoKernels();
  int frameCount = 0;
  int decodedPictures = 0;
  CRITICAL_SECTION lock;
  MPEG_MACROBLOCK_STATE macroblocks{};

  int& nextFrame() { return backwardInfo.number; }
};

namespace {

// Start codes other than the one looked for are passed over only this far.
constexpr std::int64_t kHeaderSearchLimit = 0x200000;
// A request this many frames ahead is still reached by decoding forward.
constexpr int kForwardWindow = 10;

bool findStartCode(MPEG_BIT_STREAM& stream, std::uint32_t wanted) {
  while (bitsNextStartCode(stream)) {
    const std::uint32_t code = bitsGet(stream, 32);
    if (code == wanted) return true;
    if (bitsTell(stream) > kHeaderSearchLimit) return false;
  }
  return false;
}

void releaseReferences(MPEG_DECODER_CONTEXT& c) {
  pictureRelease(c.forward);
  pictureRelease(c.backward);
  c.forward = c.backward = nullptr;
}

void slotClear(MPEG_OUTPUT_SLOT& slot) {
  pictureRelease(slot.picture);
  slot = MPEG_OUTPUT_SLOT{};
}

// A frame leaves for output: its chroma is up-sampled beside the decoded
// samples (which stay usable for prediction) and it replaces the slot.
void outputFrame(MPEG_DECODER_CONTEXT& c, MPEG_PICTURE* picture, const MPEG_FRAME_INFO& info) {
  if (picture == nullptr) return;
  c.kernels->upsampleChroma(picture->planeCb, picture->width, picture->height);
  c.kernels->upsampleChroma(picture->planeCr, picture->width, picture->height);
  slotClear(c.slot);
  c.slot = MPEG_OUTPUT_SLOT{info, pictureRetain(picture), c.colour.width, c.colour.height};
}

// Coding order to display order: the new reference picture takes the
// backward place and the old backward one leaves as the next frame.
void advanceReferences(MPEG_DECODER_CONTEXT& c, MPEG_PICTURE* current, const MPEG_FRAME_INFO& info) {
  pictureRelease(c.forward);
  c.forward = c.backward;
  MPEG_FRAME_INFO leaving = c.backwardInfo;
  leaving.number = c.nextFrame();
  c.backward = pictureRetain(current);
  c.backwardInfo = info;
  // The new picture's number is provisional: the next frame after the one
  // leaving, fixed when it leaves in turn.
  c.nextFrame() = info.number + 1;
  if (c.forward != nullptr && leaving.pictureType == kPictureTypeI && leaving.number != c.gop.firstFrame) {
    // The last GOP's length is the estimate for this one.
    c.gop.count = leaving.number - c.gop.firstFrame;
    c.gop.firstFrame = leaving.number;
  }
  outputFrame(c, c.forward, leaving);
  c.closedGopState = c.closedGopState == 1 ? 2 : 0;
}

// The backward reference leaves at once (end of stream, broken link, new
// picture size); neither reference predicts what follows.
void flushReferences(MPEG_DECODER_CONTEXT& c) {
  MPEG_FRAME_INFO leaving = c.backwardInfo;
  leaving.number = c.nextFrame();
  if (c.backward != nullptr) {
    outputFrame(c, c.backward, leaving);
    ++c.nextFrame();
  }
  releaseReferences(c);
}

void setUpSequence(MPEG_DECODER_CONTEXT& c) {
  c.progressiveSequence = 1;
  colourParamsForPicture(c.sequence.horizontal_size, c.sequence.vertical_size, c.sequence.codedWidth, c.colour);
  macroblockSetSequence(c.macroblocks, c.sequence, *c.kernels->prediction, c.kernels->inverseDct);
}

void decodePicture(MPEG_DECODER_CONTEXT& c) {
  parsePictureHeader(c.stream, c.progressiveSequence, c.picture);
  const int type = c.picture.picture_coding_type;
  if (type != kPictureTypeI && type != kPictureTypeP && type != kPictureTypeB) return;
  // A P picture with nothing to predict from is passed over before it can
  // become a reference.
  if (type == kPictureTypeP && c.backward == nullptr) return;
  if (type == kPictureTypeB &&
      (c.backward == nullptr || (c.forward == nullptr && c.closedGopState == 0)))
    return;
  MPEG_PICTURE* current = pictureCreate(c.sequence.codedWidth, c.sequence.codedHeight, &c.pool);
  if (current == nullptr) return;
  MPEG_FRAME_INFO info{c.nextFrame(), type, 0};
  if (type != kPictureTypeB) advanceReferences(c, current, info);
  info.closedGopState = c.closedGopState;
  macroblockSetPicture(c.macroblocks, c.picture);
  // A B picture of a closed GOP without a forward reference predicts from
  // the backward one alone.
  const MPEG_REFERENCES references =
      type == kPictureTypeB ? MPEG_REFERENCES{c.forward ? c.forward : c.backward, c.backward, current}
                            : MPEG_REFERENCES{c.forward, nullptr, current};
  decodeSlices(c.stream, c.macroblocks, references);
  ++c.decodedPictures;
  if (type == kPictureTypeB) {
    outputFrame(c, current, info);
    ++c.nextFrame();
  }
  pictureRelease(current);
}

// A sequence header met while decoding.
void rereadSequence(MPEG_DECODER_CONTEXT& c) {
  MPEG_SEQUENCE_HEADER sequence;
  if (!parseSequenceHeader(c.stream, sequence)) return;
  if (sequence.hasSequenceExtension) {
    // Not MPEG-1 video from here on: treat it as the end.
    flushReferences(c);
    c.nextFrame() = -1;
    return;
  }
  if (sequence.codedWidth != c.sequence.codedWidth || sequence.codedHeight != c.sequence.codedHeight ||
      sequence.horizontal_size != c.sequence.horizontal_size ||
      sequence.vertical_size != c.sequence.vertical_size)
    flushReferences(c);
  c.sequence = sequence;
  setUpSequence(c);
}

bool seekTo(MPEG_DECODER_CONTEXT& c, int frame) {
  if (!c.canSeek) return false;
  seekByFrame(&c.gop, c.index, frame);
  bitsSeek(c.stream, c.gop.position, 0);
  releaseReferences(c);
  if (c.gop.count == 0 || frame < c.gop.firstFrame) return false;
  c.backwardInfo = MPEG_FRAME_INFO{c.gop.firstFrame - 1, 0, 0};
  slotClear(c.slot);
  return true;
}

bool holds(const MPEG_OUTPUT_SLOT& slot, int frame) { return slot.picture != nullptr && slot.info.number == frame; }

const MPEG_OUTPUT_SLOT* fetchLocked(MPEG_DECODER_CONTEXT& c, int frame) {
  if (holds(c.slot, frame)) return &c.slot;
  const int next = c.nextFrame();
  const bool forwardOnly =
      (c.backward != nullptr && next == frame) ||
      (0 < next && next < frame && frame < std::max(c.gop.firstFrame + c.gop.count, next + kForwardWindow));
  if (!forwardOnly && !seekTo(c, frame)) return nullptr;
  while (frame >= c.nextFrame() && !holds(c.slot, frame)) {
    if (!bitsNextStartCode(c.stream)) {
      flushReferences(c);
      c.nextFrame() = -1;
      break;
    }
    const std::uint32_t code = bitsGet(c.stream, 32);
    if (code == kSequenceHeaderCode) {
      rereadSequence(c);
    } else if (code == kGroupStartCode) {
      MPEG_GOP_HEADER gop;
      parseGopHeader(c.stream, gop);
      c.closedGopState = gop.closed_gop;
      if (gop.broken_link) flushReferences(c);
    } else if (code == kPictureStartCode) {
      decodePicture(c);
    }
  }
  return holds(c.slot, frame) ? &c.slot : nullptr;
}

void freeContext(MPEG_DECODER_CONTEXT* c) {
  slotClear(c->slot);
  releaseReferences(*c);
  poolFree(c->pool);
  indexFree(c->index);
  bitsCloseStream(c->stream);
  DeleteCriticalSection(&c->lock);
  delete c;
}

// Why a file without MPEG-1 video is refused: an MPEG-2 program stream (its
// packets cannot be read as MPEG-1 ones) is told by the '01' that follows its
// first pack code.
MpegOpenResult whyNoSystemStream(const char* path) {
  const std::unique_ptr<SYS_READER> reader = readerOpen(path);
  if (!reader) return kMpegUnreadable;
  if (reader->getBits(32) == 0x1BA && reader->peekBits(2) == 1) return kMpegProgramStreamIsMpeg2;
  return kMpegNoVideo;
}

MPEG_DECODER_CONTEXT* createContext(const char* path, MpegOpenResult* result) {
  *result = kMpegUnknownExtension;
  if (!mpegHasKnownExtension(path)) return nullptr;
  auto* c = new (std::nothrow) MPEG_DECODER_CONTEXT;
  *result = kMpegOutOfMemory;
  if (c == nullptr) return nullptr;
  InitializeCriticalSection(&c->lock);
  auto refuse = [&](MpegOpenResult why) -> MPEG_DECODER_CONTEXT* {
    *result = why;
    freeContext(c);
    return nullptr;
  };
  if (!bitsOpenStream(path, c->stream)) return refuse(whyNoSystemStream(path));
  if (!findStartCode(c->stream, kSequenceHeaderCode) || !parseSequenceHeader(c->stream, c->sequence))
    return refuse(whyNoSystemStream(path));
  if (c->sequence.hasSequenceExtension) return refuse(kMpegVideoIsMpeg2);
  if (!findStartCode(c->stream, kPictureStartCode)) return refuse(kMpegNoVideo);
  parsePictureHeader(c->stream, 1, c->picture);
  if (c->picture.picture_coding_type == 4) return refuse(kMpegDPictures);

  bitsSeek(c->stream, 0, 0);
  c->index = indexCreate(c->stream, c->sequence, &c->progressiveSequence, 0);
  if (c->index == nullptr) return refuse(kMpegOutOfMemory);
  bitsSeek(c->stream, 0, 0);
  MPEG_GOP_ENTRY first;
  if (scanGop(*c->index, first) > 0) {
    c->canSeek = true;
    c->frameCount = countFrames(*c->index);
  }
  setUpSequence(*c);
  bitsSeek(c->stream, 0, 0);
  c->gop = MPEG_GOP_ENTRY{0, -1, 0};
  c->backwardInfo = MPEG_FRAME_INFO{c->gop.firstFrame - 1, 0, 0};
  *result = kMpegOpened;
  return c;
}

}  // namespace

bool mpegHasKnownExtension(const char* path) {
  if (path == nullptr) return false;
  const std::string_view name(path);
  const std::size_t dot = name.find_last_of(".\\/");
  if (dot == std::string_view::npos || name[dot] != '.') return false;
  const std::string_view extension = name.substr(dot);
  for (const std::string_view known : {".mpeg", ".mpg", ".mp2", ".dat", ".dah"}) {
    if (known.size() == extension.size() &&
        std::equal(known.begin(), known.end(), extension.begin(),
                   [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); }))
      return true;
  }
  return false;
}

MPEG_VIDEO_HANDLE* mpegOpen(const char* path, MpegOpenResult* result) {
  MpegOpenResult why;
  MPEG_DECODER_CONTEXT* c = createContext(path, &why);
  MPEG_VIDEO_HANDLE* handle = nullptr;
  if (c != nullptr) {
    handle = new (std::nothrow) MPEG_VIDEO_HANDLE{};
    if (handle == nullptr) {
      freeContext(c);
      why = kMpegOutOfMemory;
    } else {
      const MPEG_STREAM_INDEX* index = c->index;
      *handle = MPEG_VIDEO_HANDLE{c,
                                  c->frameCount,
                                  static_cast<std::uint32_t>(index->rateNumerator),
                                  static_cast<std::uint32_t>(index->rateDenominator),
                                  c->colour.width,
                                  c->colour.height,
                                  24,
                                  0,
                                  nullptr,
                                  0,
                                  0};
    }
  }
  if (result != nullptr) *result = why;
  return handle;
}

const MPEG_OUTPUT_SLOT* mpegFetchPicture(MPEG_DECODER_CONTEXT* context, int frameNumber) {
  CriticalSectionLock hold(&context->lock);
  return fetchLocked(*context, frameNumber);
}

int mpegDecodedPictures(const MPEG_DECODER_CONTEXT* context) { return context->decodedPictures; }

int mpegGetFrame(MPEG_VIDEO_HANDLE* handle) {
  if (handle == nullptr || handle->buffer == nullptr) return 0;
  MPEG_DECODER_CONTEXT& c = *handle->context;
  CriticalSectionLock hold(&c.lock);
  const MPEG_OUTPUT_SLOT* slot = fetchLocked(c, handle->frameNumber);
  if (slot == nullptr) return 0;
  // Checked against the picture about to be written, which a later sequence
  // header may have made larger than the one at open.
  const std::uint64_t rowBytes = 3 * static_cast<std::uint64_t>(slot->shownWidth);
  if (handle->stride < rowBytes ||
      handle->bufferSize < static_cast<std::uint64_t>(handle->stride) * static_cast<std::uint64_t>(slot->shownHeight))
    return 0;
  MPEG_COLOUR_PARAMS params;
  colourParamsForPicture(slot->shownWidth, slot->shownHeight, slot->picture->width, params);
  params.outStride = static_cast<int>(handle->stride);
  const MPEG_PICTURE& picture = *slot->picture;
  c.kernels->convert(picture.planeY, picture.planeCb, picture.planeCr, handle->buffer, params);
  return 1;
}

void mpegClose(MPEG_VIDEO_HANDLE* handle) {
  if (handle == nullptr) return;
  freeContext(handle->context);
  delete handle;
}

}  // namespace reelpack
