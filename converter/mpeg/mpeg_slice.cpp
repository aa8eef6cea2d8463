#include "converter/mpeg/mpeg_slice.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "converter/mpeg/mpeg_block.h"
#include "converter/mpeg/mpeg_vlc.h"

namespace reelpack {
namespace {

constexpr MPEG_PREDICTION kForwardStill = {1, 0, {{0, 0}, {0, 0}}};

class SliceDecoder {
 public:
  SliceDecoder(MPEG_BIT_STREAM& stream, MPEG_MACROBLOCK_STATE& state, const MPEG_REFERENCES& pictures)
      : stream_(stream),
        state_(state),
        pictures_(pictures),
        width_(pictures.current->width),
        height_(pictures.current->height),
        mbWidth_(width_ / 16),
        mbCount_(mbWidth_ * (height_ / 16)) {}

  int run();

 private:
  void resetDcPredictors() {
    state_.dcPredictor[0] = state_.dcPredictor[1] = state_.dcPredictor[2] = 128;
  }
  int x(int address) const { return address % mbWidth_ * 16; }
  int y(int address) const { return address / mbWidth_ * 16; }

  // The increment with escapes added and stuffing skipped; 0 for bits that
  // start no code.
  int addressIncrement();
  // A vector component from its predictor, both in half-pels.
  bool vectorComponent(int fCode, int fullPel, int* component);
  bool macroblock(int address);
  // The prediction alone, from the last macroblock's record.
  void predictOnly(int address);
  void conceal(int from, int to);

