#include "run_schedule.h"

#include <gtest/gtest.h>

#include "host/run/input_schedule.h"
#include "host/window/window_backend.h"

bool UseHeadlessRun(const std::string& input, const std::vector<std::pair<int, std::string>>& shotPaths) {
  std::vector<ScheduledAction> actions;
  std::string error;
  if (!ParseInputScript(input, &actions, &error)) {
    ADD_FAILURE() << error;
    return false;
  }
  for (const auto& [at, path] : shotPaths) {
    ScheduledAction action;
    if (!ParseScreenshotRequest(std::to_string(at) + ":" + path, &action)) {
      ADD_FAILURE() << "bad screenshot request " << path;
      return false;
    }
    actions.push_back(action);
  }
  HostSetWindowBackend(MakeHeadlessBackend(InputSchedule(actions)));
  return true;
}
