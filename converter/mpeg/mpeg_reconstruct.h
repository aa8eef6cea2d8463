// Motion-compensated prediction of a macroblock from the reference pictures
// and the placement of its inverse-transformed blocks (frame pictures, 4:2:0).
#pragma once

#include <cstdint>

#include "converter/mpeg/mpeg_picture.h"
#include "converter/mpeg/mpeg_prediction_kernels.h"

namespace reelpack {

// How one macroblock is predicted: which references and the vectors, in
// half-pels, [forward, backward][x, y].
struct MPEG_PREDICTION {
  int forward;
  int backward;
  int vectors[2][2];
};

struct MPEG_REFERENCES {
  const MPEG_PICTURE* forward;   // null when none is held
  const MPEG_PICTURE* backward;
  MPEG_PICTURE* current;
};

// Keeps the 16 x 16 area a vector points at (with its half-pel neighbour)
// inside a width x height picture, for the macroblock at luma (x, y).
void clampVectors(MPEG_PREDICTION& prediction, int x, int y, int width, int height);

// One prediction of the macroblock at luma (x, y) from the reference: luma
// with a 16-wide kernel, each chroma plane with an 8-wide one on the vector
// halved toward zero. put 1 writes, 0 averages into what is there.
void predictBlock(const MPEG_PICTURE& reference, MPEG_PICTURE& current, int vectorX, int vectorY, int x, int y,
                  int put, const MPEG_PREDICTION_KERNELS& kernels);

// The whole prediction: forward put, then backward put or averaged. The
// vectors must have been clamped.
void formPredictions(const MPEG_REFERENCES& pictures, const MPEG_PREDICTION& prediction, int x, int y,
                     const MPEG_PREDICTION_KERNELS& kernels);

// Block 0..5 of the macroblock at luma (x, y): four luma blocks, then Cb and
// Cr; intra blocks are stored, others added, both saturating.
void placeBlock(const std::int16_t* block, MPEG_PICTURE& current, int intra, int x, int y, int blockIndex,
                const MPEG_PREDICTION_KERNELS& kernels);

// What stands in for a macroblock that has nothing to be predicted from:
// luma 16 and chroma 128.
void fillMacroblock(MPEG_PICTURE& current, int x, int y);

}  // namespace reelpack
