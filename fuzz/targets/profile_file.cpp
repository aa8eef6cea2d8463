// A profile file: its lines parsed into the cache, values read as numbers
// and texts, one changed and the file written back.
#include <cstdint>

#include "engine/archive/profile_file.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LimitAllocationsAsTheDevice();
  const std::string path = WriteFuzzFile(data, size, ".ini");
  ClearProfileCache();
  static const char* const kSections[] = {"SYSTEM", "system", "", "Sound", "\x83\x51\x81\x5B\x83\x80"};
  static const char* const kKeys[] = {"Volume", "KEY", "", "a", "Font", "\x96\xBC\x91\x4F"};
  char text[64];
  for (const char* section : kSections) {
    for (const char* key : kKeys) {
      ReadProfileInt(section, key, -1, path.c_str());
      ReadProfileString(section, key, "default", text, 16, path.c_str());
    }
  }
  WriteProfileValue("SYSTEM", "Volume", "12", path.c_str());
  WriteProfileValue("new", "key", "\"quoted\"", path.c_str());
  FlushProfile();
  ClearProfileCache();
  return 0;
}
