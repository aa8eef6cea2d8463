// The manual device: plays at the rate by the host clock (real or virtual),
// so buffers finish as the clock passes their play time; optionally writes
// everything played to a WAV file.
#include <cstdio>
#include <deque>

#include "host/audio/audio_backend.h"
#include "host/audio/wave_format.h"
#include "host/time/host_clock.h"
#include "host/time/time_api.h"

namespace {

class ManualAudioBackend : public AudioBackend {
 public:
  explicit ManualAudioBackend(std::string capturePath) : capturePath_(std::move(capturePath)) {}
  ~ManualAudioBackend() override { Close(); }

  bool Open(std::uint32_t rate, std::uint16_t channels) override {
    channels_ = channels;
    rate_ = rate;
    blockAlign_ = channels * 2u;
    bytesPerSecond_ = static_cast<std::uint64_t>(rate) * blockAlign_;
    syncClock_ = HostClockMs();
    if (!capturePath_.empty()) {
      capture_ = std::fopen(capturePath_.c_str(), "wb");
      if (capture_ == nullptr) {
        std::fprintf(stderr, "audio: cannot write the capture %s\n", capturePath_.c_str());
      } else {
        std::uint8_t header[kWaveFileHeaderBytes];
        WriteWaveFileHeader(header, channels_, rate_, 0);
        std::fwrite(header, 1, sizeof header, capture_);
      }
    }
    return true;
  }

  void Submit(const std::uint8_t* bytes, std::size_t count) override {
    Advance();
    // After running dry the device starts again from now.
    if (played_ == submitted_) Resync();
    submitted_ += count;
    if (capture_) unplayed_.insert(unplayed_.end(), bytes, bytes + count);
  }

  std::uint64_t PlayedBytes() override {
    Advance();
    return played_;
  }

  void Flush() override {
    Advance();
    submitted_ = played_;
    unplayed_.clear();
    Resync();
  }

  void Close() override {
    if (capture_ == nullptr) return;
    // The header's sizes are 32-bit; a longer capture keeps the first 4 GiB's worth.
    const std::uint64_t limit = 0xFFFFFFFFull - 36;
    std::uint8_t header[kWaveFileHeaderBytes];
    WriteWaveFileHeader(header, channels_, rate_,
                        static_cast<DWORD>(captured_ < limit ? captured_ : limit - limit % blockAlign_));
    std::fseek(capture_, 0, SEEK_SET);
    std::fwrite(header, 1, sizeof header, capture_);
    std::fclose(capture_);
    capture_ = nullptr;
  }

 private:
  void Resync() {
    syncClock_ = HostClockMs();
    syncPlayed_ = played_;
  }

  void Advance() {
    const DWORD elapsed = HostClockMs() - syncClock_;
    std::uint64_t reached = syncPlayed_ + elapsed * bytesPerSecond_ / 1000;
    reached -= reached % blockAlign_;
    if (reached >= submitted_) reached = submitted_;
    if (reached > played_) {
      const std::uint64_t newly = reached - played_;
      if (capture_) {
        for (std::uint64_t i = 0; i < newly && !unplayed_.empty(); ++i) {
          std::fputc(unplayed_.front(), capture_);
          unplayed_.pop_front();
        }
        captured_ += newly;
      }
      played_ = reached;
    }
    // Long waits would overflow the elapsed time; fold them into the base.
    if (elapsed > 60000) Resync();
  }

  std::string capturePath_;
  std::FILE* capture_ = nullptr;
  std::deque<std::uint8_t> unplayed_;
  std::uint64_t captured_ = 0;
  std::uint16_t channels_ = 2;
  std::uint32_t rate_ = 0;
  std::uint32_t blockAlign_ = 4;
  std::uint64_t bytesPerSecond_ = 0;
  std::uint64_t submitted_ = 0;
  std::uint64_t played_ = 0;
  std::uint64_t syncPlayed_ = 0;
  DWORD syncClock_ = 0;
};

}  // namespace

std::unique_ptr<AudioBackend> MakeManualAudioBackend(const std::string& capturePath) {
  return std::make_unique<ManualAudioBackend>(capturePath);
}
