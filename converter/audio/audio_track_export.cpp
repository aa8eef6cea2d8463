// CMpegFileConv's audio pass: decode, encode, write or remove, report.
#include <cstdio>
#include <new>
#include <vector>

#include "converter/audio/audio_decoder.h"
#include "converter/audio/audio_export.h"
#include "converter/job/conversion_job_record.h"
#include "converter/job/job_output_path.h"
#include "host/files/file_api.h"

namespace reelpack {
namespace {

constexpr char kMp3Extension[] = ".mp3";
constexpr char kOggExtension[] = ".ogg";

// The whole sound track as a WAVE image, decoded in place (the PCM is the
// largest block of the pass: it is made once); false when stop said so.
bool DecodeTrack(const char* inputPath, std::vector<std::uint8_t>* image, WAVEFORMATEX* format,
                 const StopCheck& stop) {
  CMpegAudioDecoder decoder(inputPath, 1);
  image->reserve(kWaveFileHeaderBytes + decoder.PcmBytesEstimate() + kLayer2FramePcmBytes);
  image->resize(kWaveFileHeaderBytes);
  do {
    if (StopRequested(stop)) return false;
  } while (decoder.DecodeFrames(image, 1) == 0);
  *format = decoder.Format();
  return true;
}

// The track goes under a temporary name first, so a short write never
// leaves a cut track (which would end the movie early).
bool WriteTrack(const std::string& path, const std::vector<std::uint8_t>& track) {
  const std::string temporary = path + ".tmp";
  const auto size = static_cast<std::uint32_t>(track.size());
  if (WriteBufferToFile(temporary.c_str(), track.data(), kSeekFromStart, 0, size, 1) == size &&
      FileSize(temporary.c_str()) == size && MoveFileW(WidePath(temporary.c_str()).c_str(), WidePath(path.c_str()).c_str())) {
    return true;
  }
  DeleteFileW(WidePath(temporary.c_str()).c_str());
  return false;
}

// Decodes the job's sound track and encodes it into *track; sets the
// result's status.
void MakeTrack(const CMpegFileConv& job, bool mp3, const StopCheck& stop, std::vector<std::uint8_t>* track,
               AudioExportResult* result) {
  std::vector<std::uint8_t> image;
  WAVEFORMATEX format{};
  if (!DecodeTrack(job.m_inputPath, &image, &format, stop)) {
    result->status = AudioExportStatus::Stopped;
    return;
  }
  if (format.nChannels == 0 || image.size() == kWaveFileHeaderBytes) {
    result->status = AudioExportStatus::NoSound;
    return;
  }
  const std::size_t pcmBytes = image.size() - kWaveFileHeaderBytes;
  const std::uint32_t dataSize = FinishWaveImage(&image, format);
  result->cut = dataSize < pcmBytes;
  const AudioExportChoice choice{job.m_audioBitRateIndex, job.m_sampleRateIndex, job.m_stereo != 0};
  const auto imageLength = static_cast<std::uint32_t>(kWaveFileHeaderBytes + dataSize);
  if (mp3) {
    ExportMp3(image.data(), imageLength, choice, track, result, stop);
  } else {
    ExportOgg(image.data(), imageLength, choice, track, result, stop);
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

AudioExportResult CMpegFileConv::ExportAudioTrack(const StopCheck& stop) {
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
  if (result.status == AudioExportStatus::Written && !WriteTrack(result.trackPath, track)) {
    result.status = AudioExportStatus::WriteFailed;
  }
  // A track from an earlier conversion would play against this movie.
  if (result.status != AudioExportStatus::Written) DeleteFileW(WidePath(result.trackPath.c_str()).c_str());
  result.otherTrackKept = result.status == AudioExportStatus::Written && FileSize(otherPath.c_str()) >= 0;
  result.text = Describe(result, encoderName) + Notes(result, otherPath);
  m_audioExport = result;
  return result;
}

}  // namespace reelpack
