// What sits behind wave-out: SDL audio, or a manual device that plays by the
// clock (real or virtual) and can capture everything it plays to a WAV file.
// The wave-out layer hands a back end its bytes in play order and asks how
// many it has played; it never calls engine code from a back end's thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class AudioBackend {
 public:
  virtual ~AudioBackend() = default;
  // 16-bit PCM; false when the device cannot play this format.
  virtual bool Open(std::uint32_t rate, std::uint16_t channels) = 0;
  // Appends bytes to what is to be played.
  virtual void Submit(const std::uint8_t* bytes, std::size_t count) = 0;
  // Bytes played since Open, never more than submitted.
  virtual std::uint64_t PlayedBytes() = 0;
  // Drops what has been submitted but not played yet.
  virtual void Flush() = 0;
  virtual void Close() = 0;
};

enum class HostAudioDevice {
  Manual,    // plays by the clock; the default, and the fallback for Sdl
  Sdl,       // SDL audio; when it cannot open, the manual device (said on standard error)
  FailOpen,  // every waveOutOpen fails
};

// Chooses the device of the next waveOutOpen.
void HostAudioSetDevice(HostAudioDevice device);
// The manual device writes everything it plays to this WAV file (empty: no
// capture); the file is complete once the device is closed.
void HostAudioSetCapture(const std::string& wavPath);
// Test mode: the next count waveOutOpen calls fail.
void HostWaveOutFailOpens(unsigned count);
// Test mode: returns once every open device's driver thread has handed back
// each buffer whose play time the clock has passed (and the callbacks of
// those have returned); the calling callback's own device is skipped. Every
// Sleep in virtual mode does this once a device has been opened.
void HostWaveOutSettle();

std::unique_ptr<AudioBackend> MakeManualAudioBackend(const std::string& capturePath);
std::unique_ptr<AudioBackend> MakeSdlAudioBackend();
