// SDL audio: SDL's thread pulls the submitted bytes from a queue of ours (and
// silence when it runs dry); it never runs engine code.
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <mutex>

#include "host/audio/audio_backend.h"

namespace {

class SdlAudioBackend : public AudioBackend {
 public:
  ~SdlAudioBackend() override { Close(); }

  bool Open(std::uint32_t rate, std::uint16_t channels) override {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    subsystemUp_ = true;
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(rate);
    wanted.format = AUDIO_S16LSB;
    wanted.channels = static_cast<Uint8>(channels);
    wanted.samples = 1024;
    wanted.callback = &SdlAudioBackend::Pull;
    wanted.userdata = this;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device_ == 0) {
      Close();
      return false;
    }
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  void Submit(const std::uint8_t* bytes, std::size_t count) override {
    std::lock_guard guard(lock_);
    queue_.insert(queue_.end(), bytes, bytes + count);
  }

  std::uint64_t PlayedBytes() override {
    std::lock_guard guard(lock_);
    return played_;
  }

  void Flush() override {
    std::lock_guard guard(lock_);
    queue_.clear();
  }

  void Close() override {
    if (device_ != 0) SDL_CloseAudioDevice(device_);
    device_ = 0;
    if (subsystemUp_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystemUp_ = false;
  }

 private:
  static void SDLCALL Pull(void* self, Uint8* out, int bytes) {
    auto* backend = static_cast<SdlAudioBackend*>(self);
    std::lock_guard guard(backend->lock_);
    const std::size_t taken = std::min(backend->queue_.size(), static_cast<std::size_t>(bytes));
    std::copy_n(backend->queue_.begin(), taken, out);
    backend->queue_.erase(backend->queue_.begin(), backend->queue_.begin() + static_cast<std::ptrdiff_t>(taken));
    std::memset(out + taken, 0, static_cast<std::size_t>(bytes) - taken);
    backend->played_ += taken;
  }

  SDL_AudioDeviceID device_ = 0;
  bool subsystemUp_ = false;
  std::mutex lock_;
  std::deque<std::uint8_t> queue_;
  std::uint64_t played_ = 0;
};

}  // namespace

std::unique_ptr<AudioBackend> MakeSdlAudioBackend() { return std::make_unique<SdlAudioBackend>(); }
