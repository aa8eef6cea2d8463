// What every fuzz target shares: the device's allocation limit and the input
// as a file, for parsers that read from a path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Limits single blocks of the local heap to the device's 256 MiB (once per
// process): a request past it fails as on the device.
void LimitAllocationsAsTheDevice();

// Writes data to this process's scratch file of that extension and returns
// its path.
std::string WriteFuzzFile(const std::uint8_t* data, std::size_t size, const char* extension);

// A folder of this process's own, removed with all it holds when the process
// ends, as the engine names folders ('\' separators, one at the end).
std::string FuzzScratchFolder();

// The folder of a scratch file as the engine names folders ('\' separators,
// one at the end) and the file's own name.
struct EngineFileName {
  std::string folder;
  std::string name;
};
EngineFileName EngineNameOf(const std::string& path);
