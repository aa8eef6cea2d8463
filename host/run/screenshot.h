// Screenshots of display memory as PNG files (the landscape view).
#pragma once

#include <string>

// Returns false when the file cannot be written.
bool HostWriteScreenshot(const std::string& path);
