// The converter's audio pass: the movie's sound track decoded whole, brought
// to the chosen rate and channels and encoded as MP3 (the "gogo.dll" module)
// or Ogg Vorbis. CMpegFileConv::ExportAudioTrack drives it; these are its steps.
#pragma once

#include <cstdint>
#include <vector>

#include "converter/audio/audio_export_result.h"
#include "converter/audio/stop_check.h"

namespace reelpack {

// The settings of one export, from the job record.
struct AudioExportChoice {
  std::int32_t bitRateIndex;     // into the bit-rate list
  std::int32_t sampleRateIndex;  // 0 for 22,050 Hz, 1 for 44,100 Hz
  bool stereo;
};

// Encodes the PCM of a RIFF/WAVE image (imageLength bytes) into *track.
// result->status is set, and for MP3 the bit rate the frames carry.
void ExportMp3(const std::uint8_t* image, std::uint32_t imageLength, const AudioExportChoice& choice,
               std::vector<std::uint8_t>* track, AudioExportResult* result, const StopCheck& stop);
void ExportOgg(const std::uint8_t* image, std::uint32_t imageLength, const AudioExportChoice& choice,
               std::vector<std::uint8_t>* track, AudioExportResult* result, const StopCheck& stop);

}  // namespace reelpack
