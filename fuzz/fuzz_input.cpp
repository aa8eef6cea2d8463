#include "fuzz/fuzz_input.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include "host/run/call_log.h"

// libFuzzer's own start-up (the replay drivers never call it). The parsers'
// diagnostic lines go to an unbuffered standard error, a few writes each,
// which cost some targets a third of their run: buffered, they leave when
// libFuzzer flushes its own lines (those of an input that crashes are seen
// by replaying it).
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static char buffer[1 << 16];
  std::setvbuf(stderr, buffer, _IOFBF, sizeof buffer);
  return 0;
}

void LimitAllocationsAsTheDevice() {
  static const bool limited = [] {
    HostLimitAllocations(std::uint64_t{256} << 20);
    return true;
  }();
  (void)limited;
}

namespace {

// The scratch files go when the process ends.
struct ScratchFiles {
  std::set<std::filesystem::path> paths;
  ~ScratchFiles() {
    std::error_code ignored;
    for (const std::filesystem::path& path : paths) std::filesystem::remove_all(path, ignored);
  }
};

}  // namespace

std::string WriteFuzzFile(const std::uint8_t* data, std::size_t size, const char* extension) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("fuzz_input_" + std::to_string(getpid()) + extension);
  static ScratchFiles scratch;
  scratch.paths.insert(path);
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                static_cast<std::streamsize>(size));
  return path.string();
}

std::string FuzzScratchFolder() {
  static const std::string folder = [] {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("fuzz_folder_" + std::to_string(getpid()));
    std::filesystem::create_directories(path);
    static ScratchFiles scratch;
    scratch.paths.insert(path);
    return EngineNameOf((path / "").string()).folder;
  }();
  return folder;
}

EngineFileName EngineNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  EngineFileName name{path.substr(0, slash + 1), path.substr(slash + 1)};
  std::replace(name.folder.begin(), name.folder.end(), '/', '\\');
  return name;
}
