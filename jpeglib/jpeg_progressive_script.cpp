// The fixed scan scripts of the progressive encoder, by JPEG colour and
// component count.
#include <new>

#include "jpeglib/jpeg_progressive.h"

namespace {

constexpr int kAll = -1;  // a DC scan over every component

struct ScriptScan {
  int component;  // kAll or one component's position
  int start, end, high, low;
};

constexpr ScriptScan kGrey[] = {
    {kAll, 0, 0, 0, 1}, {0, 1, 5, 0, 2}, {0, 6, 63, 0, 2}, {0, 1, 63, 2, 1}, {kAll, 0, 0, 1, 0}, {0, 1, 63, 1, 0},
};
constexpr ScriptScan kTwoOther[] = {
    {kAll, 0, 0, 0, 0}, {0, 1, 5, 0, 0}, {1, 1, 5, 0, 0}, {0, 6, 63, 0, 0}, {1, 6, 63, 0, 0},
};
constexpr ScriptScan kThreePlain[] = {
    {kAll, 0, 0, 0, 1}, {0, 1, 5, 0, 0},  {1, 1, 5, 0, 0},  {2, 1, 5, 0, 0},
    {kAll, 0, 0, 1, 0}, {0, 6, 63, 0, 0}, {1, 6, 63, 0, 0}, {2, 6, 63, 0, 0},
};
constexpr ScriptScan kYCbCr[] = {
    {kAll, 0, 0, 0, 1}, {0, 1, 5, 0, 2},    {2, 1, 63, 0, 1}, {1, 1, 63, 0, 1}, {0, 6, 63, 0, 2},
    {0, 1, 63, 2, 1},   {kAll, 0, 0, 1, 0}, {2, 1, 63, 1, 0}, {1, 1, 63, 1, 0}, {0, 1, 63, 1, 0},
};
constexpr ScriptScan kFourPlain[] = {
    {kAll, 0, 0, 0, 1}, {0, 1, 5, 0, 0},  {1, 1, 5, 0, 0},  {2, 1, 5, 0, 0},  {3, 1, 5, 0, 0},
    {kAll, 0, 0, 1, 0}, {0, 6, 63, 0, 0}, {1, 6, 63, 0, 0}, {2, 6, 63, 0, 0}, {3, 6, 63, 0, 0},
};
constexpr ScriptScan kYCbCrA[] = {
    {kAll, 0, 0, 0, 1}, {0, 1, 5, 0, 2},    {2, 1, 63, 0, 1}, {1, 1, 63, 0, 1}, {3, 1, 63, 0, 0}, {0, 6, 63, 0, 2},
    {0, 1, 63, 2, 1},   {kAll, 0, 0, 1, 0}, {2, 1, 63, 1, 0}, {1, 1, 63, 1, 0}, {0, 1, 63, 1, 0},
};

struct Script {
  const ScriptScan* scans;
  int count;
};

template <std::size_t N>
constexpr Script of(const ScriptScan (&scans)[N]) {
  return {scans, static_cast<int>(N)};
}

Script scriptFor(int color, int channels) {
  const bool other = color == JPEG_COLOR_OTHER;
  if (color == JPEG_COLOR_GRAY && channels == 1) return of(kGrey);
  if (other && channels == 2) return of(kTwoOther);
  if ((color == JPEG_COLOR_RGB || other) && channels == 3) return of(kThreePlain);
  if (color == JPEG_COLOR_YCBCR && channels == 3) return of(kYCbCr);
  if ((color == JPEG_COLOR_RGBA || other) && channels == 4) return of(kFourPlain);
  if (color == JPEG_COLOR_YCBCRA && channels == 4) return of(kYCbCrA);
  return {nullptr, 0};
}

}  // namespace

JPEG_STATUS jpegBuildProgressiveScript(const JpegWorkingState& work, std::unique_ptr<JPEG_SCAN[]>& script,
                                       int& scanCount) {
  const int channels = work.frame.componentCount;
  const Script chosen = scriptFor(work.fields.jpegColor, channels);
  if (chosen.scans == nullptr) return JPEG_INVALID_PROPERTIES;
  script.reset(new (std::nothrow) JPEG_SCAN[static_cast<std::size_t>(chosen.count)]);
  if (!script) return JPEG_MEMORY_ERROR;
  for (int i = 0; i < chosen.count; ++i) {
    const ScriptScan& from = chosen.scans[i];
    JPEG_SCAN& scan = script[i];
    scan.componentCount = from.component == kAll ? channels : 1;
    for (int c = 0; c < scan.componentCount; ++c) scan.component[c] = from.component == kAll ? c : from.component;
    scan.spectralStart = from.start;
    scan.spectralEnd = from.end;
    scan.approxHigh = from.high;
    scan.approxLow = from.low;
  }
  scanCount = chosen.count;
  return JPEG_SUCCESS;
}
