// The device's battery, memory and store figures. Virtual-clock runs report
// fixed values (battery 100 %, 32 of 64 MB free at load 50 %, 128 MB of
// store free) so screenshots repeat; tests may set their own.
#pragma once

#include <cstdint>

#include "host/base/win_types.h"

struct SYSTEM_POWER_STATUS_EX2 {
  BYTE ACLineStatus;
  BYTE BatteryFlag;
  // 0-100, or 255 when unknown.
  BYTE BatteryLifePercent;
  BYTE Reserved1;
  DWORD BatteryLifeTime;
  DWORD BatteryFullLifeTime;
};

struct MEMORYSTATUS {
  DWORD dwLength;
  DWORD dwMemoryLoad;
  DWORD dwTotalPhys;
  DWORD dwAvailPhys;
  DWORD dwTotalPageFile;
  DWORD dwAvailPageFile;
  DWORD dwTotalVirtual;
  DWORD dwAvailVirtual;
};

struct STORE_INFORMATION {
  DWORD dwStoreSize;
  DWORD dwFreeSize;
};

DWORD GetSystemPowerStatusEx2(SYSTEM_POWER_STATUS_EX2* status, DWORD length, BOOL update);
void GlobalMemoryStatus(MEMORYSTATUS* status);
BOOL GetStoreInformation(STORE_INFORMATION* information);

// Test mode: the figures every call reports until cleared (sizes in bytes;
// 32-bit fields saturate).
struct HostSystemFigures {
  std::uint8_t batteryPercent = 100;
  std::uint64_t totalMemory = 64ull << 20;
  std::uint64_t availableMemory = 32ull << 20;
  std::uint64_t storeSize = 256ull << 20;
  std::uint64_t storeFree = 128ull << 20;
};
void HostSetSystemFigures(const HostSystemFigures& figures);
void HostClearSystemFigures();
