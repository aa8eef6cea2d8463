// mlz_pack: writes a ".mlz" archive from a list of files.
//
//   mlz_pack [-2|-3] output.mlz [-z|-s] file...
//
// -2/-3 choose the "RLZ2" (default) or "RLZ3" magic; -z (default) packs the
// files after it with LZSS, -s stores them. Each entry is named after its
// file's name without folders, in Shift-JIS as the engine looks names up; a
// name that has no Shift-JIS form is refused.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "host/text/wide_text.h"
#include "tools/mlz_pack/mlz_writer.h"

namespace {

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string EntryName(const std::string& path) {
  const std::string name = std::filesystem::path(path).filename().string();
  std::string shiftJis;
  if (!ShiftJisFromUtf8(name, &shiftJis)) throw std::runtime_error("no Shift-JIS form for the name of " + path);
  return shiftJis;
}

int Usage() {
  std::fprintf(stderr, "usage: mlz_pack [-2|-3] output.mlz [-z|-s] file...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  char version = '2';
  bool compress = true;
  std::string output;
  std::vector<MlzEntrySource> entries;
  try {
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg == "-2" || arg == "-3") {
        version = arg[1];
      } else if (arg == "-z" || arg == "-s") {
        compress = arg == "-z";
      } else if (arg.starts_with("-")) {
        return Usage();
      } else if (output.empty()) {
        output = arg;
      } else {
        entries.push_back({EntryName(arg), ReadFileBytes(arg), compress});
      }
    }
    if (output.empty()) return Usage();
    const std::vector<std::uint8_t> archive = BuildMlzArchive(entries, version);
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + output);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "mlz_pack: %s\n", error.what());
    return 1;
  }
  return 0;
}
