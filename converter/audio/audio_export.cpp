#include "converter/audio/audio_export.h"

#include <cstring>

#include "converter/audio/audio_export_settings.h"
#include "converter/audio/mp3_encoder.h"
#include "converter/audio/pcm_conversion.h"
#include "converter/audio/wave_chunks.h"
#include "host/codecs/ogg_encode_api.h"
#include "host/memory/memory_api.h"

namespace reelpack {
namespace {

// The image's PCM, brought to the target's layout when it differs.
class TargetPcm {
 public:
  TargetPcm() = default;
  ~TargetPcm() {
    if (converted_) VirtualFree(converted_, 0, MEM_RELEASE);
  }
  TargetPcm(const TargetPcm&) = delete;
  TargetPcm& operator=(const TargetPcm&) = delete;

  // Finds the image's PCM and converts it as needed; a failure sets status.
  bool Prepare(const std::uint8_t* image, std::uint32_t imageLength, const WAVEFORMATEX& target,
               AudioExportResult* result, const StopCheck& stop) {
    std::uint8_t record[kWaveFormatRecordBytes] = {};
    data_ = FindWaveChunks(image, imageLength, record, &size_);
    if (data_ == nullptr) {
      result->status = AudioExportStatus::NoSound;
      return false;
    }
    WAVEFORMATEX source{};
    std::memcpy(&source, record, sizeof(source));
    if (SamePcmLayout(source, target)) return true;
    size_ = ConvertPcmFormat(source, target, data_, size_, &converted_, stop);
    data_ = converted_;
    if (converted_ != nullptr) return true;
    result->status = StopRequested(stop) ? AudioExportStatus::Stopped : AudioExportStatus::ConversionRefused;
    return false;
  }

  const std::uint8_t* Data() const { return data_; }
  std::uint32_t Size() const { return size_; }

 private:
  const std::uint8_t* data_ = nullptr;
  std::uint32_t size_ = 0;
  std::uint8_t* converted_ = nullptr;
};

AudioExportStatus StatusOf(Mp3Outcome outcome) {
  switch (outcome) {
    case Mp3Outcome::Encoded:
      return AudioExportStatus::Written;
    case Mp3Outcome::NotLoaded:
      return AudioExportStatus::LibraryMissing;
    case Mp3Outcome::Refused:
      return AudioExportStatus::ConfigurationRefused;
    case Mp3Outcome::Stopped:
      return AudioExportStatus::Stopped;
    case Mp3Outcome::Failed:
      break;
  }
  return AudioExportStatus::EncoderFailed;
}

bool AskStop(void* context) { return StopRequested(*static_cast<const StopCheck*>(context)); }

}  // namespace

void ExportMp3(const std::uint8_t* image, std::uint32_t imageLength, const AudioExportChoice& choice,
               std::vector<std::uint8_t>* track, AudioExportResult* result, const StopCheck& stop) {
  track->clear();
  const WAVEFORMATEX target = ExportTargetFormat(choice.sampleRateIndex, choice.stereo);
  if (!InBitRateList(choice.bitRateIndex)) {
    result->status = AudioExportStatus::ConfigurationRefused;
    return;
  }
  const std::uint32_t kbps = Mp3BitRateKbps(choice.bitRateIndex, choice.stereo);
  result->kbps = CarriedMp3BitRate(target.nSamplesPerSec, kbps);
  result->bitRateChanged = result->kbps != kbps;
  CMp3Encoder encoder(kbps);
  if (encoder.LoadMp3Encoder() != 0) {
    result->status = AudioExportStatus::LibraryMissing;
    return;
  }
  TargetPcm pcm;
  if (!pcm.Prepare(image, imageLength, target, result, stop)) return;
  result->status = StatusOf(encoder.EncodeMp3(pcm.Data(), target, pcm.Size(), track, stop));
  if (result->status == AudioExportStatus::Written && track->empty()) result->status = AudioExportStatus::EncoderFailed;
}

void ExportOgg(const std::uint8_t* image, std::uint32_t imageLength, const AudioExportChoice& choice,
               std::vector<std::uint8_t>* track, AudioExportResult* result, const StopCheck& stop) {
  track->clear();
  if (!InBitRateList(choice.bitRateIndex)) {
    result->status = AudioExportStatus::ConfigurationRefused;
    return;
  }
  const WAVEFORMATEX target = ExportTargetFormat(choice.sampleRateIndex, choice.stereo);
  TargetPcm pcm;
  if (!pcm.Prepare(image, imageLength, target, result, stop)) return;
  DWORD size = pcm.Size();
  void* file = GetOggEncodeProcessMemory(OggQuality(choice.bitRateIndex), &target, pcm.Data(), &size, &AskStop,
                                         const_cast<StopCheck*>(&stop));
  if (file == nullptr) {
    result->status = StopRequested(stop) ? AudioExportStatus::Stopped : AudioExportStatus::EncoderFailed;
    return;
  }
  const auto* bytes = static_cast<const std::uint8_t*>(file);
  track->assign(bytes, bytes + size);
  LocalFree(file);
  result->status = AudioExportStatus::Written;
}

}  // namespace reelpack
