// The independent decoder (ffmpeg, run as a program) as the truth for the
// video decoder tests: planes in display order and picture types.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "converter/mpeg/mpeg_video.h"

namespace reelpack {

struct OracleFrame {
  std::vector<std::uint8_t> y, cb, cr;  // display size, chroma (w+1)/2 x (h+1)/2
};

// Every frame of the file as the oracle decodes it; idct names one of its
// inverse DCTs ("" for its default).
std::vector<OracleFrame> OracleFrames(const std::string& path, int width, int height, const std::string& idct = "");
// "IPBB..." in display order.
std::string OraclePictureTypes(const std::string& path);

// Our picture cut to the display size in the oracle's layout.
OracleFrame PlanesOf(const MPEG_OUTPUT_SLOT& slot);

// Peak signal to noise ratio of two planes (99 when equal) and their largest
// sample difference.
double Psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b);
int PeakDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b);

std::string MpegFixture(const std::string& name);
// A stream of tools/make_video_test_streams.sh, made once per build folder.
std::string VideoTestStream(const std::string& name);

}  // namespace reelpack
