// CMpegFileConv's audio pass: decode, encode, write or remove, report.
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "converter/audio/audio_decoder.h"
#include "converter/audio/audio_export.h"
#include "converter/audio/wave_image_buffer.h"
#include "converter/job/conversion_job_record.h"
#include "converter/job/job_output_path.h"
#include "host/files/file_api.h"

namespace reelpack {
namespace {

constexpr char kMp3Extension[] = ".mp3";
constexpr char kOggExtension[] = ".ogg";

enum class Decoded { Whole, Stopped, OutOfMemory };

// The whole sound track as a WAVE image, decoded frame by frame.
Decoded DecodeTrack(const char* inputPath, std::unique_ptr<CWaveImageBuffer>* image, WAVEFORMATEX* format,
                    const StopCheck& stop) {
  CMpegAudioDecoder decoder(inputPath, 1);
  *image = std::make_unique<CWaveImageBuffer>(decoder.PcmBytesEstimate());
  std::vector<std::uint8_t> frame;
  frame.reserve(kLayer2FramePcmBytes);
  for (int ended = 0; !ended;) {
    if (StopRequested(stop)) return Decoded::Stopped;
    frame.clear();
    ended = decoder.DecodeFrames(&frame, 1);
    if (!(*image)->Append(frame.data(), frame.size())) return Decoded::OutOfMemory;
  }
  *format = decoder.Format();
  return Decoded::Whole;
}

// The track goes under a temporary name first, so a short write never
// leaves a cut track (which would end the movie early). With
// TrackCommit::Rename it then takes its final name.
bool WriteTrack(const std::string& path, const std::vector<std::uint8_t>& track, TrackCommit commit,
                AudioExportResult* result) {
  const std::string temporary = TemporaryOutputPath(path);
  if (!WriteFlushedFile(temporary.c_str(), track.data(), static_cast<std::uint32_t>(track.size()))) return false;
  if (commit == TrackCommit::LeaveTemporary) {
    result->temporaryPath = temporary;
    return true;
  }
  if (MoveFileW(WidePath(temporary.c_str()).c_str(), WidePath(path.c_str()).c_str())) return true;
  DeleteFileW(WidePath(temporary.c_str()).c_str());
  return false;
}

// Decodes the job's sound track and encodes it into *track; sets the
// result's status.
void MakeTrack(const CMpegFileConv& job, bool mp3, const StopCheck& stop, std::vector<std::uint8_t>* track,
               AudioExportResult* result) {
  std::unique_ptr<CWaveImageBuffer> buffer;
  WAVEFORMATEX format{};
  const Decoded decoded = DecodeTrack(job.m_inputPath, &buffer, &format, stop);
  if (decoded != Decoded::Whole) {
    result->status = decoded == Decoded::Stopped ? AudioExportStatus::Stopped : AudioExportStatus::EncoderFailed;
    return;
  }
  if (format.nChannels == 0 || buffer->PcmBytes() == 0) {
    result->status = AudioExportStatus::NoSound;
    return;
  }
  std::uint32_t dataSize = 0;
  const std::uint8_t* image = buffer->Finish(format, &dataSize);
  result->cut = dataSize < buffer->PcmBytes();
  const AudioExportChoice choice{job.m_audioBitRateIndex, job.m_sampleRateIndex, job.m_stereo != 0};
  const auto imageLength = static_cast<std::uint32_t>(kWaveFileHeaderBytes + dataSize);
  if (mp3) {
    ExportMp3(image, imageLength, choice, track, result, stop);
  } else {
    ExportOgg(image, imageLength, choice, track, result, stop);
  }
}

std::string Describe(const AudioExportResult& result, const char* encoderName) {
  switch (result.status) {
    case AudioExportStatus::Written:
      return "sound track written: " + result.trackPath;
    case AudioExportStatus::NoSound:
      return "the source has no sound: no sound track";
    case AudioExportStatus::LibraryMissing:
      return "the MP3 encoder \"gogo.dll\" is missing or incomplete: no sound track";
    case AudioExportStatus::ConfigurationRefused:
      return std::string("the ") + encoderName + " encoder refused the sound settings: no sound track";
    case AudioExportStatus::ConversionRefused:
      return "the sound could not be converted to the chosen rate and channels: no sound track";
    case AudioExportStatus::EncoderFailed:
      return std::string("the ") + encoderName + " encoder failed: no sound track";
    case AudioExportStatus::WriteFailed:
      return "the sound track could not be written: " + result.trackPath;
    case AudioExportStatus::Stopped:
      break;
  }
  return "stopped: no sound track";
}

std::string Notes(const AudioExportResult& result, const std::string& otherPath) {
  std::string notes;
  char line[128];
  if (result.bitRateChanged) {
    std::snprintf(line, sizeof(line), "; MP3 at %u kbit/s, the nearest this rate allows", result.kbps);
    notes += line;
  }
  if (result.cut) notes += "; cut to the longest track a WAVE image holds";
  if (result.otherTrackKept) notes += "; an older track is kept beside it: " + otherPath;
  return notes;
}

}  // namespace

AudioExportResult CMpegFileConv::ExportAudioTrack(const StopCheck& stop, TrackCommit commit) {
  // Once asked and told to stop, every later step sees the same answer.
  bool stopped = false;
  const StopCheck latched = [&stop, &stopped] { return stopped = stopped || StopRequested(stop); };
  AudioExportResult result;
  const bool mp3 = m_encoder == 0;
  const char* encoderName = mp3 ? "MP3" : "Ogg Vorbis";
  if (m_encoder != 0 && m_encoder != 1) {
    result.status = AudioExportStatus::ConfigurationRefused;
    result.text = "unknown sound encoder choice: no sound track";
    m_audioExport = result;
    return result;
  }
  result.trackPath = JobOutputPath(m_outputFolder, m_inputPath, mp3 ? kMp3Extension : kOggExtension);
  const std::string otherPath = JobOutputPath(m_outputFolder, m_inputPath, mp3 ? kOggExtension : kMp3Extension);

  std::vector<std::uint8_t> track;
  try {
    MakeTrack(*this, mp3, latched, &track, &result);
  } catch (const std::bad_alloc&) {
    // Hours of sound on a small machine.
    result.status = AudioExportStatus::EncoderFailed;
  }
  if (result.status == AudioExportStatus::Written && !WriteTrack(result.trackPath, track, commit, &result)) {
    result.status = AudioExportStatus::WriteFailed;
  }
  // A track from an earlier conversion would play against this movie.
  if (result.status != AudioExportStatus::Written && commit == TrackCommit::Rename) {
    DeleteFileW(WidePath(result.trackPath.c_str()).c_str());
  }
  result.otherTrackKept = commit == TrackCommit::Rename && result.status == AudioExportStatus::Written &&
                          FileSize(otherPath.c_str()) >= 0;
  result.text = Describe(result, encoderName) + Notes(result, otherPath);
  m_audioExport = result;
  return result;
}

}  // namespace reelpack
