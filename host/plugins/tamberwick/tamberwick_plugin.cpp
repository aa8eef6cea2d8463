// "Tamberwick.ovl": the Ogg Vorbis decoder plug-in over libvorbisfile. Input is
// a memory image read in place or a file opened through the host's path layer
// (Shift-JIS, '\' separators, case-blind lookup); output is 16-bit PCM, more
// than two channels mixed down to two.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "host/audio/wave_format.h"
#include "host/files/file_api.h"
#include "host/plugins/decoder_plugin_exports.h"

#define TAMBERWICK_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct MemoryInput {
  const unsigned char* data = nullptr;
  std::size_t size = 0;
  std::size_t position = 0;
};

struct OggDecoder {
  void* owner = nullptr;
  OggVorbis_File file{};
  bool opened = false;  // file holds a decoder
  bool ended = true;
  MemoryInput memory;
  std::string filePath;  // Linux path of a file input; empty for memory
  ogg_int64_t suspendedAt = -1;
  int sourceChannels = 0;
  WAVEFORMATEX format{};
  float** pending = nullptr;  // float samples of a mix-down not yet written
  long pendingCount = 0;
  long pendingUsed = 0;
};

std::size_t ReadMemory(void* out, std::size_t size, std::size_t count, void* source) {
  auto* in = static_cast<MemoryInput*>(source);
  const std::size_t wanted = size * count;
  const std::size_t taken = std::min(wanted, in->size - in->position);
  // An empty image may come without any bytes behind it.
  if (taken != 0) std::memcpy(out, in->data + in->position, taken);
  in->position += taken;
  return size ? taken / size : 0;
}

int SeekMemory(void* source, ogg_int64_t offset, int whence) {
  auto* in = static_cast<MemoryInput*>(source);
  const ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<ogg_int64_t>(in->position)
                                                                         : static_cast<ogg_int64_t>(in->size);
  const ogg_int64_t target = base + offset;
  if (target < 0 || target > static_cast<ogg_int64_t>(in->size)) return -1;
  in->position = static_cast<std::size_t>(target);
  return 0;
}

long TellMemory(void* source) { return static_cast<long>(static_cast<MemoryInput*>(source)->position); }

std::size_t ReadFile(void* out, std::size_t size, std::size_t count, void* source) {
  return std::fread(out, size, count, static_cast<std::FILE*>(source));
}

int SeekFile(void* source, ogg_int64_t offset, int whence) {
  return fseeko(static_cast<std::FILE*>(source), static_cast<off_t>(offset), whence);
}

int CloseFile(void* source) { return std::fclose(static_cast<std::FILE*>(source)); }

long TellFile(void* source) { return static_cast<long>(ftello(static_cast<std::FILE*>(source))); }

void Release(OggDecoder* d) {
  if (d->opened) ov_clear(&d->file);
  d->opened = false;
  d->ended = true;
  d->pendingCount = d->pendingUsed = 0;
}

bool Start(OggDecoder* d) {
  d->memory.position = 0;
  int result = -1;
  if (d->filePath.empty()) {
    const ov_callbacks callbacks{ReadMemory, SeekMemory, nullptr, TellMemory};
    result = ov_open_callbacks(&d->memory, &d->file, nullptr, 0, callbacks);
  } else if (std::FILE* f = std::fopen(d->filePath.c_str(), "rb")) {
    const ov_callbacks callbacks{ReadFile, SeekFile, CloseFile, TellFile};
    result = ov_open_callbacks(f, &d->file, nullptr, 0, callbacks);
    if (result != 0) std::fclose(f);
  }
  if (result != 0) return false;
  const vorbis_info* info = ov_info(&d->file, -1);
  if (info == nullptr || info->channels < 1) {
    ov_clear(&d->file);
    return false;
  }
  d->opened = true;
  d->ended = false;
  d->sourceChannels = info->channels;
  const WORD channels = info->channels == 1 ? 1 : 2;
  d->format = {WAVE_FORMAT_PCM, channels, static_cast<DWORD>(info->rate),
               static_cast<DWORD>(info->rate) * channels * 2u, static_cast<WORD>(channels * 2), 16, 0};
  return true;
}

