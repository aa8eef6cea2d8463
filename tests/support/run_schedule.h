// The headless back end of a scripted program run: the input script with
// screenshots (PNG files) taken at the given times.
#pragma once

#include <string>
#include <utility>
#include <vector>

// Installs the back end; false (with a test failure) on a bad script or
// screenshot request.
bool UseHeadlessRun(const std::string& input, const std::vector<std::pair<int, std::string>>& shotPaths);
