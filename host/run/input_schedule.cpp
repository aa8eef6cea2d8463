#include "host/run/input_schedule.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "host/window/host_input.h"
#include "host/display/landscape_view.h"
#include "host/run/screenshot.h"
#include "host/time/frame_costs.h"
#include "host/time/host_clock.h"
#include "host/time/time_api.h"
#include "host/base/diagnostics.h"

namespace {

constexpr DWORD kReleaseDelayMs = 50;

bool ParseKey(const std::string& name, unsigned* key) {
  static const struct {
    const char* name;
    WPARAM code;
  } named[] = {{"up", VK_UP},         {"down", VK_DOWN},     {"left", VK_LEFT}, {"right", VK_RIGHT},
               {"enter", VK_RETURN},  {"return", VK_RETURN}, {"escape", VK_ESCAPE},
               {"space", VK_SPACE},   {"tab", VK_TAB},       {"back", VK_BACK}};
  for (const auto& entry : named) {
    if (name == entry.name) {
      *key = static_cast<unsigned>(entry.code);
      return true;
    }
  }
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
    *key = static_cast<unsigned>(std::toupper(static_cast<unsigned char>(name[0])));
    return true;
  }
  if (!name.empty() && std::all_of(name.begin(), name.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
    *key = static_cast<unsigned>(std::stoul(name));
    return *key < 256;
  }
  return false;
}

bool ParseEntry(const std::string& entry, std::vector<ScheduledAction>* actions) {
  std::istringstream in(entry);
  long long time = -1;
  std::string verb;
  if (!(in >> time >> verb) || time < 0 || time > 0xFFFFFFFFLL) return false;
  ScheduledAction action;
  action.time = static_cast<DWORD>(time);
  using Kind = ScheduledAction::Kind;
  if (verb == "down" || verb == "up" || verb == "move" || verb == "tap") {
    if (!(in >> action.x >> action.y)) return false;
    action.kind = verb == "down" ? Kind::Down : verb == "up" ? Kind::Up : verb == "move" ? Kind::Move : Kind::Down;
  } else if (verb == "keydown" || verb == "keyup" || verb == "press") {
    std::string key;
    if (!(in >> key) || !ParseKey(key, &action.key)) return false;
    action.kind = verb == "keyup" ? Kind::KeyUp : Kind::KeyDown;
  } else if (verb == "blur" || verb == "focus" || verb == "close") {
    action.kind = verb == "blur" ? Kind::Blur : verb == "focus" ? Kind::Focus : Kind::Close;
  } else {
    return false;
  }
  std::string rest;
  if (in >> rest) return false;
  actions->push_back(action);
  if (verb == "tap" || verb == "press") {
    ScheduledAction release = action;
    release.time = action.time + kReleaseDelayMs;
    release.kind = verb == "tap" ? Kind::Up : Kind::KeyUp;
    actions->push_back(release);
  }
  return true;
}

}  // namespace

bool ParseInputScript(const std::string& text, std::vector<ScheduledAction>* actions, std::string* error) {
  std::string entry;
  auto finish = [&]() {
    const bool blank = std::all_of(entry.begin(), entry.end(), [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
    const bool ok = blank || ParseEntry(entry, actions);
    if (!ok && error) *error = "bad input script entry: \"" + entry + "\"";
    entry.clear();
    return ok;
  };
  for (char c : text) {
    if (c == ';' || c == '\n') {
      if (!finish()) return false;
    } else {
      entry += c;
    }
  }
  return finish();
}

bool ParseScreenshotRequest(const std::string& text, ScheduledAction* action) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) return false;
  const std::string time = text.substr(0, colon);
  if (!std::all_of(time.begin(), time.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) ||
      time.size() > 9) {
    return false;
  }
  action->kind = ScheduledAction::Kind::Screenshot;
  action->time = static_cast<DWORD>(std::stoul(time));
  action->path = text.substr(colon + 1);
  return true;
}

InputSchedule::InputSchedule(std::vector<ScheduledAction> actions)
    : actions_(std::move(actions)), start_(HostClockMs()) {
  std::stable_sort(actions_.begin(), actions_.end(),
                   [](const ScheduledAction& a, const ScheduledAction& b) { return a.time < b.time; });
}

void InputSchedule::RunDue() {
  const DWORD elapsed = HostClockMs() - start_;
  using Kind = ScheduledAction::Kind;
  while (next_ < actions_.size() && actions_[next_].time <= elapsed) {
    const ScheduledAction& action = actions_[next_++];
    int panelX = 0;
    int panelY = 0;
    LandscapeToPanel(action.x, action.y, &panelX, &panelY);
    switch (action.kind) {
      case Kind::Down: HostInjectPointer(HostPointer::Down, panelX, panelY); break;
      case Kind::Up: HostInjectPointer(HostPointer::Up, panelX, panelY); break;
      case Kind::Move: HostInjectPointer(HostPointer::Move, panelX, panelY); break;
      case Kind::KeyDown: HostInjectKey(action.key, true); break;
      case Kind::KeyUp: HostInjectKey(action.key, false); break;
      case Kind::Blur: HostInjectFocus(false); break;
      case Kind::Focus: HostInjectFocus(true); break;
      case Kind::Close: HostInjectClose(); break;
      case Kind::Screenshot: {
        HostFrameCostsBeginHostWork();
        const bool written = HostWriteScreenshot(action.path);
        HostFrameCostsEndHostWork();
        if (!written) DiagnosticLine("screenshot: cannot write %s", action.path.c_str());
        break;
      }
    }
  }
}
