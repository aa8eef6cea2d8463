// The font enumeration: which families it reports, under which names and in
// which order, from a catalogue, a folder of fonts, the machine's fonts and a
// script.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "host/display/display_api.h"
#include "host/fonts/font_cache.h"
#include "host/fonts/glyph_backend.h"
#include "host/gdi/font_families_api.h"
#include "host/text/wide_text.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

constexpr char kIpaGothicFolder[] = "/usr/share/fonts/opentype/ipafont-gothic";
constexpr char kDejaVuSans[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct Reported {
  std::u16string face;
  DWORD type;
  BYTE pitch;
  bool operator==(const Reported&) const = default;
};

void PrintTo(const Reported& r, std::ostream* out) {
  *out << Utf8FromWide(r.face.c_str()) << "/" << r.type << "/" << int(r.pitch);
}

struct Enumeration {
  std::vector<Reported> reported;
  int stopAt = -1;  // the call that returns 0
  int result = 0;
};

int Record(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD type, LPARAM data) {
  auto& run = *reinterpret_cast<Enumeration*>(data);
  EXPECT_EQ(font->lfCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(metrics->tmCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(font->lfFaceName[LF_FACESIZE - 1], 0);
  run.reported.push_back(Reported{font->lfFaceName, type, font->lfPitchAndFamily});
  return static_cast<int>(run.reported.size()) == run.stopAt + 1 ? 0 : 1;
}

Enumeration Enumerate(int stopAt = -1) {
  Enumeration run;
  run.stopAt = stopAt;
  run.result = EnumFontFamiliesW(GetDC(nullptr), nullptr, Record, reinterpret_cast<LPARAM>(&run));
  return run;
}

std::string Sjis(const std::u16string& face) {
  std::string out;
  EXPECT_TRUE(ShiftJisFromUtf8(Utf8FromWide(face.c_str()), &out));
  return out;
}

bool Resolves(const std::u16string& face) {
  LOGFONTW record{};
  record.lfHeight = 24;
  std::copy(face.begin(), face.end(), record.lfFaceName);
  HFONT font = CreateFontIndirectW(&record);
  if (font) DeleteObject(font);
  return font != nullptr;
}

class FontFamilies : public ::testing::Test {
 protected:
  void SetUp() override { HostSetGlyphBackend(MakeSystemGlyphBackend()); }
  void TearDown() override {
    HostScriptFontFamilies({});
    HostUseFontFolder("");
    HostSetGlyphBackend(nullptr);
  }
};

JapaneseFont Font(std::vector<JapaneseFont::Family> families, bool outline, bool fixedPitch) {
  return JapaneseFont{std::move(families), outline, fixedPitch};
}

TEST_F(FontFamilies, NamesFitTheFaceFieldAndCodePageAndSortFixedPitchFirstByTheirBytes) {
  const std::string limit(31, 'L');
  const std::vector<JapaneseFont> catalogue = {
      Font({{"IPAPGothic", "en"}, {"IPA Pゴシック", "ja"}}, true, false),
      Font({{"IPAGothic", "en"}, {"IPAゴシック", "ja"}}, true, true),
      Font({{"IPAGothic", "en"}, {"IPAゴシック", "ja"}}, true, true),  // the same file under a second name
      Font({{"Bitmap Gothic", "en"}}, false, true),
      Font({{"ｱｲｳ Sans", ""}}, true, false),
      Font({{"First", ""}, {"Second", "en"}}, true, false),
      Font({{"堯 Gothic", "en"}}, true, false),
      Font({{"鰯 Mincho", "en"}}, true, false),
      Font({{"腕 Mincho", "en"}}, true, false),
      Font({{limit, "en"}}, true, false),
      Font({{limit + "L", "en"}}, true, false),              // 32 units: no room for the NUL
      Font({{"Latin", "en"}, {"한글", "ja"}}, true, false),  // its Japanese name is outside code page 932
      Font({{"Emoji 😀", "en"}}, true, false),
  };
  const std::vector<FontFamilyEntry> named = NameFontFamilies(catalogue);
  std::vector<std::string> names;
  for (const FontFamilyEntry& entry : named) names.push_back(Utf8FromWide(entry.name.c_str()));
  // Code page 932 puts half-width kana (0xB1) before 堯 (0xEA 0x9F) and 鰯
  // (0x88 0xF1) before 腕 (0x98 0x72); UTF-16 has both pairs the other way.
  EXPECT_EQ(names, (std::vector<std::string>{"Bitmap Gothic", "IPAゴシック", "First", "IPA Pゴシック", limit,
                                             "鰯 Mincho", "腕 Mincho", "ｱｲｳ Sans", "堯 Gothic"}));
  ASSERT_EQ(named.size(), names.size());
  EXPECT_EQ(named[0].type, 0u);
  EXPECT_TRUE(named[0].fixedPitch);
  EXPECT_EQ(named[1].type, TRUETYPE_FONTTYPE);
  EXPECT_FALSE(named[2].fixedPitch);
}

TEST_F(FontFamilies, AFolderOfTheIpaGothicPackageListsItsTwoFamiliesEachResolving) {
  ASSERT_TRUE(std::filesystem::exists(std::string(kIpaGothicFolder) + "/ipag.ttf")) << "install fonts-ipafont-gothic";
  ScopedTempDir folder("fonts_");
  for (const char* file : {"ipag.ttf", "ipagp.ttf"}) {
    std::filesystem::copy_file(std::string(kIpaGothicFolder) + "/" + file, folder.HostPath(file));
  }
  std::filesystem::create_symlink(folder.HostPath("ipag.ttf"), folder.HostPath("japanese-gothic.ttf"));
  const bool dejaVu = std::filesystem::exists(kDejaVuSans);
  if (dejaVu) std::filesystem::copy_file(kDejaVuSans, folder.HostPath("DejaVuSans.ttf"));
  ASSERT_TRUE(HostUseFontFolder(folder.Path()));

  const Enumeration run = Enumerate();
  EXPECT_EQ(run.reported, (std::vector<Reported>{{u"IPAゴシック", TRUETYPE_FONTTYPE, FIXED_PITCH},
                                                 {u"IPA Pゴシック", TRUETYPE_FONTTYPE, VARIABLE_PITCH}}));
  EXPECT_EQ(run.result, 1);
  for (const Reported& family : run.reported) EXPECT_TRUE(Resolves(family.face)) << Utf8FromWide(family.face.c_str());
  EXPECT_TRUE(Resolves(u"ＭＳ ゴシック"));
  EXPECT_FALSE(Resolves(u"IPAMincho")) << "the catalogue is the folder";
  if (dejaVu) {
    EXPECT_TRUE(Resolves(u"DejaVu Sans")) << "a font without Japanese is still a font";
  }
  // The proportional face is the one the name asks for.
  auto advance = [](const char* face, char32_t code) { return HostOpenCachedFont(face, 24, 400)->Glyph(code).advance; };
  EXPECT_EQ(advance("IPAゴシック", U'i'), advance("IPAゴシック", U'W'));
  EXPECT_LT(advance("IPA Pゴシック", U'i'), advance("IPA Pゴシック", U'W'));
  EXPECT_FALSE(HostUseFontFolder(folder.HostPath("missing")));
}

TEST_F(FontFamilies, TheMachinesFamiliesAreUniqueGroupedSortedAndResolve) {
  const Enumeration run = Enumerate();
  ASSERT_FALSE(run.reported.empty()) << "install fonts-ipafont-gothic";
  std::set<std::u16string> seen;
  for (std::size_t i = 0; i < run.reported.size(); ++i) {
    const Reported& family = run.reported[i];
    SCOPED_TRACE(Utf8FromWide(family.face.c_str()));
    EXPECT_TRUE(seen.insert(family.face).second);
    EXPECT_LT(family.face.size(), static_cast<std::size_t>(LF_FACESIZE));
    EXPECT_TRUE(Resolves(family.face));
    if (i == 0) continue;
    const Reported& before = run.reported[i - 1];
    if (before.pitch == family.pitch) {
      EXPECT_LT(Sjis(before.face), Sjis(family.face));
    } else {
      EXPECT_EQ(before.pitch, FIXED_PITCH) << "fixed-pitch families come first";
    }
  }
  EXPECT_EQ(seen.count(u"IPAゴシック"), 1u);
}

TEST_F(FontFamilies, AScriptIsReportedAsItStandsAndACallbackCanStopIt) {
  const std::u16string tooLong(40, u'x');
  HostScriptFontFamilies({{u"@Vertical", TRUETYPE_FONTTYPE, true},
                          {u"Raster", 0, false},
                          {u"Twice", TRUETYPE_FONTTYPE, false},
                          {u"Twice", TRUETYPE_FONTTYPE, false},
                          {tooLong, TRUETYPE_FONTTYPE, false}});
  Enumeration run = Enumerate();
  EXPECT_EQ(run.reported,
            (std::vector<Reported>{{u"@Vertical", TRUETYPE_FONTTYPE, FIXED_PITCH},
                                   {u"Raster", 0, VARIABLE_PITCH},
                                   {u"Twice", TRUETYPE_FONTTYPE, VARIABLE_PITCH},
                                   {u"Twice", TRUETYPE_FONTTYPE, VARIABLE_PITCH},
                                   {tooLong.substr(0, LF_FACESIZE - 1), TRUETYPE_FONTTYPE, VARIABLE_PITCH}}));
  run = Enumerate(1);
  EXPECT_EQ(run.reported.size(), 2u);
  EXPECT_EQ(run.result, 0);
  Enumeration named;
  EXPECT_EQ(EnumFontFamiliesW(GetDC(nullptr), u"Raster", Record, reinterpret_cast<LPARAM>(&named)), 0);
  EXPECT_TRUE(named.reported.empty());
}

TEST_F(FontFamilies, TheFakeGlyphSourceListsItsTwoFaces) {
  HostSetGlyphBackend(MakeFakeGlyphBackend());
  EXPECT_EQ(Enumerate().reported, (std::vector<Reported>{{u"ＭＳ ゴシック", TRUETYPE_FONTTYPE, FIXED_PITCH},
                                                         {u"ＭＳ 明朝", TRUETYPE_FONTTYPE, FIXED_PITCH}}));
}

}  // namespace
