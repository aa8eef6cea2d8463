// A conversion job's video pass over an MPEG file: the source opened and
// indexed, its first few kept frames decoded and coded at the small size (the
// rest would only repeat the same work), and the movie written into a
// scratch folder, then removed.
#include <cstdint>
#include <cstdio>
#include <string>

#include "converter/job/conversion_job_record.h"
#include "converter/job/job_output_path.h"
#include "converter/job/movie_frame_plan.h"
#include "fuzz/fuzz_input.h"
#include "host/files/file_api.h"

using namespace reelpack;

namespace {

// Enough frames for the decoder to pass an I, a P and B pictures of a group.
constexpr std::uint32_t kFramesCoded = 4;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LimitAllocationsAsTheDevice();
  const std::string input = WriteFuzzFile(data, size, ".mpg");
  CMpegFileConv job(7, 0, 0);
  std::snprintf(job.m_inputPath, sizeof(job.m_inputPath), "%s", input.c_str());
  std::snprintf(job.m_outputFolder, sizeof(job.m_outputFolder), "%s", FuzzScratchFolder().c_str());
  job.m_sizeIndex = 0;
  job.m_quality = 5;
  job.m_baseQuality = BaseJpegQuality(job.m_quality);
  job.m_maxRateSetting = 45;
  job.m_threadCount = 1;
  job.m_frameCap = kFramesCoded;
  job.WriteMovieFile();
  if (!job.m_moviePath.empty()) DeleteFileW(WidePath(TemporaryOutputPath(job.m_moviePath).c_str()).c_str());
  return 0;
}
