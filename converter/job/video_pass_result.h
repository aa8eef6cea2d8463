// What a conversion job is doing, and what its video pass did.
#pragma once

#include <cstdint>
#include <string>

namespace reelpack {

enum class JobPhase : std::int32_t { Waiting, Video, Sound, Committing, Finished };

enum class VideoPassStatus {
  NotRun,
  Written,       // the movie is in place
  Cancelled,     // the job was told to stop: nothing written
  Refused,       // the input or the output folder cannot be used: nothing written
  WriteFailed,   // the movie could not be written whole: nothing written
  CodingFailed,  // no frame could be decoded, or the first could not be coded
};

struct VideoPassResult {
  VideoPassStatus status = VideoPassStatus::NotRun;
  std::string text;  // one line for the user
};

}  // namespace reelpack