std::int16_t ToSample(float value) {
  const float scaled = value * 32768.0f;
  return static_cast<std::int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

// Gains of each source channel on the left and right, in Vorbis channel order
// (centre at 0.7, surround at 0.7, low-frequency channel left out).
void MixDownGains(int channels, int index, float* left, float* right) {
  static const char* const kLayouts[] = {"LCR", "LRlr", "LCRlr", "LCRlrF", "LCRlrcF", "LCRlrsSF"};
  const char* layout = channels >= 3 && channels <= 8 ? kLayouts[channels - 3] : "";
  const char position = index < static_cast<int>(std::strlen(layout)) ? layout[index] : 'C';
  *left = *right = 0.0f;
  switch (position) {
    case 'L': *left = 1.0f; break;
    case 'R': *right = 1.0f; break;
    case 'l': case 's': *left = 0.7f; break;
    case 'r': case 'S': *right = 0.7f; break;
    case 'F': break;
    default: *left = *right = 0.7f; break;
  }
}

// Up to `wanted` bytes of stereo mixed down from more channels; the end of
// the input marks the decoder ended.
int ReadMixedDown(OggDecoder* d, unsigned char* out, unsigned int wanted) {
  unsigned int written = 0;
  while (written + 4 <= wanted) {
    if (d->pendingUsed >= d->pendingCount) {
      int section = 0;
      const long got = ov_read_float(&d->file, &d->pending, 1024, &section);
      if (got == OV_HOLE) continue;
      if (got <= 0) {
        d->ended = true;
        break;
      }
      d->pendingCount = got;
      d->pendingUsed = 0;
    }
    float mixed[2] = {};
    for (int c = 0; c < d->sourceChannels; ++c) {
      float l, r;
      MixDownGains(d->sourceChannels, c, &l, &r);
      mixed[0] += l * d->pending[c][d->pendingUsed];
      mixed[1] += r * d->pending[c][d->pendingUsed];
    }
    ++d->pendingUsed;
    const std::int16_t samples[2] = {ToSample(mixed[0]), ToSample(mixed[1])};
    std::memcpy(out + written, samples, 4);
    written += 4;
  }
  return static_cast<int>(written);
}

// A damaged stretch is skipped; a run of them ends the input.
constexpr int kMaxHolesInARow = 64;

// Up to `wanted` bytes as decoded; the end of the input marks the decoder ended.
int ReadDirect(OggDecoder* d, unsigned char* out, unsigned int wanted) {
  unsigned int written = 0;
  int holes = 0;
  const unsigned int block = d->format.nBlockAlign;
  while (wanted - written >= block) {
    int section = 0;
    const long got = ov_read(&d->file, reinterpret_cast<char*>(out + written),
                             static_cast<int>(std::min(wanted - written, 65536u)) / block * block, 0, 2, 1, &section);
    if (got == OV_HOLE && ++holes < kMaxHolesInARow) continue;
    if (got <= 0) {
      d->ended = true;
      break;
    }
    holes = 0;
    written += static_cast<unsigned int>(got);
  }
  return static_cast<int>(written);
}

}  // namespace

TAMBERWICK_EXPORT void* pcc_ogg_create(void* owner) {
  auto* d = new (std::nothrow) OggDecoder;
  // The engine does not check this handle: without memory every later call
  // gets null and answers "ended".
  if (d != nullptr) d->owner = owner;
  return d;
}

TAMBERWICK_EXPORT void pcc_ogg_free(void* handle) {
  auto* d = static_cast<OggDecoder*>(handle);
  if (d == nullptr) return;
  Release(d);
  delete d;
}

TAMBERWICK_EXPORT int pcc_ogg_input_memory(void* handle, const void* data, unsigned int size, int) {
  auto* d = static_cast<OggDecoder*>(handle);
  if (d == nullptr) return -1;
  Release(d);
  d->filePath.clear();
  d->memory = {static_cast<const unsigned char*>(data), data ? size : 0u, 0};
  return Start(d) ? 0 : -1;
}

