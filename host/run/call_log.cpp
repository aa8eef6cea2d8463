#include "host/run/call_log.h"

#include <algorithm>
#include <mutex>

namespace {

struct CallLog {
  std::mutex lock;
  bool enabled = false;
  std::vector<std::string> entries;
  std::vector<std::string> failing;
};

CallLog& Log() {
  static CallLog log;
  return log;
}

}  // namespace

void HostCallLogEnable(bool enabled) {
  std::lock_guard guard(Log().lock);
  Log().enabled = enabled;
  Log().entries.clear();
}

bool HostCallLogEnabled() {
  std::lock_guard guard(Log().lock);
  return Log().enabled;
}

void HostCallLogRecord(const std::string& entry) {
  std::lock_guard guard(Log().lock);
  if (Log().enabled) Log().entries.push_back(entry);
}

std::vector<std::string> HostCallLogTake() {
  std::lock_guard guard(Log().lock);
  std::vector<std::string> taken;
  taken.swap(Log().entries);
  return taken;
}

void HostFailCall(const std::string& name) {
  std::lock_guard guard(Log().lock);
  Log().failing.push_back(name);
}

void HostClearFailures() {
  std::lock_guard guard(Log().lock);
  Log().failing.clear();
}

bool HostCallFails(const std::string& name) {
  std::lock_guard guard(Log().lock);
  const auto& failing = Log().failing;
  return std::find(failing.begin(), failing.end(), name) != failing.end();
}
