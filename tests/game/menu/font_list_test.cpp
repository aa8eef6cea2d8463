// The message-font list over scripted enumerations, the IPA Gothic package
// and the machine's own fonts, and as the settings routine uses it.
#include "game/menu/font_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "engine/runtime/file_helpers.h"
#include "engine/settings/settings_fixture.h"
#include "host/fonts/font_cache.h"
#include "host/fonts/glyph_backend.h"
#include "host/text/wide_text.h"

namespace {

constexpr char kIpaGothicFolder[] = "/usr/share/fonts/opentype/ipafont-gothic";
const std::string kDefaultFace = "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E";

std::string Sjis(const char* utf8) {
  std::string out;
  EXPECT_TRUE(ShiftJisFromUtf8(utf8, &out)) << utf8;
  return out;
}

FontFamilyEntry Outline(const std::u16string& name) { return FontFamilyEntry{name, TRUETYPE_FONTTYPE, false}; }

std::vector<std::string> Names(const CFontList& list) {
  std::vector<std::string> names;
  for (std::uint32_t i = 0; i < list.Count(); ++i) names.emplace_back(list.Name(i));
  return names;
}

class FontListTest : public ::testing::Test {
 protected:
  void TearDown() override {
    HostScriptFontFamilies({});
    HostUseFontFolder("");
    HostSetGlyphBackend(nullptr);
  }
  // The list made with preferred names over a scripted enumeration.
  static std::vector<std::string> Listed(const std::vector<FontFamilyEntry>& script,
                                         const std::vector<const char*>& preferred) {
    HostScriptFontFamilies(script);
    CFontList list;
    for (const char* name : preferred) list.AddPreferred(name);
    list.EnumerateInstalled();
    return Names(list);
  }
};

TEST_F(FontListTest, PreferredFacesComeFirstInEnumerationOrderFifteenAtMost) {
  std::vector<FontFamilyEntry> twenty;
  for (int i = 0; i < 20; ++i) twenty.push_back(Outline(u"Face" + std::u16string(1, u'A' + i)));
  // The preferred order does not matter; the face keeps its own spelling.
  const std::vector<std::string> listed = Listed(twenty, {"faceR", "", "FACEC", "Missing"});
  EXPECT_EQ(listed, (std::vector<std::string>{"FaceC", "FaceR", "FaceA", "FaceB", "FaceD", "FaceE", "FaceF", "FaceG",
                                              "FaceH", "FaceI", "FaceJ", "FaceK", "FaceL", "FaceM", "FaceN"}));
}

TEST_F(FontListTest, SkipsMarkedAndNonOutlineFacesAndListsEachOnce) {
  const std::vector<FontFamilyEntry> script = {
      Outline(u"@Vertical"), Outline(u"$Hidden"), FontFamilyEntry{u"Raster", 0, true},
      Outline(u"Twice"),     Outline(u"twice"),   Outline(u"Plain"),
      Outline(u"Twice"),
  };
  EXPECT_EQ(Listed(script, {}), (std::vector<std::string>{"Twice", "Plain"}));
  // A preferred family the system reports twice is listed once.
  EXPECT_EQ(Listed(script, {"TWICE"}), (std::vector<std::string>{"Twice", "Plain"}));
  EXPECT_EQ(Listed({FontFamilyEntry{u"Raster", 0, true}, Outline(u"@Vertical")}, {}),
            (std::vector<std::string>{kDefaultFace}));
}

TEST_F(FontListTest, OnlyFifteenPreferredNamesAreKept) {
  std::vector<std::string> names;
  for (int i = 0; i < 16; ++i) names.push_back("Pref" + std::string(1, static_cast<char>('A' + i)));
  std::vector<const char*> preferred;
  for (const std::string& name : names) preferred.push_back(name.c_str());
  // The sixteenth (PrefP) is not preferred, so it follows PrefO.
  EXPECT_EQ(Listed({Outline(u"PrefP"), Outline(u"Other"), Outline(u"PrefO")}, preferred),
            (std::vector<std::string>{"PrefO", "PrefP", "Other"}));
}

TEST_F(FontListTest, NamesAndFindPastTheEndEmptyAndUnknown) {
  HostScriptFontFamilies({Outline(u"Alpha"), Outline(u"IPAゴシック")});
  CFontList list;
  list.EnumerateInstalled();
  ASSERT_EQ(list.Count(), 2u);
  EXPECT_EQ(list.Name(1), Sjis("IPAゴシック"));
  EXPECT_STREQ(list.Name(2), "");
  EXPECT_STREQ(list.Name(15), "");
  EXPECT_EQ(list.Find(Sjis("IPAゴシック").c_str()), 1u);
  EXPECT_EQ(list.Find("ALPHA"), 0u);
  EXPECT_EQ(list.Find(""), 0u);
  EXPECT_EQ(list.Find("Unknown"), 0u);
  // Full-width letters are not folded.
  EXPECT_EQ(list.Find(Sjis("ipaゴシック").c_str()), 1u);
  EXPECT_EQ(list.Find(Sjis("ＩＰＡゴシック").c_str()), 0u);
}

TEST_F(FontListTest, TheIpaGothicPackageListsBothFacesEachResolving) {
  ASSERT_TRUE(std::filesystem::exists(std::string(kIpaGothicFolder) + "/ipagp.ttf")) << "install fonts-ipafont-gothic";
  HostSetGlyphBackend(MakeSystemGlyphBackend());
  ASSERT_TRUE(HostUseFontFolder(kIpaGothicFolder));
  CFontList list;
  list.AddPreferred(Sjis("IPA Pゴシック").c_str());
  list.EnumerateInstalled();
  EXPECT_EQ(Names(list), (std::vector<std::string>{Sjis("IPA Pゴシック"), Sjis("IPAゴシック")}));
  for (const std::string& name : Names(list)) {
    LOGFONTW record{};
    record.lfHeight = 12;
    const std::u16string face = AnsiToWideStatic(name.c_str());
    std::copy(face.begin(), face.end(), record.lfFaceName);
    HFONT font = CreateFontIndirectW(&record);
    EXPECT_NE(font, nullptr) << name;
    if (font) DeleteObject(font);
  }
}

TEST_F(FontListTest, TheMachinesListHoldsTheInstalledGothicOnce) {
  HostSetGlyphBackend(MakeSystemGlyphBackend());
  CFontList list;
  list.EnumerateInstalled();
  const std::vector<std::string> names = Names(list);
  EXPECT_LE(names.size(), kMaxListedFonts);
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
  EXPECT_NE(std::find(names.begin(), names.end(), Sjis("IPAゴシック")), names.end()) << "install fonts-ipafont-gothic";
}

// The settings routine with the real list: the face is found in any letter
// case and written as listed; an unlisted one falls back to the first.
class FontListSettingsTest : public SettingsTest {
 protected:
  void TearDown() override {
    HostScriptFontFamilies({});
    SettingsTest::TearDown();
  }
};

TEST_F(FontListSettingsTest, TheChosenFaceIsListedSpellingAndAnUnlistedOneSelectsTheFirst) {
  HostScriptFontFamilies({Outline(u"Alpha"), Outline(u"Beta"), Outline(u"Gamma")});
  struct Case {
    const char* name;
    std::uint32_t index;
    const char* written;
  } cases[] = {{"GAMMA", 2, "Gamma"}, {"Unlisted", 0, "Alpha"}, {"", 0, "Alpha"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dir_.WriteFile("pelmo.cfg", std::string("[SYSTEM_CONFIG]\r\nMESSAGE_FONT_NAME=") + c.name + "\r\n");
    ClearProfileCache();
    auto app = MakeApp();
    app->fontList = std::make_unique<CFontList>();
    app->LoadConfigAndBuildMenu();
    EXPECT_EQ(app->options[MESSAGE_FONT_INDEX], c.index);
    EXPECT_EQ(services.faces, (std::vector<std::string>{c.written}));
    EXPECT_EQ(menu->fonts, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{3u, c.index}}));
    EXPECT_EQ(WrittenValue(Exit(*app), "MESSAGE_FONT_NAME"), c.written);
  }
}

}  // namespace
