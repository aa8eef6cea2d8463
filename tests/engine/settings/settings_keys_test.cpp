// Each key's reading rule, what it stores, what reaches the sound device and
// what exit writes back: the key table as cases.
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "settings_fixture.h"
#include "tests/support/file_bytes.h"

namespace {

struct KeyCase {
  const char* section;
  const char* key;
  std::optional<std::string> value;  // nullopt: the key is absent
  std::uint32_t stored;
  const char* written;  // the key's value in the file after exit; "<absent>": no line
};

// Every key of the file with its default, and the out-of-range and malformed
// values of each rule.
const KeyCase kKeyCases[] = {
    // Volumes: below 10 or above 100 become 100.
    {"MUSIC_CONFIG", "MASTER_VOL", std::nullopt, 100, "100"},
    {"MUSIC_CONFIG", "MASTER_VOL", "5", 100, "100"},
    {"MUSIC_CONFIG", "MASTER_VOL", "55", 55, "55"},
    {"MUSIC_CONFIG", "MASTER_VOL", "-5", 100, "100"},
    {"MUSIC_CONFIG", "MUSIC_VOL", std::nullopt, 100, "100"},  // the engine object starts it at 60
    {"MUSIC_CONFIG", "MUSIC_VOL", "101", 100, "100"},
    {"SE_CONFIG", "SE_VOL", std::nullopt, 100, "100"},
    {"MUSIC_CONFIG", "MUSIC_VOL", "10", 10, "10"},
    {"VOICE_CONFIG", "VOICE_VOL", "9", 100, "100"},
    {"SE_CONFIG", "SE_VOL", "0x50", 80, "80"},
    {"MOV_CONFIG", "MOV_VOL", "5 ", 50, "50"},  // a trailing blank takes a decimal place
    // Stored as read, written back unchanged.
    {"MUSIC_CONFIG", "PCM", std::nullopt, 2, "2"},
    {"MUSIC_CONFIG", "PCM", "7", 7, "7"},
    {"VOICE_CONFIG", "VOICE_PLAY", std::nullopt, 2, "2"},
    {"SE_CONFIG", "SE_PLAY", "0", 0, "0"},
    {"MESSAGE_CONFIG", "NAME_CHANGE", "3", 3, "3"},
    {"MESSAGE_CONFIG", "EFFECT_USE", std::nullopt, 1, "1"},
    {"MESSAGE_CONFIG", "TRANS_MODE", "4", 4, "4"},
    // A negative word keeps its sign in the file.
    {"MESSAGE_CONFIG", "TRANS_MODE", "-1", 0xFFFFFFFF, "-1"},
    {"SYSTEM_CONFIG", "KEY_CEN_CTRL", "-7", 0xFFFFFFF9, "-7"},
    {"MESSAGE_CONFIG", "MESSAGE_SPEED", std::nullopt, 1, "1"},
    {"MESSAGE_CONFIG", "MESSAGE_SPEED", "12", 12, "12"},
    {"MESSAGE_CONFIG", "READ_SKIP", "1", 1, "1"},
    {"MESSAGE_CONFIG", "LOCK_SKIP", "2", 2, "2"},
    {"MESSAGE_CONFIG", "MESSAGE_AUTO_BASE", "10", 10, "10"},
    {"MESSAGE_CONFIG", "MESSAGE_AUTO_ONE", "9", 9, "9"},
    {"MESSAGE_CONFIG", "VOICE_AUTOLOCK", "1", 1, "1"},
    {"SYSTEM_CONFIG", "KEY_CEN_CTRL", std::nullopt, 1, "1"},
    {"SYSTEM_CONFIG", "KEY_CEN_CTRL", "9", 9, "9"},
    {"SYSTEM_CONFIG", "KET_CUR_MODE", "5", 5, "5"},
    {"SYSTEM_CONFIG", "KET_DOUBLE_CLICK", "1", 1, "1"},
    {"SYSTEM_CONFIG", "DISP_FREE_MODE", "3", 3, "3"},
    {"SYSTEM_CONFIG", "MANA_VOICE_CUT", "1", 1, "1"},
    // Switches: non-zero becomes 1.
    {"MUSIC_CONFIG", "SAOUND_HALF", "7", 1, "1"},
    {"MESSAGE_CONFIG", "MESSAGE_SADOW", std::nullopt, 0, "0"},
    {"MESSAGE_CONFIG", "MESSAGE_SADOW", "-3", 1, "1"},
    {"MESSAGE_CONFIG", "MESSAGE_AUTO", "2", 1, "1"},
    {"MOV_CONFIG", "VGA_QUALITY", std::nullopt, 1, "1"},
    {"MOV_CONFIG", "VGA_QUALITY", "0", 0, "0"},
    // Read only: the player's line stays as written.
    {"MUSIC_CONFIG", "MEM_STREAM", std::nullopt, 0, "<absent>"},
    {"MUSIC_CONFIG", "MEM_STREAM", "5", 1, "5"},
    // Speaker voice levels: the unsigned value modulo 11.
    {"MUSIC_CONFIG", "CHAR_VOICE_01", std::nullopt, 10, "10"},
    {"MUSIC_CONFIG", "CHAR_VOICE_03", "25", 3, "3"},
    {"MUSIC_CONFIG", "CHAR_VOICE_03", "-1", 3, "3"},
    {"MUSIC_CONFIG", "CHAR_VOICE_09", "11", 0, "0"},
    // The menu's setters normalise these.
    {"VOICE_CONFIG", "VOICE_CUT_MODE", "2", 2, "2"},
    {"VOICE_CONFIG", "VOICE_CUT_MODE", "7", 0, "0"},
    {"MESSAGE_CONFIG", "MES_LOG_START", "1", 1, "1"},
    {"MESSAGE_CONFIG", "MES_LOG_START", "2", 0, "0"},
    {"MUSIC_CONFIG", "OGG_USE_LEVEL", "1", 1, "1"},
    {"MUSIC_CONFIG", "OGG_USE_LEVEL", "3", 0, "0"},
    // Never read: always 0.
    {"SYSTEM_CONFIG", "LINER_MODE", "1", 0, "0"},
};

TEST_F(SettingsTest, EveryKeyIsReadByItsRuleAndWrittenBackAsStored) {
  for (const KeyCase& c : kKeyCases) {
    const std::string trace = std::string(c.key) + "=" + c.value.value_or("<absent>");
    SCOPED_TRACE(trace);
    std::string text = "[" + std::string(c.section) + "]\r\n";
    if (c.value) text += std::string(c.key) + "=" + *c.value + "\r\n";
    auto app = Start(text);
    EXPECT_EQ(Word(*app, c.key), c.stored);
    EXPECT_EQ(WrittenValue(Exit(*app), c.key), c.written);
  }
}

TEST_F(SettingsTest, TheRendererGetsAtMostThreeWhateverTransModeHolds) {
  for (const auto& [value, level] : {std::pair{"0", 0u}, {"3", 3u}, {"4", 3u}, {"-1", 3u}}) {
    auto app = Start(std::string("[MESSAGE_CONFIG]\r\nTRANS_MODE=") + value + "\r\n");
    EXPECT_EQ(TextAntiAliasLevel(app->options), level) << value;
  }
}

TEST_F(SettingsTest, TheSoundDeviceGetsTheRateOggOrderAndDeviceVolume) {
  struct Case {
    const char* text;
    bool fallsBack;
    std::vector<std::string> calls;
    std::uint32_t quality;
  };
  const Case cases[] = {
      {"", false, {"Open 22050 0", "SetOggFirst 0"}, 0},
      {"SAOUND_QUALITY=1\r\nSAOUND_HALF=1\r\n", false, {"Open 44100 1", "SetOggFirst 0"}, 1},
      {"SAOUND_QUALITY=5\r\n", false, {"Open 44100 0", "SetOggFirst 0"}, 1},
      // The device could only open at 22,050 Hz: 0 is stored and written.
      {"SAOUND_QUALITY=1\r\n", true, {"Open 44100 0", "SetOggFirst 0"}, 0},
      // The mixer gets the value as read; the word is normalised.
      {"OGG_USE_LEVEL=3\r\n", false, {"Open 22050 0", "SetOggFirst 3"}, 0},
      {"DEVICE_VOL=0\r\n", false, {"Open 22050 0", "SetOggFirst 0"}, 0},
      {"DEVICE_VOL=65535\r\n", false, {"Open 22050 0", "SetOggFirst 0"}, 0},
      {"DEVICE_VOL=-1\r\n", false, {"Open 22050 0", "SetOggFirst 0"}, 0},
      {"DEVICE_VOL=65534\r\n", false, {"Open 22050 0", "SetOggFirst 0", "SetDeviceVolume 65534"}, 0},
      {"DEVICE_VOL=1\r\n", false, {"Open 22050 0", "SetOggFirst 0", "SetDeviceVolume 1"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto app = Start(std::string("[MUSIC_CONFIG]\r\n") + c.text, c.fallsBack);
    EXPECT_EQ(mixer->calls, c.calls);
    EXPECT_EQ(app->options[SAOUND_QUALITY], c.quality);
    EXPECT_EQ(WrittenValue(Exit(*app), "SAOUND_QUALITY"), std::to_string(c.quality));
  }
}

TEST_F(SettingsTest, WordsWithAMenuItemGoThroughTheSettersOthersAreStoredDirectly) {
  auto app = Start(std::nullopt);
  std::vector<ConfigWord> setWords;
  for (const auto& [word, value] : menu->sets) setWords.push_back(word);
  for (const ConfigRule& rule : ConfigRules()) {
    if (rule.target < 0 || rule.read == ReadRule::KeyBinding || rule.read == ReadRule::FontName) continue;
    const auto word = static_cast<ConfigWord>(rule.target);
    const auto count = std::count(setWords.begin(), setWords.end(), word);
    EXPECT_EQ(count, rule.setter == SetterRule::NoMenuItem ? 0 : 1) << rule.key;
  }
  // The font setter gets the list's count and the chosen index.
  EXPECT_EQ(menu->fonts, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{1, 0}}));
}

TEST_F(SettingsTest, FreshStartWritesTheGoldenFile) {
  auto app = Start(std::nullopt, true);
  const std::vector<std::uint8_t> golden = ReadFileBytes(NOVEL_TEST_DATA_DIR "/settings/fresh_start_pelmo.cfg");
  ASSERT_FALSE(golden.empty());
  EXPECT_EQ(Exit(*app), std::string(golden.begin(), golden.end()));
}

}  // namespace
