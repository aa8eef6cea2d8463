#include "host/device/system_status_api.h"

#include <sys/statvfs.h>
#include <sys/sysinfo.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>

#include "host/files/file_api.h"
#include "host/module/module_api.h"
#include "host/time/time_api.h"

namespace {

std::mutex gFiguresLock;
std::optional<HostSystemFigures> gFigures;

DWORD Saturate(std::uint64_t value) { return static_cast<DWORD>(std::min<std::uint64_t>(value, 0xFFFFFFFFu)); }

// The test figures, the fixed ones of virtual time, else none.
std::optional<HostSystemFigures> FixedFigures() {
  std::lock_guard lock(gFiguresLock);
  if (gFigures) return gFigures;
  if (HostClockGetMode() == HostClockMode::Virtual) return HostSystemFigures{};
  return std::nullopt;
}

// The first battery the kernel's power-supply class lists, else 255.
std::uint8_t ReadBatteryPercent() {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/sys/class/power_supply", error)) {
    FILE* file = std::fopen((entry.path() / "capacity").c_str(), "r");
    if (file == nullptr) continue;
    int percent = -1;
    const int read = std::fscanf(file, "%d", &percent);
    std::fclose(file);
    if (read == 1 && percent >= 0 && percent <= 100) return static_cast<std::uint8_t>(percent);
  }
  return 255;
}

}  // namespace

void HostSetSystemFigures(const HostSystemFigures& figures) {
  std::lock_guard lock(gFiguresLock);
  gFigures = figures;
}

void HostClearSystemFigures() {
  std::lock_guard lock(gFiguresLock);
  gFigures.reset();
}

DWORD GetSystemPowerStatusEx2(SYSTEM_POWER_STATUS_EX2* status, DWORD length, BOOL /*update*/) {
  if (status == nullptr || length < sizeof *status) return 0;
  std::memset(status, 0, sizeof *status);
  const auto fixed = FixedFigures();
  status->BatteryLifePercent = fixed ? fixed->batteryPercent : ReadBatteryPercent();
  status->ACLineStatus = 1;
  status->BatteryLifeTime = 0xFFFFFFFFu;
  status->BatteryFullLifeTime = 0xFFFFFFFFu;
  return sizeof *status;
}

void GlobalMemoryStatus(MEMORYSTATUS* status) {
  if (status == nullptr) return;
  std::memset(status, 0, sizeof *status);
  status->dwLength = sizeof *status;
  std::uint64_t total = 0;
  std::uint64_t available = 0;
  if (const auto fixed = FixedFigures()) {
    total = fixed->totalMemory;
    available = fixed->availableMemory;
  } else {
    struct sysinfo info {};
    if (sysinfo(&info) == 0) {
      total = static_cast<std::uint64_t>(info.totalram) * info.mem_unit;
      available = static_cast<std::uint64_t>(info.freeram + info.bufferram) * info.mem_unit;
    }
  }
  available = std::min(available, total);
  status->dwTotalPhys = Saturate(total);
  status->dwAvailPhys = Saturate(available);
  status->dwMemoryLoad = total != 0 ? static_cast<DWORD>((total - available) * 100 / total) : 0;
  status->dwTotalVirtual = status->dwTotalPhys;
  status->dwAvailVirtual = status->dwAvailPhys;
}

BOOL GetStoreInformation(STORE_INFORMATION* information) {
  if (information == nullptr) return 0;
  if (const auto fixed = FixedFigures()) {
    information->dwStoreSize = Saturate(fixed->storeSize);
    information->dwFreeSize = Saturate(fixed->storeFree);
    return 1;
  }
  WCHAR program[4096];
  const DWORD length = GetModuleFileNameW(nullptr, program, 4096);
  if (length == 0) return 0;
  const std::filesystem::path folder = std::filesystem::path(HostPathFromWide(program)).parent_path();
  struct statvfs store {};
  if (statvfs(folder.c_str(), &store) != 0) return 0;
  information->dwStoreSize = Saturate(static_cast<std::uint64_t>(store.f_blocks) * store.f_frsize);
  information->dwFreeSize = Saturate(static_cast<std::uint64_t>(store.f_bavail) * store.f_frsize);
  return 1;
}
