#include "converter/mpeg/mpeg_quant_matrix.h"

#include <algorithm>

namespace reelpack {

const std::uint8_t kMpegDefaultIntraMatrix[64] = {
    8,  16, 19, 22, 26, 27, 29, 34,  //
    16, 16, 22, 24, 27, 29, 34, 37,  //
    19, 22, 26, 27, 29, 34, 34, 38,  //
    22, 22, 26, 27, 29, 34, 37, 40,  //
    22, 26, 27, 29, 32, 35, 40, 48,  //
    26, 27, 29, 32, 35, 40, 48, 58,  //
    26, 27, 29, 34, 38, 46, 56, 69,  //
    27, 29, 35, 38, 46, 56, 69, 83};

namespace {

constexpr std::uint16_t kDefaultNonIntra = 16;

void fromTransmitted(const std::uint16_t* transmitted, std::uint16_t* natural) {
  for (int i = 0; i < 64; ++i) natural[kZigzagToNatural[i]] = transmitted[i];
}

}  // namespace

void quantMatricesFromSequence(const MPEG_SEQUENCE_HEADER& sequence, MPEG_QUANT_MATRICES& m) {
  if (sequence.load_intra_quantiser_matrix) {
    fromTransmitted(sequence.intra_quantiser_matrix, m.intra);
  } else {
    std::copy(kMpegDefaultIntraMatrix, kMpegDefaultIntraMatrix + 64, m.intra);
  }
  if (sequence.load_non_intra_quantiser_matrix) {
    fromTransmitted(sequence.non_intra_quantiser_matrix, m.nonIntra);
  } else {
    std::fill(m.nonIntra, m.nonIntra + 64, kDefaultNonIntra);
  }
  std::copy(m.intra, m.intra + 64, m.chromaIntra);
  std::copy(m.nonIntra, m.nonIntra + 64, m.chromaNonIntra);
}

void quantMatricesFromPicture(const MPEG_PICTURE_HEADER& picture, MPEG_QUANT_MATRICES& m) {
  if (!picture.hasQuantMatrixExtension) return;
  std::uint16_t* slots[4] = {m.intra, m.nonIntra, m.chromaIntra, m.chromaNonIntra};
  for (int slot = 0; slot < 4; ++slot) {
    if (picture.loadQuantMatrix[slot]) {
      fromTransmitted(picture.quantMatrix[slot], slots[slot]);
    } else if (slot >= 2) {
      std::copy(slots[slot - 2], slots[slot - 2] + 64, slots[slot]);
    }
  }
}

}  // namespace reelpack
