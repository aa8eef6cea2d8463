// Interpolated ("smooth") chroma up-sampling of image reads: chroma sampled
// at half the luma's width, or half its width and height, is interpolated
// from its neighbours instead of repeated; the picture's edges repeat their
// last sample. Other sample ratios are repeated.
#pragma once

#include "jpeglib/jpeg_working_state.h"

// Up-sampling mode 1 with some component that the filter applies to.
bool jpegSmoothUpsampling(const JpegWorkingState& work);
// Writes the whole written part of the picture from the coefficient store.
void jpegWriteSmoothImage(JpegWorkingState& work);
