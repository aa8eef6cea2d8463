// The conversion job's frame source: the MPEG video decoder by default,
// any source with its calls in tests.
#pragma once

#include "converter/mpeg/mpeg_video.h"

namespace reelpack {

struct VideoSourceCalls {
  MPEG_VIDEO_HANDLE* (*open)(const char* path, MpegOpenResult* result);
  int (*getFrame)(MPEG_VIDEO_HANDLE* handle);
  void (*close)(MPEG_VIDEO_HANDLE* handle);
};

inline VideoSourceCalls MpegVideoSource() { return {mpegOpen, mpegGetFrame, mpegClose}; }

}  // namespace reelpack
