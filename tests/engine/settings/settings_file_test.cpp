// The settings file as a whole: a player's file comes back byte for byte,
// what the engine does not write survives, words changed in memory come back
// next start, fonts are found in any letter case, and damaged files start
// with the defaults.
#include <sys/stat.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "settings_fixture.h"

namespace {

// Every written key off its default (LINER_MODE is always 0), with
// comments and the keys the engine only reads.
const char kPlayersFile[] =
    "; my settings\r\n"
    "[MUSIC_CONFIG]\r\n"
    "PCM=0\r\nMASTER_VOL=90\r\nMUSIC_VOL=80\r\nSAOUND_HALF=1\r\nSAOUND_QUALITY=1\r\nOGG_USE_LEVEL=1\r\n"
    "CHAR_VOICE_01=0\r\nCHAR_VOICE_02=1\r\nCHAR_VOICE_03=2\r\nCHAR_VOICE_04=3\r\nCHAR_VOICE_05=4\r\n"
    "CHAR_VOICE_06=5\r\nCHAR_VOICE_07=6\r\nCHAR_VOICE_08=7\r\nCHAR_VOICE_09=8\r\nMEM_STREAM=1\r\nDEVICE_VOL=30000\r\n"
    "[VOICE_CONFIG]\r\nVOICE_PLAY=0\r\nVOICE_VOL=70\r\nVOICE_CUT_MODE=2\r\n"
    "[SE_CONFIG]\r\nSE_PLAY=0\r\nSE_VOL=60\r\n"
    "[MOV_CONFIG]\r\nMOV_VOL=50\r\nVGA_QUALITY=0\r\n"
    "\r\n; fonts\r\n"
    "[SYSTEM_CONFIG]\r\nMESSAGE_FONT_NAME=Beta Gothic\r\nLINER_MODE=0\r\nKEY_CEN_CTRL=3\r\nKET_CUR_MODE=2\r\n"
    "KET_DOUBLE_CLICK=1\r\nDISP_FREE_MODE=2\r\nMANA_VOICE_CUT=1\r\n"
    "[MESSAGE_CONFIG]\r\nNAME_CHANGE=1\r\nMES_LOG_START=1\r\nEFFECT_USE=0\r\nREAD_SKIP=1\r\nLOCK_SKIP=1\r\n"
    "VOICE_AUTOLOCK=1\r\nTRANS_MODE=2\r\nMESSAGE_SPEED=5\r\nMESSAGE_AUTO=1\r\nMESSAGE_AUTO_BASE=3\r\n"
    "MESSAGE_AUTO_ONE=4\r\nMESSAGE_SADOW=1\r\n"
    "[KEY_CONFIG]\r\nKEY_C=20\r\n"
    "[FONT_LIST_CONFIG]\r\nPUT_LIST_00=Beta Gothic\r\nPUT_LIST_01=Alpha\r\nPUT_LIST_02=\r\nPUT_LIST_03=Gamma\r\n"
    "[GAME_INST_FOLDER]\r\nDATA01=data\\\r\n";

const std::vector<std::string> kFonts = {"Alpha", "Beta Gothic", "Gamma"};

TEST_F(SettingsTest, APlayersFileGivesItsWordsAndComesBackByteForByte) {
  auto app = Start(kPlayersFile, false, kFonts);
  struct Expected {
    const char* key;
    std::uint32_t word;
  };
  const Expected words[] = {
      {"PCM", 0},           {"VOICE_PLAY", 0},       {"SE_PLAY", 0},          {"MASTER_VOL", 90},
      {"MUSIC_VOL", 80},    {"VOICE_VOL", 70},       {"SE_VOL", 60},          {"MOV_VOL", 50},
      {"CHAR_VOICE_01", 0}, {"CHAR_VOICE_05", 4},    {"CHAR_VOICE_09", 8},    {"VOICE_CUT_MODE", 2},
      {"VGA_QUALITY", 0},   {"MESSAGE_FONT_NAME", 1}, {"SAOUND_HALF", 1},     {"NAME_CHANGE", 1},
      {"LINER_MODE", 0},    {"MES_LOG_START", 1},    {"EFFECT_USE", 0},       {"READ_SKIP", 1},
      {"LOCK_SKIP", 1},     {"VOICE_AUTOLOCK", 1},   {"TRANS_MODE", 2},       {"MESSAGE_SPEED", 5},
      {"MESSAGE_AUTO", 1},  {"MESSAGE_AUTO_BASE", 3}, {"MESSAGE_AUTO_ONE", 4}, {"MESSAGE_SADOW", 1},
      {"SAOUND_QUALITY", 1}, {"OGG_USE_LEVEL", 1},   {"KEY_CEN_CTRL", 3},     {"KET_CUR_MODE", 2},
      {"KET_DOUBLE_CLICK", 1}, {"DISP_FREE_MODE", 2}, {"MANA_VOICE_CUT", 1},  {"MEM_STREAM", 1},
  };
  for (const Expected& e : words) EXPECT_EQ(Word(*app, e.key), e.word) << e.key;
  EXPECT_EQ(mixer->calls, (std::vector<std::string>{"Open 44100 1", "SetOggFirst 1", "SetDeviceVolume 30000"}));
  // The preferred names up to the first empty one, then the installed fonts.
  EXPECT_EQ(fontList->preferred, (std::vector<std::string>{"Beta Gothic", "Alpha"}));
  EXPECT_TRUE(fontList->enumerated);
  EXPECT_EQ(services.faces, (std::vector<std::string>{"Beta Gothic"}));
  EXPECT_EQ(app->keyMap.Code(KEY_SLOT_C), 0x20);
  EXPECT_EQ(Exit(*app), kPlayersFile);
}

TEST_F(SettingsTest, WordsChangedInMemoryComeBackNextStart) {
  auto app = Start(kPlayersFile, false, kFonts);
  app->options[MESSAGE_SPEED] = 7;
  app->options[MASTER_VOL] = 30;
  app->options[MESSAGE_FONT_INDEX] = 2;
  const std::string file = Exit(*app);
  EXPECT_NE(file.find("; my settings\r\n"), std::string::npos);
  EXPECT_NE(file.find("[KEY_CONFIG]\r\nKEY_C=20\r\n"), std::string::npos);
  EXPECT_NE(file.find("DATA01=data\\\r\n"), std::string::npos);
  EXPECT_NE(file.find("DEVICE_VOL=30000\r\n"), std::string::npos);
  auto next = Start(std::nullopt, false, kFonts);
  EXPECT_EQ(next->options[MESSAGE_SPEED], 7u);
  EXPECT_EQ(next->options[MASTER_VOL], 30u);
  EXPECT_EQ(next->options[MESSAGE_FONT_INDEX], 2u);
  EXPECT_EQ(next->options[DISP_FREE_MODE], 2u);
}

TEST_F(SettingsTest, AReadOnlyFileIsRewritten) {
  const std::string path = dir_.WriteFile("pelmo.cfg", "[MESSAGE_CONFIG]\r\nMESSAGE_SPEED=4\r\n");
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  auto app = Start(std::nullopt);
  app->options[MESSAGE_SPEED] = 6;
  EXPECT_EQ(WrittenValue(Exit(*app), "MESSAGE_SPEED"), "6");
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_NE(info.st_mode & S_IWUSR, 0u);
}

TEST_F(SettingsTest, TheFontIsFoundInAnyLetterCaseAndWrittenAsTheListSpellsIt) {
  struct Case {
    const char* name;
    std::uint32_t index;
    const char* written;
  };
  const Case cases[] = {
      {"beta GOTHIC", 1, "Beta Gothic"},
      {"Gamma", 2, "Gamma"},
      {"Unknown Face", 0, "Alpha"},
      {"", 0, "Alpha"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto app = Start(std::string("[SYSTEM_CONFIG]\r\nMESSAGE_FONT_NAME=") + c.name + "\r\n", false, kFonts);
    EXPECT_EQ(app->options[MESSAGE_FONT_INDEX], c.index);
    EXPECT_EQ(services.faces, (std::vector<std::string>{c.written}));
    EXPECT_EQ(WrittenValue(Exit(*app), "MESSAGE_FONT_NAME"), c.written);
  }
}

TEST_F(SettingsTest, WithoutTheFontListThePlayersFaceIsUsedAndKept) {
  // Shift-JIS "明朝" and an ASCII face; no file gives the Gothic face.
  const std::string gothic = "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E";
  for (const std::string& face : {std::string("\x96\xBE\x92\xA9"), std::string("Noto Sans CJK JP"), std::string()}) {
    SCOPED_TRACE(face);
    std::filesystem::remove(dir_.HostPath("pelmo.cfg"));
    auto app = Start(face.empty() ? std::optional<std::string>() : "[SYSTEM_CONFIG]\r\nMESSAGE_FONT_NAME=" + face + "\r\n");
    const std::string expected = face.empty() ? gothic : face;
    EXPECT_EQ(services.faces, (std::vector<std::string>{expected}));
    EXPECT_EQ(WrittenValue(Exit(*app), "MESSAGE_FONT_NAME"), expected);
  }
}

TEST_F(SettingsTest, DamagedFilesStartWithTheDefaults) {
  auto fresh = Start(std::nullopt);
  const ConfigOptions defaults = fresh->options;
  std::mt19937 random(32);
  std::string noise(200'000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  std::string longLines = "[MESSAGE_CONFIG]\r\n" + std::string(1 << 20, 'x') + "\r\nTRANS_MODE" + std::string(1 << 20, '=');
  std::string nuls = std::string("[SYSTEM_CONFIG]\r\nKET_CUR_MODE=\0" "4\r\n", 20) + std::string(64, '\0');
  for (const std::string& text : {noise, longLines, nuls}) {
    auto app = Start(text);
    EXPECT_EQ(app->options.words, defaults.words);
    Exit(*app);
  }
}

TEST_F(SettingsTest, AFileCutInsideALineLoadsWhatItHolds) {
  auto app = Start("[MESSAGE_CONFIG]\r\nMESSAGE_SPEED=4\r\nTRANS_MO");
  EXPECT_EQ(app->options[MESSAGE_SPEED], 4u);
  EXPECT_EQ(app->options[TRANS_MODE], 0u);
  app = Start("[MESSAGE_CONFIG]\r\nMESSAGE_SPEED=4\r\nMESSAGE_AUTO_BASE=");
  EXPECT_EQ(app->options[MESSAGE_AUTO_BASE], 0u);
}

TEST_F(SettingsTest, KeyBindingsRebindTheKeyMapAndSharedCodesAreNamed) {
  testing::internal::CaptureStderr();
  auto app = Start(
      "[KEY_CONFIG]\r\nKEY_A=KEY_B\r\nKEY_B=key_a\r\nKEY_C=20\r\nKEY_UP= 26\r\nKEY_D=5\r\nKEY_E=20\r\n"
      "KEY_START=ABC\r\nKEY_LEFT=" + std::string(31, '4') + "\r\n");
  const std::string messages = testing::internal::GetCapturedStderr();
  const CKeyMap& keys = app->keyMap;
  EXPECT_EQ(keys.Code(KEY_SLOT_A), 'X');
  EXPECT_EQ(keys.Code(KEY_SLOT_B), 'Z');
  EXPECT_EQ(keys.Code(KEY_SLOT_C), 0x20);
  EXPECT_EQ(keys.Code(KEY_SLOT_UP), VK_UP);  // " 26": the blank voids it
  EXPECT_EQ(keys.Code(KEY_SLOT_D), 0);       // "5": D keeps its default, unbound
  EXPECT_EQ(keys.Code(KEY_SLOT_E), 0x20);
  EXPECT_EQ(keys.Code(KEY_SLOT_START), VK_ESCAPE);
  EXPECT_EQ(keys.Code(KEY_SLOT_LEFT), VK_LEFT);  // longer than 30 bytes: ignored
  EXPECT_EQ(messages, "pelmo.cfg: KEY_C and KEY_E share key code 20; one press counts for both\n");
}

}  // namespace
