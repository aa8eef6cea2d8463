#include "host/time/frame_costs.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

#include "host/base/diagnostics.h"

namespace {

using Steady = std::chrono::steady_clock;

struct Recording {
  std::mutex lock;
  bool active = false;
  std::string path;
  std::thread::id thread;
  Steady::time_point workSince;
  Steady::time_point hostWorkSince;
  std::map<DWORD, long long> microsecondsAt;  // virtual ms -> real work there
};

Recording& TheRecording() {
  static Recording recording;
  return recording;
}

}  // namespace

void HostFrameCostsStart(const std::string& path) {
  Recording& recording = TheRecording();
  std::lock_guard guard(recording.lock);
  recording.active = !path.empty();
  recording.path = path;
  recording.thread = std::this_thread::get_id();
  recording.workSince = Steady::now();
  recording.microsecondsAt.clear();
}

void HostFrameCostsNoteSleep(DWORD virtualNow) {
  Recording& recording = TheRecording();
  std::lock_guard guard(recording.lock);
  if (!recording.active || recording.thread != std::this_thread::get_id()) return;
  recording.microsecondsAt[virtualNow] +=
      std::chrono::duration_cast<std::chrono::microseconds>(Steady::now() - recording.workSince).count();
}

void HostFrameCostsNoteWake() {
  Recording& recording = TheRecording();
  std::lock_guard guard(recording.lock);
  if (!recording.active || recording.thread != std::this_thread::get_id()) return;
  recording.workSince = Steady::now();
}

void HostFrameCostsBeginHostWork() {
  Recording& recording = TheRecording();
  std::lock_guard guard(recording.lock);
  recording.hostWorkSince = Steady::now();
}

void HostFrameCostsEndHostWork() {
  Recording& recording = TheRecording();
  std::lock_guard guard(recording.lock);
  if (!recording.active || recording.thread != std::this_thread::get_id()) return;
  // The span starts later by the host's time, so it counts only the program's.
  recording.workSince += Steady::now() - recording.hostWorkSince;
}

bool HostFrameCostsFinish() {
  Recording& recording = TheRecording();
  std::lock_guard guard(recording.lock);
  if (!recording.active) return true;
  recording.active = false;
  std::FILE* out = std::fopen(recording.path.c_str(), "w");
  bool written = out != nullptr;
  if (out != nullptr) {
    for (const auto& [at, microseconds] : recording.microsecondsAt) {
      written = std::fprintf(out, "%lu %lld\n", static_cast<unsigned long>(at), microseconds) > 0 && written;
    }
    written = std::fclose(out) == 0 && written;
  }
  if (!written) DiagnosticLine("frame costs: cannot write %s", recording.path.c_str());
  return written;
}
