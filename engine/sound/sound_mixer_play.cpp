// Loading a sound into a slot: finding its file (archive entry or loose file,
// ".mp3" or ".ogg"), opening its stream and setting the channel up.
#include <algorithm>
#include <new>
#include <string>

#include "common/sjis_string.h"
#include "engine/archive/archive_reader.h"
#include "engine/runtime/engine_clock.h"
#include "engine/runtime/file_helpers.h"
#include "engine/sound/sound_mixer.h"
#include "host/memory/memory_api.h"

namespace {

constexpr std::size_t kNameBytes = 64;
constexpr std::uint32_t kWorkSlack = 8;

// The name with the text from its last dot (Shift-JIS aware) replaced by
// extension, or with extension appended when it has no dot.
std::string WithExtension(const char* name, const char* extension) {
  const char* dot = StrFindLast(name, '.');
  std::string base = dot ? std::string(name, static_cast<std::size_t>(dot - name)) : std::string(name);
  return base + extension;
}

}  // namespace

std::unique_ptr<CSoundChannel> CSoundMixer::CreateChannel(std::uint32_t bytes, bool ogg) {
  std::unique_ptr<CSoundChannel> channel(new (std::nothrow) CSoundChannel);
  if (!channel) return nullptr;
  channel->work.reset(new (std::nothrow) std::uint8_t[bytes + kWorkSlack]());
  if (!channel->work) return nullptr;
  channel->workBytes = bytes;
  channel->state = kChannelIdle;
  channel->oggFlag = ogg ? 1 : 0;
  if (ogg) {
    channel->ogg.reset(new (std::nothrow) COggStream);
  } else {
    channel->mp3.reset(new (std::nothrow) CMp3Stream);
  }
  if (!channel->ogg && !channel->mp3) return nullptr;
  return channel;
}

std::unique_ptr<CSoundChannel> CSoundMixer::LoadChannel(const char* name, const std::string& folder,
                                                        CArchiveReader* archive, int readWhole) {
  const char* extensions[2] = {".mp3", ".ogg"};
  if (oggFirst_ == 1) std::swap(extensions[0], extensions[1]);
  const bool fromArchive = !folder.empty() && folder.back() != '\\';
  void* image = nullptr;
  std::uint32_t imageBytes = 0;
  std::string path;
  bool ogg = false;
  bool found = false;
  for (const char* extension : extensions) {
    const std::string candidate = WithExtension(name, extension);
    if (fromArchive) {
      // Archive entry names live in 64-byte fields.
      if (candidate.size() >= kNameBytes || archive == nullptr) return nullptr;
      image = archive->ReadEntry(folder.c_str(), candidate.c_str(), &imageBytes);
      found = image != nullptr;
    } else {
      path = folder + candidate;
      found = FileExists(path.c_str()) != 0;
    }
    if (found) {
      ogg = extension[1] == 'o';
      break;
    }
  }
  if (!found) return nullptr;
  if (!fromArchive && readWhole) {
    image = ReadWholeFile(path.c_str(), &imageBytes, 0);
    if (image == nullptr) return nullptr;
  }
  std::unique_ptr<CSoundChannel> channel = CreateChannel(bufferBytes_, ogg);
  if (!channel) {
    if (image != nullptr) LocalFree(image);
    return nullptr;
  }
  channel->sourceData = image;
  const auto* bytes = static_cast<const std::uint8_t*>(image);
  if (image != nullptr) {
    if (ogg) channel->ogg->OpenMemory(bytes, imageBytes);
    else channel->mp3->OpenMemory(bytes, imageBytes);
  } else {
    if (ogg) channel->ogg->OpenFile(path, 0, 0);
    else channel->mp3->OpenFile(path, 0, 0);
  }
  const WAVEFORMATEX format = ogg ? channel->ogg->GetFormat() : channel->mp3->GetFormat();
  // Only 16-bit mono and stereo are mixed; anything else (a stream that could
  // not open has no channels) is refused.
  if (format.nChannels < 1 || format.nChannels > 2 || format.wBitsPerSample != 16) return nullptr;
  channel->sourceFormat = {WAVE_FORMAT_PCM, format.nChannels, format.nSamplesPerSec, 0, 4, 16, 0};
  StrCopy(channel->name, name);
  return channel;
}

int CSoundMixer::Play(int slot, const char* name, const std::string& folder, CArchiveReader* archive, int volume,
                      std::uint32_t fadeInMs, int loop, int startNow, int readWhole) {
  if (!ValidSlot(slot) || name == nullptr) return 0;
  StopChannel(slot);
  if (StrLength(name) >= kNameBytes) return 0;
  std::unique_ptr<CSoundChannel> channel = LoadChannel(name, folder, archive, readWhole);
  if (!channel) return 0;
  channel->loop = loop ? 1 : 0;
  channel->fadePercent = 100;
  channel->fadeIn = channel->fadeOut = 0;
  if (volume >= 0 && volume <= 100) channel->baseVolume = static_cast<std::uint32_t>(volume);
  channel->volume = std::min<std::uint32_t>(100, 100 * channel->baseVolume / 100);
  channel->secondsPerByte = 1.0 / (static_cast<double>(rate_) * 4);
  {
    // The channel enters its slot complete; the refill only ever sees it whole.
    CriticalSectionLock guard(&lock_);
    slots_[slot] = channel.release();
    if (fadeInMs > 0) FadeIn(slot, fadeInMs);
    if (startNow) StartChannel(slot, loop);
  }
  return 1;
}
