#include "host/fonts/font_catalogue.h"

#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <mutex>
#include <utility>

namespace {

struct Substitute {
  const char* face;
  const char* family;
};

constexpr Substitute kSubstitutes[] = {
    {"ＭＳ ゴシック", "IPAGothic"},
};

// Loaded once; handed back at exit so that nothing of it is left behind.
FcConfig* Config() {
  static FcConfig* config = [] {
    FcInit();
    std::atexit([] { FcFini(); });
    return FcConfigGetCurrent();
  }();
  return config;
}

}  // namespace

std::string SubstituteFamily(const std::string& faceUtf8) {
  for (const Substitute& substitute : kSubstitutes) {
    if (faceUtf8 == substitute.face) return substitute.family;
  }
  return faceUtf8;
}

std::vector<FontFile> FindFontFiles(const std::string& faceUtf8) {
  static std::mutex lock;  // fontconfig's configuration is shared
  std::lock_guard guard(lock);
  std::vector<FontFile> files;
  const std::string family = SubstituteFamily(faceUtf8);
  if (family.empty()) return files;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_WEIGHT, nullptr);
  FcFontSet* found = FcFontList(Config(), pattern, objects);
  if (found) {
    for (int i = 0; i < found->nfont; ++i) {
      FcChar8* path = nullptr;
      if (FcPatternGetString(found->fonts[i], FC_FILE, 0, &path) != FcResultMatch) continue;
      FontFile file;
      file.path = reinterpret_cast<const char*>(path);
      FcPatternGetInteger(found->fonts[i], FC_INDEX, 0, &file.index);
      if (FcPatternGetInteger(found->fonts[i], FC_WEIGHT, 0, &file.weight) != FcResultMatch) {
        file.weight = FC_WEIGHT_REGULAR;
      }
      files.push_back(std::move(file));
    }
    FcFontSetDestroy(found);
  }
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return files;
}

int FontconfigWeight(int recordWeight) {
  return recordWeight <= 0 ? FC_WEIGHT_REGULAR : FcWeightFromOpenType(recordWeight);
}
