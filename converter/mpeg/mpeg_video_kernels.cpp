#include "converter/mpeg/mpeg_video_kernels.h"

#include "converter/mpeg/mpeg_idct.h"

namespace reelpack {

const MPEG_VIDEO_KERNELS& portableVideoKernels() {
  static const MPEG_VIDEO_KERNELS kernels{inverseDct, upsampleChromaFrame, convertToRgb24,
                                          &portablePredictionKernels()};
  return kernels;
}

const MPEG_VIDEO_KERNELS* sse2VideoKernels() {
#if defined(__SSE2__)
  if (!__builtin_cpu_supports("sse2")) return nullptr;
  static const MPEG_VIDEO_KERNELS kernels{inverseDctSse2, upsampleChromaFrameSse2, convertToRgb24Sse2,
                                          &sse2PredictionKernels()};
  return &kernels;
#else
  return nullptr;
#endif
}

const MPEG_VIDEO_KERNELS& videoKernels() {
  const MPEG_VIDEO_KERNELS* sse2 = sse2VideoKernels();
  return sse2 != nullptr ? *sse2 : portableVideoKernels();
}

}  // namespace reelpack
