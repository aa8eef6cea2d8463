// rbp_make: writes a ".rbp" picture from a PNG file.
//
//   rbp_make [-k kind] [-q quality] [-s WxH | -d WxH] input.png output.rbp
//
// -k picks the kind: 13 RGB565 (default), 1 RGB565 with alpha, 80 palette
// (at most 256 colours), 90 grey, 30 JBP1 and 32 JBP1 with alpha; -q sets
// the JPEG quality of kinds 30 and 32 (1..100, default 85). The design size the engine expects is the
// picture's size scaled from the screen it is made for (-s, default 640x480)
// to the 800 x 600 design space, or given outright with -d. It is printed.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include "tools/rbp_make/png_picture.h"
#include "tools/rbp_make/rbp_writer.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: rbp_make [-k 13|1|80|90|30|32] [-q 1..100] [-s WxH | -d WxH] input.png output.rbp\n");
  return 2;
}

bool ParseSize(const std::string& text, std::uint32_t& w, std::uint32_t& h) {
  unsigned a = 0, b = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%ux%u%c", &a, &b, &tail) != 2) return false;
  w = a;
  h = b;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  RbpMakeOptions options;
  std::uint32_t screenWidth = 640, screenHeight = 480;
  std::uint32_t designWidth = 0, designHeight = 0;
  bool designGiven = false;
  std::string input, output;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "-k" && hasValue) {
      char* end = nullptr;
      options.kind = static_cast<std::uint32_t>(std::strtoul(argv[++i], &end, 10));
      if (*end != '\0') return Usage();
    } else if (arg == "-q" && hasValue) {
      char* end = nullptr;
      options.quality = static_cast<int>(std::strtol(argv[++i], &end, 10));
      if (*end != '\0') return Usage();
    } else if (arg == "-s" && hasValue) {
      if (!ParseSize(argv[++i], screenWidth, screenHeight)) return Usage();
    } else if (arg == "-d" && hasValue) {
      if (!ParseSize(argv[++i], designWidth, designHeight)) return Usage();
      designGiven = true;
    } else if (arg.starts_with("-") || !output.empty()) {
      return Usage();
    } else if (input.empty()) {
      input = arg;
    } else {
      output = arg;
    }
  }
  if (output.empty()) return Usage();

  try {
    SourcePicture picture;
    std::string error;
    if (!ReadPngPicture(input, picture, error)) throw std::runtime_error(input + ": " + error);
    if (designGiven) {
      if (designWidth > 32767 || designHeight > 32767) throw std::invalid_argument("design size out of range");
      options.designWidth = static_cast<std::int16_t>(designWidth);
      options.designHeight = static_cast<std::int16_t>(designHeight);
    } else {
      const auto design = DesignSizeFor(picture.width, picture.height, screenWidth, screenHeight);
      options.designWidth = design[0];
      options.designHeight = design[1];
    }
    const std::vector<std::uint8_t> file = BuildRbpFile(picture, options);
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + output);
    std::printf("%s: kind %u, %u x %u, design %d x %d\n", output.c_str(), options.kind, picture.width, picture.height,
                options.designWidth, options.designHeight);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "rbp_make: %s\n", error.what());
    return 1;
  }
  return 0;
}
