#include "converter/audio/mp3_encoder.h"

#include <cstring>

#include "host/module/module_api.h"
#include "host/registry/registry_api.h"
#include "host/threads/thread_api.h"

namespace reelpack {
namespace {

struct Mp3Run {
  const std::uint8_t* input = nullptr;
  std::uint32_t size = 0;
  std::uint32_t position = 0;
  std::vector<std::uint8_t> output;
};

Mp3Run g_run;

// Encodings take turns: the run above is the only one.
CRITICAL_SECTION* RunLock() {
  static CRITICAL_SECTION* lock = [] {
    static CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    return &section;
  }();
  return lock;
}

constexpr std::uint32_t kPathBytes = 1024;

HMODULE LoadFromRegistryPath() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kMp3EncoderRegistryKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
    return nullptr;
  }
  char path[kPathBytes] = {};
  DWORD type = 0;
  DWORD bytes = kPathBytes - 1;
  const LONG read = RegQueryValueExA(key, kMp3EncoderRegistryValue, nullptr, &type, reinterpret_cast<BYTE*>(path),
                                     &bytes);
  RegCloseKey(key);
  if (read != ERROR_SUCCESS || type != REG_SZ) return nullptr;
  return LoadLibraryA(path);
}

// At first 2 MiB, or half the PCM for 2 MiB or more; it grows as needed.
std::size_t FirstOutputReserve(std::uint32_t pcmBytes) {
  constexpr std::uint32_t kSmall = 2097152;
  return pcmBytes < kSmall ? kSmall : pcmBytes / 2;
}

template <typename Entry>
bool Resolve(HMODULE module, const char* name, Entry* entry) {
  *entry = reinterpret_cast<Entry>(GetProcAddress(module, name));
  return *entry != nullptr;
}

}  // namespace

void BeginMp3Run(const std::uint8_t* pcm, std::uint32_t size) {
  g_run.input = pcm;
  g_run.size = size;
  g_run.position = 0;
  g_run.output.clear();
  g_run.output.reserve(FirstOutputReserve(size));
}

std::vector<std::uint8_t> EndMp3Run() {
  std::vector<std::uint8_t> output;
  output.swap(g_run.output);
  g_run = Mp3Run{};
  return output;
}

std::int32_t Mp3ReadInput(void* buffer, std::uint32_t n) {
  if (g_run.position >= g_run.size) return 1;
  const std::uint32_t left = g_run.size - g_run.position;
  const std::uint32_t given = left < n ? left : n;
  std::memcpy(buffer, g_run.input + g_run.position, given);
  std::memset(static_cast<std::uint8_t*>(buffer) + given, 0, n - given);
  g_run.position += given;
  return 0;
}

std::int32_t Mp3WriteOutput(const void* data, std::uint32_t n) {
  if (data != nullptr) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    g_run.output.insert(g_run.output.end(), bytes, bytes + n);
  }
  return 0;
}

int CMp3Encoder::LoadMp3Encoder() {
  if (module_ != nullptr) return 0;
  module_ = LoadLibraryA(kMp3EncoderModule);
  if (module_ == nullptr) module_ = LoadFromRegistryPath();
  if (module_ == nullptr) return kMp3EncoderMissing;
  if (!ResolveEntries()) {
    Unload();
    return kMp3EncoderMissing;
  }
  return 0;
}

bool CMp3Encoder::ResolveEntries() {
  Entries& e = entries_;
  const bool all[] = {Resolve(module_, "MPGE_initializeWork", &e.initializeWork),
                      Resolve(module_, "MPGE_setConfigure", &e.setConfigure),
                      Resolve(module_, "MPGE_getConfigure", &e.getConfigure),
                      Resolve(module_, "MPGE_detectConfigure", &e.detectConfigure),
                      Resolve(module_, "MPGE_processFrame", &e.processFrame),
                      Resolve(module_, "MPGE_closeCoder", &e.closeCoder),
                      Resolve(module_, "MPGE_endCoder", &e.endCoder),
                      Resolve(module_, "MPGE_getVersion", &e.getVersion),
                      Resolve(module_, "MPGE_getUnitStates", &e.getUnitStates)};
  for (bool resolved : all) {
    if (!resolved) return false;
  }
  return true;
}

void CMp3Encoder::Unload() {
  if (module_ != nullptr) FreeLibrary(module_);
  module_ = nullptr;
  entries_ = Entries{};
}

Mp3Outcome CMp3Encoder::EncodeMp3(const std::uint8_t* pcm, const WAVEFORMATEX& target, std::uint32_t size,
                                  std::vector<std::uint8_t>* mp3, const StopCheck& stop) {
  if (module_ == nullptr) return Mp3Outcome::NotLoaded;
  CriticalSectionLock lock(RunLock());
  BeginMp3Run(pcm, size);
  const Mp3Outcome outcome = Run(target, size, stop);
  *mp3 = EndMp3Run();
  if (outcome != Mp3Outcome::Encoded) mp3->clear();
  return outcome;
}

Mp3Outcome CMp3Encoder::Run(const WAVEFORMATEX& target, std::uint32_t size, const StopCheck& stop) {
  const Entries& e = entries_;
  e.initializeWork();
  Mp3InputDesc input{&Mp3ReadInput, size, 16, target.nSamplesPerSec, target.nChannels};
  e.setConfigure(kGogoInput, kGogoInputByFunction, reinterpret_cast<std::uintptr_t>(&input));
  e.setConfigure(kGogoOutput, kGogoOutputByFunction, reinterpret_cast<std::uintptr_t>(&Mp3WriteOutput));
  e.setConfigure(9, 1, 0);
  e.setConfigure(8, 0, 0);
  e.setConfigure(10, 1, 0);
  e.setConfigure(kGogoChannelMode, target.nChannels != 1 ? kGogoJointStereo : kGogoMono, 0);
  e.setConfigure(kGogoBitRate, kbps_, 0);
  e.setConfigure(kGogoOutputRate, target.nSamplesPerSec, 0);
  if (e.detectConfigure() != kGogoNoError) {
    e.endCoder();
    return Mp3Outcome::Refused;
  }
  Mp3Outcome outcome = Mp3Outcome::Encoded;
  for (;;) {
    if (StopRequested(stop)) {
      outcome = Mp3Outcome::Stopped;
      break;
    }
    const std::uint32_t frame = e.processFrame();
    if (frame == kGogoNoError) continue;
    if (frame != kGogoFinished) outcome = Mp3Outcome::Failed;
    break;
  }
  e.closeCoder();
  e.endCoder();
  return outcome;
}

}  // namespace reelpack
