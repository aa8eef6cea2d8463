// The slice and macroblock layer of MPEG-1 video: decodes every slice of a
// picture into the current picture, forming predictions and placing blocks,
// and conceals the macroblocks no slice delivered.
#pragma once

#include <cstdint>

#include "converter/mpeg/mpeg_bit_reader.h"
#include "converter/mpeg/mpeg_headers.h"
#include "converter/mpeg/mpeg_prediction_kernels.h"
#include "converter/mpeg/mpeg_quant_matrix.h"
#include "converter/mpeg/mpeg_reconstruct.h"

namespace reelpack {

using MpegInverseDct = void (*)(std::int16_t* block);

struct MPEG_MACROBLOCK_STATE {
  MPEG_QUANT_MATRICES matrices;
  // The matrices times quantiser_scale (2 x code) for every code.
  std::uint16_t scaledIntra[32][64];
  std::uint16_t scaledNonIntra[32][64];
  int quantiserScaleCode;

  const MPEG_PREDICTION_KERNELS* kernels;
  MpegInverseDct inverseDct;

  int pictureType;
  int fCode[2];   // forward, backward: 1..7
  int fullPel[2];

  int dcPredictor[3];  // Y, Cb, Cr
  // The last macroblock's prediction; its vectors are the motion vector
  // predictors.
  MPEG_PREDICTION prediction;

  alignas(16) std::int16_t block[64];
};

// The quantiser matrices of a (new) sequence header, and the kernels.
void macroblockSetSequence(MPEG_MACROBLOCK_STATE& state, const MPEG_SEQUENCE_HEADER& sequence,
                           const MPEG_PREDICTION_KERNELS& kernels, MpegInverseDct inverseDct);
// The picture's type, vector codes and scaled matrices.
void macroblockSetPicture(MPEG_MACROBLOCK_STATE& state, const MPEG_PICTURE_HEADER& picture);

// Decodes the slices that follow in the stream into pictures.current (the
// stream stands at the first slice start code). Macroblocks that no slice
// delivered are concealed. Returns 1 when the last macroblock was reached or
// the data ended, 0 when another start code ended the picture; the stream
// then stands at that start code.
int decodeSlices(MPEG_BIT_STREAM& stream, MPEG_MACROBLOCK_STATE& state, const MPEG_REFERENCES& pictures);

}  // namespace reelpack
