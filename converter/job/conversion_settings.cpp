#include "converter/job/conversion_settings.h"

#include <cstring>

namespace reelpack {

bool ApplyConversionSettings(const ConversionSettings& settings, const std::string& inputPath,
                             const std::string& outputFolder, CMpegFileConv& job) {
  job.m_inputPath[0] = '\0';
  job.m_outputFolder[0] = '\0';
  if (inputPath.size() >= sizeof job.m_inputPath || outputFolder.size() >= sizeof job.m_outputFolder) return false;
  std::memcpy(job.m_inputPath, inputPath.c_str(), inputPath.size() + 1);
  std::memcpy(job.m_outputFolder, outputFolder.c_str(), outputFolder.size() + 1);
  job.m_frameRateMode = settings.frameRateMode;
  job.m_sizeIndex = settings.sizeIndex;
  job.m_quality = settings.quality;
  job.m_maxRateSetting = settings.maxRateSetting;
  job.m_audioBitRateIndex = settings.audioBitRateIndex;
  job.m_sampleRateIndex = settings.sampleRateIndex;
  job.m_stereo = settings.stereo;
  job.m_encoder = settings.encoder;
  job.m_threads = settings.threads;
  return true;
}

}  // namespace reelpack
