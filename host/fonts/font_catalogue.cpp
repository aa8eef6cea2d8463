#include "host/fonts/font_catalogue.h"

#include <fontconfig/fontconfig.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <utility>

#include "host/fonts/font_cache.h"

namespace {

struct Substitute {
  const char* face;
  const char* family;
};

constexpr Substitute kSubstitutes[] = {
    {"ＭＳ ゴシック", "IPAGothic"},
};

// The installed fonts' configuration is loaded once and handed back at exit
// so that nothing of it is left behind; a test's folder has its own.
struct Catalogue {
  std::mutex lock;  // fontconfig's configurations are shared
  FcConfig* folder = nullptr;

  FcConfig* Config() {
    static FcConfig* installed = [] {
      FcInit();
      std::atexit([] { FcFini(); });
      return FcConfigGetCurrent();
    }();
    return folder ? folder : installed;
  }
};

Catalogue& TheCatalogue() {
  static Catalogue catalogue;
  return catalogue;
}

std::string Text(FcPattern* pattern, const char* object, int n) {
  FcChar8* value = nullptr;
  if (FcPatternGetString(pattern, object, n, &value) != FcResultMatch) return {};
  return reinterpret_cast<const char*>(value);
}

}  // namespace

std::string SubstituteFamily(const std::string& faceUtf8) {
  for (const Substitute& substitute : kSubstitutes) {
    if (faceUtf8 == substitute.face) return substitute.family;
  }
  return faceUtf8;
}

std::vector<FontFile> FindFontFiles(const std::string& faceUtf8) {
  Catalogue& catalogue = TheCatalogue();
  std::lock_guard guard(catalogue.lock);
  std::vector<FontFile> files;
  const std::string family = SubstituteFamily(faceUtf8);
  if (family.empty()) return files;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_WEIGHT, nullptr);
  FcFontSet* found = FcFontList(catalogue.Config(), pattern, objects);
  if (found) {
    for (int i = 0; i < found->nfont; ++i) {
      FontFile file;
      file.path = Text(found->fonts[i], FC_FILE, 0);
      if (file.path.empty()) continue;
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

std::vector<JapaneseFont> ListJapaneseFonts() {
  Catalogue& catalogue = TheCatalogue();
  std::lock_guard guard(catalogue.lock);
  std::vector<JapaneseFont> fonts;
  FcPattern* pattern = FcPatternCreate();
  FcLangSet* japanese = FcLangSetCreate();
  FcLangSetAdd(japanese, reinterpret_cast<const FcChar8*>("ja"));
  FcPatternAddLangSet(pattern, FC_LANG, japanese);
  FcLangSetDestroy(japanese);
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_FAMILYLANG, FC_FONTFORMAT, FC_SPACING, nullptr);
  FcFontSet* found = FcFontList(catalogue.Config(), pattern, objects);
  if (found) {
    for (int i = 0; i < found->nfont; ++i) {
      FcPattern* font = found->fonts[i];
      JapaneseFont entry;
      for (int n = 0;; ++n) {
        std::string family = Text(font, FC_FAMILY, n);
        if (family.empty()) break;
        entry.families.push_back({std::move(family), Text(font, FC_FAMILYLANG, n)});
      }
      if (entry.families.empty()) continue;
      const std::string format = Text(font, FC_FONTFORMAT, 0);
      entry.outline = format == "TrueType" || format == "CFF";
      int spacing = FC_PROPORTIONAL;
      FcPatternGetInteger(font, FC_SPACING, 0, &spacing);
      entry.fixedPitch = spacing == FC_MONO || spacing == FC_DUAL;
      fonts.push_back(std::move(entry));
    }
    FcFontSetDestroy(found);
  }
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return fonts;
}

bool HostUseFontFolder(const std::string& folder) {
  bool usable = true;
  {
    Catalogue& catalogue = TheCatalogue();
    std::lock_guard guard(catalogue.lock);
    catalogue.Config();  // fontconfig is initialised before a configuration of our own
    if (catalogue.folder) FcConfigDestroy(catalogue.folder);
    catalogue.folder = nullptr;
    std::error_code error;
    std::filesystem::directory_iterator files(folder.empty() ? "." : folder, error);
    usable = folder.empty() || !error;
    if (!folder.empty() && usable) {
      // File by file: a folder scan would want to write fontconfig's cache.
      catalogue.folder = FcConfigCreate();
      for (const std::filesystem::directory_entry& file : files) {
        FcConfigAppFontAddFile(catalogue.folder, reinterpret_cast<const FcChar8*>(file.path().c_str()));
      }
    }
  }
  HostForgetCachedFonts();
  return usable;
}

int FontconfigWeight(int recordWeight) {
  return recordWeight <= 0 ? FC_WEIGHT_REGULAR : FcWeightFromOpenType(recordWeight);
}
