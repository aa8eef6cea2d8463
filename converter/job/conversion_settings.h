// The settings a front end gives a conversion job, with the dialog's
// defaults, and the one place they are copied into the job.
#pragma once

#include <cstdint>
#include <string>

#include "converter/job/conversion_job_record.h"

namespace reelpack {

struct ConversionSettings {
  std::int32_t frameRateMode = 0;       // 0 standard, 1 full rate, 2 minimum
  std::int32_t sizeIndex = 0;           // 0 for 320 x 240, 1 for 640 x 480
  std::int32_t quality = 8;             // quality list index: 100 - 5 x index percent ("60%")
  std::uint32_t maxRateSetting = 45;    // tenths of Mbit/s, 20 to 70
  std::int32_t audioBitRateIndex = 3;   // "64/32kbit"
  std::int32_t sampleRateIndex = 0;     // 22,050 Hz
  std::int32_t stereo = 1;
  std::int32_t encoder = 0;             // 0 MP3, 1 Ogg Vorbis
  std::int32_t threads = 0;             // 0: the machine's hardware threads
};

// Copies the settings and both paths (Shift-JIS) into the job. False, and
// the paths left empty, when a path does not fit the job's record.
bool ApplyConversionSettings(const ConversionSettings& settings, const std::string& inputPath,
                             const std::string& outputFolder, CMpegFileConv& job);

}  // namespace reelpack
