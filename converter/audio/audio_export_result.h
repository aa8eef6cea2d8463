// What the audio pass did, kept in the job record for the front ends.
#pragma once

#include <cstdint>
#include <string>

namespace reelpack {

enum class AudioExportStatus {
  Written,                // the track is written
  NoSound,                // the source has no decodable sound: no track
  LibraryMissing,         // the MP3 encoder module is missing or incomplete
  ConfigurationRefused,   // the encoder (or the encoder choice) refused the settings
  ConversionRefused,      // the rate or channel conversion could not be made
  EncoderFailed,          // the encoder gave no track, or memory ran out
  WriteFailed,            // the track could not be written whole
  Stopped,                // the job was told to stop
};

// How the audio pass leaves a written track.
enum class TrackCommit { Rename, LeaveTemporary };

struct AudioExportResult {
  AudioExportStatus status = AudioExportStatus::NoSound;
  std::string trackPath;  // the track written, or the one that was not
  std::string temporaryPath;  // where a track left for the caller to commit lies
  std::string text;       // one line for the user
  std::uint32_t kbps = 0;  // the MP3 bit rate the frames carry
  bool bitRateChanged = false;  // the asked MP3 bit rate cannot be carried at the rate
  bool cut = false;             // the track was longer than a WAVE image holds
  bool otherTrackKept = false;  // a track of the other extension shares the base name

  // Whether the job should end with a failure status ("no sound" is none).
  bool Failed() const { return status != AudioExportStatus::Written && status != AudioExportStatus::NoSound; }
};

}  // namespace reelpack
