#include <cstring>

#include "host/console/console_api.h"
#include "host/console/current_directory_api.h"

DWORD GetCurrentDirectoryA(DWORD size, char* buffer) {
  const ShiftJisPath current = HostShiftJisPathOf(".", true);
  if (current.problem != LocalPathProblem::None || current.path.empty()) return 0;
  const DWORD length = static_cast<DWORD>(current.path.size());
  if (!buffer || size < length + 1) return length + 1;
  std::memcpy(buffer, current.path.c_str(), length + 1);
  return length;
}
