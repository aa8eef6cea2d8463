#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "host/audio/audio_backend.h"
#include "host/audio/wave_out_api.h"
#include "host/time/time_api.h"

// One device: the buffers queued on its back end, and the driver thread that
// hands each back to the callback once the back end has played it.
struct HWAVEOUT__ {
  struct Queued {
    WAVEHDR* header;
    std::uint64_t endByte;  // submitted-byte count at the buffer's end
  };

  std::unique_ptr<AudioBackend> backend;
  WaveOutCallback callback = nullptr;
  DWORD_PTR instance = 0;
  std::uint16_t channels = 2;

  std::mutex lock;
  std::condition_variable wake;
  std::condition_variable callbackReturned;
  std::condition_variable idlePass;
  std::deque<Queued> queue;
  std::deque<WAVEHDR*> handedBack;  // by a reset, callbacks still to come
  std::uint64_t submitted = 0;
  std::uint64_t positionBase = 0;
  DWORD volume = 0xFFFFFFFFu;
  bool stop = false;
  bool inCallback = false;
  std::uint64_t idlePasses = 0;
  std::thread driver;
};

namespace {

// A running callback gets this long to return before waveOutClose gives up.
constexpr auto kCloseGrace = std::chrono::milliseconds(50);
// How often the driver thread looks at the clock.
constexpr auto kDriverTick = std::chrono::milliseconds(1);
// The longest a settle waits for one driver's pass.
constexpr auto kSettleBound = std::chrono::seconds(5);

std::mutex registryLock;
std::set<HWAVEOUT> openDevices;
HostAudioDevice chosenDevice = HostAudioDevice::Manual;
std::string capturePath;
unsigned failingOpens = 0;

bool IsOpen(HWAVEOUT device) {
  std::lock_guard guard(registryLock);
  return device != nullptr && openDevices.count(device) != 0;
}

void RunDriver(HWAVEOUT device) {
  std::unique_lock guard(device->lock);
  while (!device->stop) {
    WAVEHDR* done = nullptr;
    if (!device->handedBack.empty()) {
      done = device->handedBack.front();
      device->handedBack.pop_front();
    } else if (!device->queue.empty() && device->backend->PlayedBytes() >= device->queue.front().endByte) {
      done = device->queue.front().header;
      device->queue.pop_front();
      done->dwFlags = (done->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    }
    if (done != nullptr) {
      if (device->callback == nullptr) continue;
      device->inCallback = true;
      guard.unlock();
      device->callback(device, MM_WOM_DONE, device->instance, reinterpret_cast<DWORD_PTR>(done), 0);
      guard.lock();
      device->inCallback = false;
      device->callbackReturned.notify_all();
      continue;
    }
    ++device->idlePasses;
    device->idlePass.notify_all();
    device->wake.wait_for(guard, kDriverTick);
  }
}

// Applies the device volume (left low half, right high half) to 16-bit PCM.
void ApplyVolume(std::vector<std::uint8_t>* bytes, DWORD volume, std::uint16_t channels) {
  const std::uint32_t levels[2] = {volume & 0xFFFF, volume >> 16};
  for (std::size_t i = 0; i + 1 < bytes->size(); i += 2) {
    const std::uint32_t level = levels[channels == 2 ? (i / 2) % 2 : 0];
    std::int16_t sample;
    std::memcpy(&sample, bytes->data() + i, 2);
    sample = static_cast<std::int16_t>(sample * static_cast<std::int32_t>(level) / 0xFFFF);
    std::memcpy(bytes->data() + i, &sample, 2);
  }
}

std::unique_ptr<AudioBackend> OpenBackend(HostAudioDevice kind, const std::string& capture, DWORD rate,
                                          WORD channels) {
  if (kind == HostAudioDevice::Sdl) {
    auto sdl = MakeSdlAudioBackend();
    if (sdl->Open(rate, channels)) return sdl;
    std::fprintf(stderr, "audio: SDL audio cannot open, playing on the manual device\n");
  }
  auto manual = MakeManualAudioBackend(capture);
  if (!manual->Open(rate, channels)) return nullptr;
  return manual;
}

}  // namespace

MMRESULT waveOutOpen(HWAVEOUT* device, UINT deviceId, const WAVEFORMATEX* format, DWORD_PTR callback,
                     DWORD_PTR instance, DWORD flags) {
  if (device == nullptr || format == nullptr) return MMSYSERR_INVALPARAM;
  *device = nullptr;
  if (deviceId != WAVE_MAPPER && deviceId != 0) return MMSYSERR_BADDEVICEID;
  if (flags != CALLBACK_FUNCTION && flags != CALLBACK_NULL) return MMSYSERR_INVALFLAG;
  if (format->wFormatTag != WAVE_FORMAT_PCM || format->wBitsPerSample != 16 || format->nChannels < 1 ||
      format->nChannels > 2 || format->nSamplesPerSec == 0) {
    return WAVERR_BADFORMAT;
  }
  HostAudioDevice kind;
  std::string capture;
  {
    std::lock_guard guard(registryLock);
    if (failingOpens > 0) {
      --failingOpens;
      return MMSYSERR_NODRIVER;
    }
    kind = chosenDevice;
    capture = capturePath;
  }
  if (kind == HostAudioDevice::FailOpen) return MMSYSERR_NODRIVER;
  auto backend = OpenBackend(kind, capture, format->nSamplesPerSec, format->nChannels);
  if (!backend) return MMSYSERR_NODRIVER;
  auto* opened = new HWAVEOUT__;
  opened->backend = std::move(backend);
  opened->callback = flags == CALLBACK_FUNCTION ? reinterpret_cast<WaveOutCallback>(callback) : nullptr;
  opened->instance = instance;
  opened->channels = format->nChannels;
  {
    std::lock_guard guard(registryLock);
    openDevices.insert(opened);
  }
  opened->driver = std::thread(RunDriver, opened);
  HostClockSetBeforeVirtualSleep(HostWaveOutSettle);
  *device = opened;
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutPrepareHeader(HWAVEOUT device, WAVEHDR* header, UINT headerSize) {
  if (!IsOpen(device)) return MMSYSERR_INVALHANDLE;
  if (header == nullptr || headerSize < sizeof(WAVEHDR) || header->lpData == nullptr) return MMSYSERR_INVALPARAM;
  std::lock_guard guard(device->lock);
  header->dwFlags |= WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutUnprepareHeader(HWAVEOUT device, WAVEHDR* header, UINT headerSize) {
  if (!IsOpen(device)) return MMSYSERR_INVALHANDLE;
  if (header == nullptr || headerSize < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
  std::lock_guard guard(device->lock);
  if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  header->dwFlags &= ~WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutWrite(HWAVEOUT device, WAVEHDR* header, UINT headerSize) {
  if (!IsOpen(device)) return MMSYSERR_INVALHANDLE;
  if (header == nullptr || headerSize < sizeof(WAVEHDR) || header->lpData == nullptr) return MMSYSERR_INVALPARAM;
  std::lock_guard guard(device->lock);
  if (!(header->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
  if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
  std::vector<std::uint8_t> bytes(header->lpData, header->lpData + header->dwBufferLength);
  if (device->volume != 0xFFFFFFFFu) ApplyVolume(&bytes, device->volume, device->channels);
  device->backend->Submit(bytes.data(), bytes.size());
  device->submitted += bytes.size();
  device->queue.push_back({header, device->submitted});
  device->wake.notify_all();
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutReset(HWAVEOUT device) {
  if (!IsOpen(device)) return MMSYSERR_INVALHANDLE;
  std::lock_guard guard(device->lock);
  device->backend->Flush();
  device->submitted = device->backend->PlayedBytes();
  device->positionBase = device->submitted;
  for (const auto& queued : device->queue) {
    queued.header->dwFlags = (queued.header->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    device->handedBack.push_back(queued.header);
  }
  device->queue.clear();
  device->wake.notify_all();
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutClose(HWAVEOUT device) {
  if (!IsOpen(device)) return MMSYSERR_INVALHANDLE;
  {
    std::unique_lock guard(device->lock);
    if (std::this_thread::get_id() == device->driver.get_id()) return WAVERR_STILLPLAYING;
    device->callbackReturned.wait_for(guard, kCloseGrace, [&] { return !device->inCallback; });
    if (device->inCallback || !device->queue.empty()) return WAVERR_STILLPLAYING;
    // Buffers handed back by a reset whose callbacks have not come yet are
    // not reported any more: nothing may call back after a close.
    device->handedBack.clear();
    device->stop = true;
    device->wake.notify_all();
  }
  device->driver.join();
  {
    std::lock_guard guard(registryLock);
    openDevices.erase(device);
  }
  device->backend->Close();
  delete device;
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutGetPosition(HWAVEOUT device, MMTIME* time, UINT timeSize) {
  if (!IsOpen(device)) return MMSYSERR_INVALHANDLE;
  if (time == nullptr || timeSize < sizeof(MMTIME)) return MMSYSERR_INVALPARAM;
  std::lock_guard guard(device->lock);
  const std::uint64_t played = device->backend->PlayedBytes();
  time->wType = TIME_BYTES;
  time->u.cb = static_cast<DWORD>(played > device->positionBase ? played - device->positionBase : 0);
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutSetVolume(HWAVEOUT device, DWORD volume) {
  if (!IsOpen(device)) return MMSYSERR_INVALHANDLE;
  std::lock_guard guard(device->lock);
  device->volume = volume;
  return MMSYSERR_NOERROR;
}

void HostAudioSetDevice(HostAudioDevice device) {
  std::lock_guard guard(registryLock);
  chosenDevice = device;
}

void HostAudioSetCapture(const std::string& wavPath) {
  std::lock_guard guard(registryLock);
  capturePath = wavPath;
}

void HostWaveOutFailOpens(unsigned count) {
  std::lock_guard guard(registryLock);
  failingOpens = count;
}

void HostWaveOutSettle() {
  std::vector<HWAVEOUT> devices;
  {
    std::lock_guard guard(registryLock);
    devices.assign(openDevices.begin(), openDevices.end());
  }
  for (HWAVEOUT device : devices) {
    std::unique_lock guard(device->lock);
    // A callback that sleeps cannot wait for its own driver's pass.
    if (std::this_thread::get_id() == device->driver.get_id()) continue;
    const std::uint64_t seen = device->idlePasses;
    device->wake.notify_all();
    // Bounded, so a callback blocked on a lock the sleeper holds delays the
    // run instead of hanging it.
    device->idlePass.wait_for(guard, kSettleBound, [&] { return device->stop || device->idlePasses > seen; });
  }
}
