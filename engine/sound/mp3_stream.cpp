#include "engine/sound/mp3_stream.h"

#include <algorithm>
#include <cstring>

#include "engine/runtime/file_helpers.h"
#include "engine/sound/decoder_plugins.h"
#include "host/files/file_api.h"

namespace {

constexpr std::uint32_t kId3v1Bytes = 128;
constexpr std::uint32_t kId3v2HeaderBytes = 10;

std::uint32_t HandleWord(void* decoder, int index) { return static_cast<const std::uint32_t*>(decoder)[index]; }

}  // namespace

CMp3Stream::~CMp3Stream() { Close(); }

bool CMp3Stream::SkipTags(std::uint32_t offset, std::uint32_t size) {
  const std::uint8_t* data = data_ + offset;
  if (size >= kId3v1Bytes && std::memcmp(data + size - kId3v1Bytes, "TAG", 3) == 0) size -= kId3v1Bytes;
  startOffset_ = offset;
  endOffset_ = offset + size;
  if (size >= kId3v2HeaderBytes && std::memcmp(data, "ID3", 3) == 0) {
    const std::uint32_t tagBytes = (data[6] & 0x7Fu) << 21 | (data[7] & 0x7Fu) << 14 | (data[8] & 0x7Fu) << 7 |
                                   (data[9] & 0x7Fu);
    if (tagBytes + kId3v2HeaderBytes > size) return false;
    startOffset_ = offset + kId3v2HeaderBytes + tagBytes;
  }
  // The first frame header must lie inside the data.
  return endOffset_ - startOffset_ >= 4;
}

int CMp3Stream::CreateDecoder() {
  decoder_ = gMp3Plugin.create(data_ + startOffset_);
  if (decoder_ == nullptr) return Fail();
  leftoverRead_ = leftoverFill_ = 0;
  const std::uint32_t channels = HandleWord(decoder_, kMp3WordChannels) & 0xFFFF;
  const std::uint32_t rate = HandleWord(decoder_, kMp3WordSampleRate);
  format_.wFormatTag = WAVE_FORMAT_PCM;
  format_.nChannels = static_cast<WORD>(channels);
  format_.nSamplesPerSec = rate;
  format_.nBlockAlign = static_cast<WORD>(channels * 2);
  format_.nAvgBytesPerSec = format_.nBlockAlign * rate;
  format_.wBitsPerSample = 16;
  format_.cbSize = 0;
  bytesPerSecond_ = format_.nAvgBytesPerSec;
  readOffset_ = startOffset_;
  producedSinceRestart_ = true;
  return 0;
}

int CMp3Stream::Fail() {
  if (decoder_ != nullptr) gMp3Plugin.destroy(decoder_);
  decoder_ = nullptr;
  ReleaseMapping();
  data_ = nullptr;
  format_ = {};
  ended_ = 1;
  return 1;
}

int CMp3Stream::OpenMemory(const std::uint8_t* data, std::uint32_t size) {
  Close();
  ended_ = 0;
  format_ = {};
  path_.clear();
  mapped_ = false;
  data_ = data;
  if (!Mp3PluginReady() || data == nullptr || !SkipTags(0, size)) return Fail();
  return CreateDecoder();
}

int CMp3Stream::OpenFile(const std::string& path, std::uint32_t offset, std::uint32_t size) {
  Close();
  ended_ = 0;
  format_ = {};
  path_ = path;
  mapped_ = true;
  const std::int32_t fileSize = QueryFileSize(path.c_str());
  if (!Mp3PluginReady() || fileSize < 0 || offset > static_cast<std::uint32_t>(fileSize)) return Fail();
  const std::uint32_t available = static_cast<std::uint32_t>(fileSize) - offset;
  if (size == 0 || size > available) size = available;
  if (!MapFile() || !SkipTags(offset, size)) return Fail();
  return CreateDecoder();
}

bool CMp3Stream::MapFile() {
  const WCHAR* wide = AnsiToWideStatic(path_.c_str());
  file_ = CreateFileForMappingW(wide, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
  if (file_ == INVALID_HANDLE_VALUE) file_ = nullptr;
  if (file_ != nullptr) mapping_ = CreateFileMappingW(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (mapping_ != nullptr) data_ = static_cast<const std::uint8_t*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
  if (data_ != nullptr) return true;
  ReleaseMapping();
  return false;
}

void CMp3Stream::ReleaseMapping() {
  if (mapped_ && data_ != nullptr) UnmapViewOfFile(data_);
  if (mapped_) data_ = nullptr;
  if (mapping_ != nullptr) CloseHandle(mapping_);
  if (file_ != nullptr) CloseHandle(file_);
  mapping_ = file_ = nullptr;
}

std::uint32_t CMp3Stream::ReadPcm(std::uint8_t* out, std::uint32_t bytes, int loop) {
  if (suspended_) {
    std::memset(out, 0, bytes);
    return bytes;
  }
  const std::uint32_t kept = leftoverFill_ - leftoverRead_;
  if (kept >= bytes) {
    std::memcpy(out, leftover_ + leftoverRead_, bytes);
    leftoverRead_ += bytes;
    return bytes;
  }
  std::memcpy(out, leftover_ + leftoverRead_, kept);
  leftoverRead_ = leftoverFill_ = 0;
  std::uint32_t got = kept;
  if (decoder_ == nullptr || data_ == nullptr) {
    ended_ = 1;
    return got;
  }
  const std::uint32_t blockAlign = format_.nBlockAlign;
  while (got < bytes && !ended_) {
    std::uint32_t frames = 0;
    const std::uint32_t remaining = readOffset_ < endOffset_ ? endOffset_ - readOffset_ : 0;
    if (remaining >= 4 && gMp3Plugin.predecode(decoder_, data_ + readOffset_) == 0) {
      const std::uint32_t n =
          std::min({HandleWord(decoder_, kMp3WordFrameBytes), remaining, kMp3MaxFrameBytes});
      std::memcpy(inputFrame_, data_ + readOffset_, n);
      frames = static_cast<std::uint32_t>(std::max(gMp3Plugin.decode(decoder_, decodedFrame_, inputFrame_, n), 0));
      readOffset_ += n;
    }
    if (frames == 0) {
      // The end of the data (or a frame that is not one).
      if (!loop || !producedSinceRestart_) {
        ended_ = 1;
        break;
      }
      readOffset_ = startOffset_;
      producedSinceRestart_ = false;
      continue;
    }
    producedSinceRestart_ = true;
    const std::uint32_t pcm = std::min(frames * blockAlign, kMp3MaxFramePcmBytes);
    std::memcpy(out + got, decodedFrame_, pcm);
    got += pcm;
    if (got > bytes) {
      leftoverFill_ = got - bytes;
      std::memcpy(leftover_, out + bytes, leftoverFill_);
      got = bytes;
    }
  }
  return got;
}

void CMp3Stream::Close() {
  if (decoder_ == nullptr && !mapped_) return;
  if (decoder_ != nullptr) gMp3Plugin.destroy(decoder_);
  decoder_ = nullptr;
  ReleaseMapping();
  data_ = nullptr;
  ended_ = 0;
}

void CMp3Stream::Unmap() {
  if (suspended_) return;
  suspended_ = 1;
  if (mapped_) ReleaseMapping();
}

void CMp3Stream::Remap() {
  if (!suspended_) return;
  suspended_ = 0;
  // A file that cannot be mapped again ends the sound.
  if (mapped_ && decoder_ != nullptr && !MapFile()) ended_ = 1;
}