TAMBERWICK_EXPORT int pcc_ogg_input_file_open(void* handle, const char* path, int, int) {
  auto* d = static_cast<OggDecoder*>(handle);
  if (d == nullptr) return -1;
  Release(d);
  d->filePath = path ? HostPathFromShiftJis(path) : std::string();
  if (d->filePath.empty()) return -1;
  return Start(d) ? 0 : -1;
}

TAMBERWICK_EXPORT int pcc_ogg_input_file_map(void* handle, const char* path, int a, int b) {
  return pcc_ogg_input_file_open(handle, path, a, b);
}

TAMBERWICK_EXPORT int pcc_ogg_pcm_size(void* handle, std::uint32_t* bytes) {
  auto* d = static_cast<OggDecoder*>(handle);
  if (bytes == nullptr) return -1;
  *bytes = 0;
  if (d == nullptr || !d->opened) return -1;
  const ogg_int64_t samples = ov_pcm_total(&d->file, -1);
  if (samples < 0) return -1;
  *bytes = static_cast<std::uint32_t>(std::min<ogg_int64_t>(samples * d->format.nBlockAlign, 0xFFFFFFFF));
  return 0;
}

TAMBERWICK_EXPORT const void* pcc_ogg_pcm_format(void* handle) {
  auto* d = static_cast<OggDecoder*>(handle);
  static_assert(offsetof(WAVEFORMATEX, nChannels) == 2 && offsetof(WAVEFORMATEX, nSamplesPerSec) == 4 &&
                offsetof(WAVEFORMATEX, wBitsPerSample) == 14);
  return d ? &d->format : nullptr;
}

TAMBERWICK_EXPORT int pcc_ogg_replay(void* handle) {
  auto* d = static_cast<OggDecoder*>(handle);
  if (d == nullptr || !d->opened) return -1;
  d->pendingCount = d->pendingUsed = 0;
  if (ov_pcm_seek(&d->file, 0) != 0) return -1;
  d->ended = false;
  return 0;
}

TAMBERWICK_EXPORT int pcc_ogg_process_frame(void* handle, void* out, unsigned int wanted, int) {
  auto* d = static_cast<OggDecoder*>(handle);
  if (d == nullptr || out == nullptr || !d->opened || d->ended) return 0;
  auto* bytes = static_cast<unsigned char*>(out);
  return d->sourceChannels > 2 ? ReadMixedDown(d, bytes, wanted) : ReadDirect(d, bytes, wanted);
}

TAMBERWICK_EXPORT void pcc_ogg_tamber_ver(char* out) {
  if (out == nullptr) return;
  std::snprintf(out, kOggVersionBytes, "Tamberwick 1.0 (%s)", vorbis_version_string());
}

TAMBERWICK_EXPORT int pcc_ogg_eof(void* handle) {
  auto* d = static_cast<OggDecoder*>(handle);
  return d == nullptr || d->ended ? 1 : 0;
}

TAMBERWICK_EXPORT int pcc_ogg_suspend(void* handle) {
  auto* d = static_cast<OggDecoder*>(handle);
  if (d == nullptr || d->filePath.empty() || !d->opened || d->suspendedAt >= 0) return 0;
  const bool ended = d->ended;
  d->suspendedAt = ov_pcm_tell(&d->file);
  Release(d);
  d->ended = ended;
  return 0;
}

TAMBERWICK_EXPORT int pcc_ogg_resume(void* handle) {
  auto* d = static_cast<OggDecoder*>(handle);
  if (d == nullptr || d->suspendedAt < 0) return 0;
  const ogg_int64_t at = d->suspendedAt;
  const bool ended = d->ended;
  d->suspendedAt = -1;
  if (!Start(d)) return -1;
  if (at > 0 && ov_pcm_seek(&d->file, at) != 0) return -1;
  d->ended = ended;
  return 0;
}
