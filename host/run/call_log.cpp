#include "host/run/call_log.h"

#include <algorithm>
#include <mutex>
#include <utility>

namespace {

struct CallLog {
  std::mutex lock;
  bool enabled = false;
  std::vector<std::string> entries;
  std::vector<std::string> failing;
  std::vector<std::pair<std::string, std::function<void()>>> actions;
  // Calls that fail once: the name and how many of its calls are still to
  // pass before the failing one.
  std::vector<std::pair<std::string, std::uint32_t>> failingOnce;
  bool writesLimited = false;
  std::uint64_t writeAllowance = 0;
  bool allocationsLimited = false;
  std::uint64_t allocationLimit = 0;
  std::uint32_t refusedAllocations = 0;
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

void HostFailCallAt(const std::string& name, std::uint32_t nth) {
  if (nth == 0) return;
  std::lock_guard guard(Log().lock);
  Log().failingOnce.emplace_back(name, nth - 1);
}

void HostFailWritesAfter(std::uint64_t bytes) {
  std::lock_guard guard(Log().lock);
  Log().writesLimited = true;
  Log().writeAllowance = bytes;
}

void HostLimitAllocations(std::uint64_t bytes) {
  std::lock_guard guard(Log().lock);
  Log().allocationsLimited = true;
  Log().allocationLimit = bytes;
  Log().refusedAllocations = 0;
}

std::uint32_t HostRefusedAllocations() {
  std::lock_guard guard(Log().lock);
  return Log().refusedAllocations;
}

void HostRunAtCall(const std::string& name, std::function<void()> action) {
  std::lock_guard guard(Log().lock);
  Log().actions.emplace_back(name, std::move(action));
}

void HostClearFailures() {
  std::lock_guard guard(Log().lock);
  Log().failing.clear();
  Log().actions.clear();
  Log().failingOnce.clear();
  Log().writesLimited = false;
  Log().allocationsLimited = false;
}

bool HostCallFails(const std::string& name) {
  std::function<void()> action;
  bool fails = false;
  {
    std::lock_guard guard(Log().lock);
    auto& once = Log().failingOnce;
    for (auto entry = once.begin(); entry != once.end();) {
      if (entry->first != name) {
        ++entry;
      } else if (entry->second > 0) {
        --entry->second;
        ++entry;
      } else {
        fails = true;
        entry = once.erase(entry);
      }
    }
    const auto& failing = Log().failing;
    fails = fails || std::find(failing.begin(), failing.end(), name) != failing.end();
    auto& actions = Log().actions;
    const auto due = std::find_if(actions.begin(), actions.end(), [&](const auto& entry) { return entry.first == name; });
    if (due != actions.end()) {
      action = std::move(due->second);
      actions.erase(due);
    }
  }
  // Outside the lock: the action may make host calls of its own.
  if (action) action();
  return fails;
}

std::uint32_t HostTakeWriteAllowance(std::uint32_t wanted) {
  std::lock_guard guard(Log().lock);
  if (!Log().writesLimited) return wanted;
  const auto allowed = static_cast<std::uint32_t>(std::min<std::uint64_t>(wanted, Log().writeAllowance));
  Log().writeAllowance -= allowed;
  return allowed;
}

bool HostAllocationAllowed(std::uint64_t bytes) {
  std::lock_guard guard(Log().lock);
  if (!Log().allocationsLimited || bytes <= Log().allocationLimit) return true;
  ++Log().refusedAllocations;
  return false;
}