  MPEG_BIT_STREAM& stream_;
  MPEG_MACROBLOCK_STATE& state_;
  const MPEG_REFERENCES& pictures_;
  const int width_, height_, mbWidth_, mbCount_;
};

int SliceDecoder::addressIncrement() {
  const MpegVlcTable& table = addressIncrementTable();
  int escapes = 0;
  for (;;) {
    const int v = table.decode(stream_);
    if (v == kAddressStuffing) continue;
    if (v == kAddressEscape) {
      escapes += 33;
      continue;
    }
    return v == MpegVlcTable::kNoEntry ? 0 : escapes + v;
  }
}

bool SliceDecoder::vectorComponent(int fCode, int fullPel, int* component) {
  int code = motionCodeTable().decode(stream_);
  if (code == MpegVlcTable::kNoEntry) return false;
  if (code == 0) return true;
  if (bitsGet(stream_, 1)) code = -code;
  const int rSize = fCode - 1;
  const int f = 1 << rSize;
  const int residual = rSize > 0 ? static_cast<int>(bitsGet(stream_, rSize)) : 0;
  int delta = (std::abs(code) - 1) * f + residual + 1;
  if (code < 0) delta = -delta;
  // Full-pel vectors are coded in whole pixels and kept in half-pels.
  int v = (fullPel ? *component >> 1 : *component) + delta;
  if (v < -16 * f) v += 32 * f;
  if (v > 16 * f - 1) v -= 32 * f;
  *component = fullPel ? v * 2 : v;
  return true;
}

void SliceDecoder::predictOnly(int address) {
  const MPEG_PREDICTION& record = state_.prediction;
  if (record.forward && pictures_.forward == nullptr) {
    fillMacroblock(*pictures_.current, x(address), y(address));
    return;
  }
  MPEG_PREDICTION clamped = record;
  clampVectors(clamped, x(address), y(address), width_, height_);
  formPredictions(pictures_, clamped, x(address), y(address), *state_.kernels);
}

void SliceDecoder::conceal(int from, int to) {
  for (int address = from; address < to; ++address) predictOnly(address);
}

bool SliceDecoder::macroblock(int address) {
  const int type = macroblockTypeTable(state_.pictureType).decode(stream_);
  if (type == MpegVlcTable::kNoEntry) return false;
  if (type & kMacroblockQuant) state_.quantiserScaleCode = static_cast<int>(bitsGet(stream_, 5));
  const bool intra = (type & kMacroblockIntra) != 0;
  MPEG_PREDICTION& record = state_.prediction;
  if (intra) {
    record = kForwardStill;
  } else {
    resetDcPredictors();
    if (type & kMacroblockForward) {
      for (int c = 0; c < 2; ++c)
        if (!vectorComponent(state_.fCode[0], state_.fullPel[0], &record.vectors[0][c])) return false;
    } else if (state_.pictureType == kPictureTypeP) {
      record.vectors[0][0] = record.vectors[0][1] = 0;
    }
    if (type & kMacroblockBackward) {
      for (int c = 0; c < 2; ++c)
        if (!vectorComponent(state_.fCode[1], state_.fullPel[1], &record.vectors[1][c])) return false;
    }
    record.forward = (type & kMacroblockForward) || state_.pictureType == kPictureTypeP;
    record.backward = (type & kMacroblockBackward) != 0;
    predictOnly(address);
  }
  int pattern = 63;
  if (!intra) {
    pattern = 0;
    if (type & kMacroblockPattern) {
      pattern = codedBlockPatternTable().decode(stream_);
      if (pattern == MpegVlcTable::kNoEntry) return false;
    }
  }
  const std::uint16_t* intraMatrix = state_.scaledIntra[state_.quantiserScaleCode];
  const std::uint16_t* nonIntraMatrix = state_.scaledNonIntra[state_.quantiserScaleCode];
  for (int i = 0; i < 6; ++i) {
    if (!(pattern & (32 >> i))) continue;
    std::memset(state_.block, 0, sizeof state_.block);
    const int component = i < 4 ? 0 : i - 3;
    const int coded =
        intra ? decodeIntraBlock(stream_, component ? dcSizeChromaTable() : dcSizeLumaTable(),
                                 &state_.dcPredictor[component], intraMatrix, state_.block)
              : decodeNonIntraBlock(stream_, nonIntraMatrix, state_.block);
    if (!coded) continue;
    state_.inverseDct(state_.block);
    placeBlock(state_.block, *pictures_.current, intra, x(address), y(address), i, *state_.kernels);
  }
  return true;
}

int SliceDecoder::run() {
  int next = 0;  // the first macroblock not yet delivered
  for (;;) {
    const std::uint32_t code = bitsPeek(stream_, 32);
    if (code <= kPictureStartCode || code > kLastSliceStartCode) {
      conceal(next, mbCount_);
      return 0;
    }
    bitsSkip(stream_, 32);
    const int verticalPosition = static_cast<int>(code & 0xFF);
    state_.quantiserScaleCode = static_cast<int>(bitsGet(stream_, 5));
    while (bitsGet(stream_, 1)) bitsSkip(stream_, 8);  // extra information
    resetDcPredictors();
    state_.prediction = kForwardStill;

    const int increment = addressIncrement();
    int address = (verticalPosition - 1) * mbWidth_ + increment - 1;
    if (increment > 0) {
      if (address >= mbCount_ || address < next - mbWidth_) {
        // Beyond the picture or far behind: nothing more of it can be trusted.
        conceal(next, mbCount_);
        return 1;
      }
      conceal(next, address);
      next = address;
      for (;;) {
        if (!macroblock(address)) break;
        next = address + 1;
        if (next == mbCount_) return 1;
        const int step = addressIncrement();
        if (step == 0 || (step > 1 && state_.pictureType == kPictureTypeI)) break;
        if (step > 1) {
          resetDcPredictors();
          if (state_.pictureType == kPictureTypeP) state_.prediction = kForwardStill;
          // Skips stop at the picture's last macroblock.
          const int skipEnd = std::min(next + step - 1, mbCount_);
          for (; next < skipEnd; ++next) predictOnly(next);
          if (next == mbCount_) return 1;
        }
        address = next;
      }
    }
    if (!bitsNextStartCode(stream_)) {
      conceal(next, mbCount_);
      return 1;
    }
  }
}

}  // namespace

void macroblockSetSequence(MPEG_MACROBLOCK_STATE& state, const MPEG_SEQUENCE_HEADER& sequence,
                           const MPEG_PREDICTION_KERNELS& kernels, MpegInverseDct inverseDct) {
  quantMatricesFromSequence(sequence, state.matrices);
  state.kernels = &kernels;
  state.inverseDct = inverseDct;
}

void macroblockSetPicture(MPEG_MACROBLOCK_STATE& state, const MPEG_PICTURE_HEADER& picture) {
  state.pictureType = picture.picture_coding_type;
  // A forbidden f_code of 0 is read as 1, so a damaged header cannot ask for
  // a negative shift.
  state.fCode[0] = std::max(picture.forward_f_code, 1);
  state.fCode[1] = std::max(picture.backward_f_code, 1);
  state.fullPel[0] = picture.full_pel_forward_vector;
  state.fullPel[1] = picture.full_pel_backward_vector;
  for (int code = 0; code < 32; ++code) {
    for (int k = 0; k < 64; ++k) {
      state.scaledIntra[code][k] = static_cast<std::uint16_t>(state.matrices.intra[k] * 2 * code);
      state.scaledNonIntra[code][k] = static_cast<std::uint16_t>(state.matrices.nonIntra[k] * 2 * code);
    }
  }
}

int decodeSlices(MPEG_BIT_STREAM& stream, MPEG_MACROBLOCK_STATE& state, const MPEG_REFERENCES& pictures) {
  return SliceDecoder(stream, state, pictures).run();
}

}  // namespace reelpack
