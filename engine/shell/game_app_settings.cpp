// The settings routine at start-up and the settings' way back to the file
// at exit. What each key means and how it is read is in the rule table.
#include <string>

#include "common/format_text.h"
#include "engine/runtime/file_helpers.h"
#include "engine/shell/config_rules.h"
#include "engine/shell/game_app.h"
#include "host/base/diagnostics.h"
#include "host/files/file_api.h"

namespace {

constexpr char kSettingsFile[] = "pelmo.cfg";
constexpr std::uint32_t kHighRate = 44100;
constexpr std::uint32_t kLowRate = 22050;
constexpr std::int32_t kFontListEntries = 15;

// The option keys read after the sound device is open, in reading order.
constexpr const char* kOptionKeys[] = {
    "VOICE_PLAY",    "SE_PLAY",       "PCM",           "MASTER_VOL",     "MUSIC_VOL",         "VOICE_VOL",
    "SE_VOL",        "MOV_VOL",       "CHAR_VOICE_01", "CHAR_VOICE_02",  "CHAR_VOICE_03",     "CHAR_VOICE_04",
    "CHAR_VOICE_05", "CHAR_VOICE_06", "CHAR_VOICE_07", "CHAR_VOICE_08",  "CHAR_VOICE_09",     "NAME_CHANGE",
    "EFFECT_USE",    "TRANS_MODE",    "MESSAGE_SPEED", "READ_SKIP",      "LOCK_SKIP",         "MESSAGE_SADOW",
    "MESSAGE_AUTO",  "MESSAGE_AUTO_BASE", "MESSAGE_AUTO_ONE", "KEY_CEN_CTRL", "KET_CUR_MODE", "KET_DOUBLE_CLICK",
    "LINER_MODE",    "VOICE_AUTOLOCK", "DISP_FREE_MODE", "MANA_VOICE_CUT", "VOICE_CUT_MODE",  "MES_LOG_START",
    "VGA_QUALITY"};

class SettingsReader {
 public:
  SettingsReader(CGameApp& app, std::string path) : app_(app), path_(std::move(path)) {}

  void ReadFontList() {
    if (!app_.fontList) app_.fontList = std::make_unique<FontListPort>();
    const ConfigRule& entry = Rule("PUT_LIST_00");
    for (std::int32_t n = 0; n < kFontListEntries; ++n) {
      char key[16];
      FormatText(key, entry.key, n);
      const std::string name = ReadText(entry, key);
      if (name.empty()) break;
      app_.fontList->AddPreferred(name.c_str());
    }
    app_.fontList->EnumerateInstalled();
  }

  void ReadSound() {
    const ConfigRule& half = Rule("SAOUND_HALF");
    const ConfigRule& quality = Rule("SAOUND_QUALITY");
    const std::uint32_t halfBuffers = ReadNumber(half);
    const std::uint32_t rate = app_.mixer->Open(ReadNumber(quality) != 0 ? kHighRate : kLowRate, halfBuffers);
    Store(quality, rate == kHighRate ? 1 : 0);
    Store(half, halfBuffers);
    const ConfigRule& oggFirst = Rule("OGG_USE_LEVEL");
    const std::uint32_t ogg = ReadNumber(oggFirst);
    app_.mixer->SetOggFirst(ogg);
    Store(oggFirst, ogg);
    const ConfigRule& memory = Rule("MEM_STREAM");
    Store(memory, ReadNumber(memory));
    const std::uint32_t deviceVolume = ReadNumber(Rule("DEVICE_VOL"));
    if (deviceVolume >= 1 && deviceVolume <= 65534) app_.mixer->SetDeviceVolume(deviceVolume);
  }

  void ReadOptions() {
    for (const char* key : kOptionKeys) {
      const ConfigRule& rule = Rule(key);
      Store(rule, rule.read == ReadRule::AlwaysZero ? 0 : ReadNumber(rule));
    }
  }

