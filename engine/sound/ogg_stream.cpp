#include "engine/sound/ogg_stream.h"

#include <algorithm>
#include <cstring>

#include "engine/sound/decoder_plugins.h"

COggStream::COggStream() {
  if (OggPluginReady()) decoder_ = gOggPlugin.create(this);
  ended_ = decoder_ == nullptr ? 1 : 0;
}

COggStream::~COggStream() { Free(); }

void COggStream::Free() {
  if (decoder_ != nullptr && gOggPlugin.free != nullptr) gOggPlugin.free(decoder_);
  decoder_ = nullptr;
}

void COggStream::Restart() {
  ended_ = decoder_ == nullptr ? 1 : 0;
  leftoverRead_ = leftoverFill_ = 0;
  endOfStream_ = 0;
  producedSinceReplay_ = true;
}

int COggStream::OpenMemory(const std::uint8_t* data, std::uint32_t size) {
  if (decoder_ != nullptr) gOggPlugin.inputMemory(decoder_, data, size, 0);
  Restart();
  return 0;
}

int COggStream::OpenFile(const std::string& path, int a, int b) {
  path_ = path;
  if (decoder_ != nullptr) gOggPlugin.inputFileOpen(decoder_, path_.c_str(), a, b);
  Restart();
  return 0;
}

WAVEFORMATEX COggStream::GetFormat() const {
  WAVEFORMATEX format{};
  const auto* record = decoder_ ? static_cast<const std::uint8_t*>(gOggPlugin.pcmFormat(decoder_)) : nullptr;
  if (record == nullptr) return format;
  // The plug-in's record has the platform's layout; read its fields by offset.
  std::memcpy(&format.wFormatTag, record, 2);
  std::memcpy(&format.nChannels, record + 2, 2);
  std::memcpy(&format.nSamplesPerSec, record + 4, 4);
  std::memcpy(&format.wBitsPerSample, record + 14, 2);
  format.nBlockAlign = static_cast<WORD>(format.nChannels * format.wBitsPerSample / 8);
  format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
  return format;
}

std::uint32_t COggStream::ReadPcm(std::uint8_t* out, std::uint32_t bytes, int loop) {
  std::uint32_t got = 0;
  for (;;) {
    const std::uint32_t kept = leftoverFill_ - leftoverRead_;
    const std::uint32_t wanted = bytes - got;
    if (kept >= wanted) {
      std::memcpy(out + got, leftover_ + leftoverRead_, wanted);
      leftoverRead_ += wanted;
      return bytes;
    }
    std::memcpy(out + got, leftover_ + leftoverRead_, kept);
    got += kept;
    leftoverRead_ = leftoverFill_ = 0;
    if (endOfStream_ || decoder_ == nullptr) {
      ended_ = 1;
      return got;
    }
    while (got < bytes && !endOfStream_) {
      const int written = gOggPlugin.processFrame(decoder_, out + got, bytes - got, loop);
      // A surplus larger than the leftover is cut off rather than overrun it.
      std::uint32_t n = static_cast<std::uint32_t>(std::max(written, 0));
      n = std::min(n, bytes - got + kLeftoverBytes);
      if (n > 0) producedSinceReplay_ = true;
      got += n;
      if (got > bytes) {
        leftoverFill_ = got - bytes;
        std::memcpy(leftover_, out + bytes, leftoverFill_);
        got = bytes;
      }
      if (gOggPlugin.eof(decoder_) != 0) {
        // A replay that yields nothing before the next end would loop for ever.
        if (loop && producedSinceReplay_) {
          gOggPlugin.replay(decoder_);
          producedSinceReplay_ = false;
        } else {
          endOfStream_ = 1;
        }
      } else if (n == 0) {
        endOfStream_ = 1;
      }
    }
    if (got == bytes) return got;
  }
}

void COggStream::Suspend() {
  if (decoder_ != nullptr && gOggPlugin.suspend != nullptr) gOggPlugin.suspend(decoder_);
}

void COggStream::Resume() {
  if (decoder_ != nullptr && gOggPlugin.resume != nullptr) gOggPlugin.resume(decoder_);
}
