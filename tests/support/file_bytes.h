// Whole files as bytes, for tests that compare what a program wrote or read
// fixtures; a missing file reads as empty.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