  void ReadMessageFont() {
    const ConfigRule& rule = Rule("MESSAGE_FONT_NAME");
    const std::string name = ReadText(rule, rule.key);
    FontListPort& fonts = *app_.fontList;
    const std::uint32_t index = name.empty() ? 0 : fonts.Find(name.c_str());
    const std::string listed = fonts.Name(index);
    app_.systemMenu->SetMessageFont(app_.options, fonts.Count(), index);
    if (!listed.empty()) app_.services->SetMessageFontFace(listed.c_str());
  }

  void ReadKeyBindings() {
    for (const ConfigRule& rule : ConfigRules()) {
      if (rule.read != ReadRule::KeyBinding) continue;
      const std::string text = ReadText(rule, rule.key);
      if (!text.empty()) app_.keyMap.SetKey(static_cast<KeySlot>(rule.target), text.c_str());
    }
    ReportSharedKeys();
  }

 private:
  static const ConfigRule& Rule(const char* key) { return *FindConfigRule(key); }

  std::uint32_t ReadNumber(const ConfigRule& rule) {
    const std::int32_t value = app_.services->ReadProfileInt(rule.section, rule.key, rule.defaultValue, path_.c_str());
    return ApplyReadRule(rule.read, static_cast<std::uint32_t>(value));
  }

  std::string ReadText(const ConfigRule& rule, const char* key) {
    std::string text(rule.textMax + 1, '\0');
    app_.services->ReadProfileString(rule.section, key, "", text.data(), rule.textMax, path_.c_str());
    text.resize(text.find('\0'));
    return text;
  }

  // Words with a menu item go through the menu's setter, which also marks it.
  void Store(const ConfigRule& rule, std::uint32_t value) {
    const auto word = static_cast<ConfigWord>(rule.target);
    if (rule.setter == SetterRule::NoMenuItem) {
      app_.options[word] = value;
    } else {
      app_.systemMenu->SetOption(app_.options, word, value);
    }
  }

  // A code bound to two keys presses both; legal, but rarely meant.
  void ReportSharedKeys() const {
    const CKeyMap& keys = app_.keyMap;
    for (const ConfigRule& first : ConfigRules()) {
      if (first.read != ReadRule::KeyBinding) continue;
      const std::int16_t code = keys.Code(static_cast<KeySlot>(first.target));
      if (code == 0) continue;
      for (const ConfigRule* second = &first + 1; second != ConfigRules().data() + ConfigRules().size(); ++second) {
        if (second->read == ReadRule::KeyBinding && keys.Code(static_cast<KeySlot>(second->target)) == code) {
          DiagnosticLine("%s: %s and %s share key code %02X; one press counts for both", kSettingsFile, first.key,
                         second->key, static_cast<unsigned>(code));
        }
      }
    }
  }

  CGameApp& app_;
  std::string path_;
};

}  // namespace

void CGameApp::LoadConfigAndBuildMenu() {
  SettingsReader reader(*this, programFolder + kSettingsFile);
  reader.ReadFontList();
  systemMenu->BuildTree(*fontList);
  reader.ReadSound();
  reader.ReadOptions();
  reader.ReadMessageFont();
  reader.ReadKeyBindings();
  game->LoadConfigAndBuildMenu(*this);
}

void CGameApp::SaveConfig() {
  const std::string path = programFolder + kSettingsFile;
  // A read-only file would refuse the rewrite; failure changes nothing here.
  SetFileAttributesW(AnsiToWideStatic(path.c_str()), FILE_ATTRIBUTE_NORMAL);
  const std::uint32_t fontCount = fontList ? fontList->Count() : 0;
  for (const ConfigRule& rule : ConfigRules()) {
    if (!rule.written) continue;
    const std::uint32_t word = options[static_cast<ConfigWord>(rule.target)];
    char number[16];
    const char* text = number;
    if (rule.read == ReadRule::FontName) {
      text = word < fontCount ? fontList->Name(word) : "";
    } else {
      // With the '-' flag a negative word keeps its sign, so it reads back
      // the same; plain "%d" would write its magnitude.
      FormatText(number, "%d-", static_cast<std::int32_t>(word));
    }
    services->WriteProfileValue(rule.section, rule.key, text, path.c_str());
  }
}
