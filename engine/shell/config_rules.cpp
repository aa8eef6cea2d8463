#include "engine/shell/config_rules.h"

#include <string>
#include <string_view>

#include "common/sjis_string.h"
#include "engine/shell/key_map.h"

namespace {

constexpr int kNoTarget = -1;
constexpr std::uint32_t kFontNameBytes = 127;
constexpr std::uint32_t kKeyNameBytes = 30;

using R = ReadRule;
using S = SetterRule;

// clang-format off
constexpr ConfigRule kRules[] = {
    // section           key                  default rule           setter          target                 written text
    {"MUSIC_CONFIG",   "PCM",               2,   R::AsRead,       S::AsGiven,     PCM,                   true,  0},
    {"VOICE_CONFIG",   "VOICE_PLAY",        2,   R::AsRead,       S::AsGiven,     VOICE_PLAY,            true,  0},
    {"SE_CONFIG",      "SE_PLAY",           2,   R::AsRead,       S::AsGiven,     SE_PLAY,               true,  0},
    {"MUSIC_CONFIG",   "MASTER_VOL",        100, R::Volume,       S::AsGiven,     MASTER_VOL,            true,  0},
    {"MUSIC_CONFIG",   "MUSIC_VOL",         100, R::Volume,       S::AsGiven,     MUSIC_VOL,             true,  0},
    {"VOICE_CONFIG",   "VOICE_VOL",         100, R::Volume,       S::AsGiven,     VOICE_VOL,             true,  0},
    {"SE_CONFIG",      "SE_VOL",            100, R::Volume,       S::AsGiven,     SE_VOL,                true,  0},
    {"MOV_CONFIG",     "MOV_VOL",           100, R::Volume,       S::AsGiven,     MOV_VOL,               true,  0},
    {"MUSIC_CONFIG",   "CHAR_VOICE_01",     10,  R::Modulo11,     S::NoMenuItem,  CHAR_VOICE_01,         true,  0},
    {"MUSIC_CONFIG",   "CHAR_VOICE_02",     10,  R::Modulo11,     S::NoMenuItem,  CHAR_VOICE_01 + 1,     true,  0},
    {"MUSIC_CONFIG",   "CHAR_VOICE_03",     10,  R::Modulo11,     S::NoMenuItem,  CHAR_VOICE_01 + 2,     true,  0},
    {"MUSIC_CONFIG",   "CHAR_VOICE_04",     10,  R::Modulo11,     S::NoMenuItem,  CHAR_VOICE_01 + 3,     true,  0},
    {"MUSIC_CONFIG",   "CHAR_VOICE_05",     10,  R::Modulo11,     S::NoMenuItem,  CHAR_VOICE_01 + 4,     true,  0},
    {"MUSIC_CONFIG",   "CHAR_VOICE_06",     10,  R::Modulo11,     S::NoMenuItem,  CHAR_VOICE_01 + 5,     true,  0},
    {"MUSIC_CONFIG",   "CHAR_VOICE_07",     10,  R::Modulo11,     S::NoMenuItem,  CHAR_VOICE_01 + 6,     true,  0},
    {"MUSIC_CONFIG",   "CHAR_VOICE_08",     10,  R::Modulo11,     S::NoMenuItem,  CHAR_VOICE_01 + 7,     true,  0},
    {"MUSIC_CONFIG",   "CHAR_VOICE_09",     10,  R::Modulo11,     S::NoMenuItem,  CHAR_VOICE_09,         true,  0},
    {"VOICE_CONFIG",   "VOICE_CUT_MODE",    0,   R::AsRead,       S::ZeroAbove2,  VOICE_CUT_MODE,        true,  0},
    {"MOV_CONFIG",     "VGA_QUALITY",       1,   R::Switch,       S::AsGiven,     VGA_QUALITY,           true,  0},
    {"SYSTEM_CONFIG",  "MESSAGE_FONT_NAME", 0,   R::FontName,     S::FontIndex,   MESSAGE_FONT_INDEX,    true,  kFontNameBytes},
    {"MUSIC_CONFIG",   "SAOUND_HALF",       0,   R::Switch,       S::AsGiven,     SAOUND_HALF,           true,  0},
    {"MESSAGE_CONFIG", "NAME_CHANGE",       0,   R::AsRead,       S::AsGiven,     NAME_CHANGE,           true,  0},
    {"SYSTEM_CONFIG",  "LINER_MODE",        0,   R::AlwaysZero,   S::NoMenuItem,  LINER_MODE,            true,  0},
    // The backlog opens with 0 the up key, 1 the A key.
    {"MESSAGE_CONFIG", "MES_LOG_START",     0,   R::AsRead,       S::ZeroAbove1,  MES_LOG_START,         true,  0},
    {"MESSAGE_CONFIG", "EFFECT_USE",        1,   R::AsRead,       S::AsGiven,     EFFECT_USE,            true,  0},
    {"MESSAGE_CONFIG", "READ_SKIP",         0,   R::AsRead,       S::AsGiven,     READ_SKIP,             true,  0},
    {"MESSAGE_CONFIG", "LOCK_SKIP",         0,   R::AsRead,       S::AsGiven,     LOCK_SKIP,             true,  0},
    {"MESSAGE_CONFIG", "VOICE_AUTOLOCK",    0,   R::AsRead,       S::AsGiven,     VOICE_AUTOLOCK,        true,  0},
    {"MESSAGE_CONFIG", "TRANS_MODE",        0,   R::AsRead,       S::AsGiven,     TRANS_MODE,            true,  0},
    {"MESSAGE_CONFIG", "MESSAGE_SPEED",     1,   R::AsRead,       S::AsGiven,     MESSAGE_SPEED,         true,  0},
    {"MESSAGE_CONFIG", "MESSAGE_AUTO",      0,   R::Switch,       S::AsGiven,     MESSAGE_AUTO,          true,  0},
    {"MESSAGE_CONFIG", "MESSAGE_AUTO_BASE", 0,   R::AsRead,       S::AsGiven,     MESSAGE_AUTO_BASE,     true,  0},
    {"MESSAGE_CONFIG", "MESSAGE_AUTO_ONE",  0,   R::AsRead,       S::AsGiven,     MESSAGE_AUTO_ONE,      true,  0},
    {"MESSAGE_CONFIG", "MESSAGE_SADOW",     0,   R::Switch,       S::AsGiven,     MESSAGE_SADOW,         true,  0},
    {"MUSIC_CONFIG",   "SAOUND_QUALITY",    0,   R::OutputRate,   S::ZeroFrom2,   SAOUND_QUALITY,        true,  0},
    {"MUSIC_CONFIG",   "OGG_USE_LEVEL",     0,   R::AsRead,       S::ZeroFrom2,   OGG_USE_LEVEL,         true,  0},
    // Centre key: 0 none, 1 menu, 2 hide window, 3 backlog, 4 quick save and
    // 5 quick load (these two in the reader's wait).
    {"SYSTEM_CONFIG",  "KEY_CEN_CTRL",      1,   R::AsRead,       S::AsGiven,     KEY_CEN_CTRL,          true,  0},
    {"SYSTEM_CONFIG",  "KET_CUR_MODE",      0,   R::AsRead,       S::AsGiven,     KET_CUR_MODE,          true,  0},
    {"SYSTEM_CONFIG",  "KET_DOUBLE_CLICK",  0,   R::AsRead,       S::AsGiven,     KET_DOUBLE_CLICK,      true,  0},
    {"SYSTEM_CONFIG",  "DISP_FREE_MODE",    0,   R::AsRead,       S::AsGiven,     DISP_FREE_MODE,        true,  0},
    {"SYSTEM_CONFIG",  "MANA_VOICE_CUT",    0,   R::AsRead,       S::AsGiven,     MANA_VOICE_CUT,        true,  0},
    // Read only: what the player put there stays as it is.
    {"MUSIC_CONFIG",   "MEM_STREAM",        0,   R::Switch,       S::NoMenuItem,  MEM_STREAM,            false, 0},
    {"MUSIC_CONFIG",   "DEVICE_VOL",        65535, R::DeviceVolume, S::NoMenuItem, kNoTarget,            false, 0},
    {"KEY_CONFIG",     "KEY_UP",            0,   R::KeyBinding,   S::NoMenuItem,  KEY_SLOT_UP,           false, kKeyNameBytes},
    {"KEY_CONFIG",     "KEY_DOWN",          0,   R::KeyBinding,   S::NoMenuItem,  KEY_SLOT_DOWN,         false, kKeyNameBytes},
    {"KEY_CONFIG",     "KEY_LEFT",          0,   R::KeyBinding,   S::NoMenuItem,  KEY_SLOT_LEFT,         false, kKeyNameBytes},
    {"KEY_CONFIG",     "KEY_RIGHT",         0,   R::KeyBinding,   S::NoMenuItem,  KEY_SLOT_RIGHT,        false, kKeyNameBytes},
    {"KEY_CONFIG",     "KEY_START",         0,   R::KeyBinding,   S::NoMenuItem,  KEY_SLOT_START,        false, kKeyNameBytes},
    {"KEY_CONFIG",     "KEY_A",             0,   R::KeyBinding,   S::NoMenuItem,  KEY_SLOT_A,            false, kKeyNameBytes},
    {"KEY_CONFIG",     "KEY_B",             0,   R::KeyBinding,   S::NoMenuItem,  KEY_SLOT_B,            false, kKeyNameBytes},
    {"KEY_CONFIG",     "KEY_C",             0,   R::KeyBinding,   S::NoMenuItem,  KEY_SLOT_C,            false, kKeyNameBytes},
    {"KEY_CONFIG",     "KEY_D",             0,   R::KeyBinding,   S::NoMenuItem,  KEY_SLOT_D,            false, kKeyNameBytes},
    {"KEY_CONFIG",     "KEY_E",             0,   R::KeyBinding,   S::NoMenuItem,  KEY_SLOT_E,            false, kKeyNameBytes},
    {"FONT_LIST_CONFIG", "PUT_LIST_%z2",    0,   R::FontListEntry, S::NoMenuItem, kNoTarget,             false, kFontNameBytes},
};
// clang-format on

constexpr std::string_view kTwoDigits = "%z2";

// "PUT_LIST_07" against "PUT_LIST_%z2": the same stem, then two digits.
bool MatchesNumberedKey(std::string_view pattern, std::string_view key) {
  if (!pattern.ends_with(kTwoDigits)) return false;
  const std::string stem(pattern.substr(0, pattern.size() - kTwoDigits.size()));
  if (key.size() != stem.size() + 2) return false;
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  return StrEqualNoCase(std::string(key.substr(0, stem.size())).c_str(), stem.c_str()) && digit(key[stem.size()]) &&
         digit(key[stem.size() + 1]);
}

}  // namespace

std::span<const ConfigRule> ConfigRules() { return kRules; }

const ConfigRule* FindConfigRule(const char* key) {
  for (const ConfigRule& rule : kRules) {
    if (StrEqualNoCase(rule.key, key) || MatchesNumberedKey(rule.key, key)) return &rule;
  }
  return nullptr;
}

const ConfigRule* FindConfigRuleForWord(ConfigWord word) {
  for (const ConfigRule& rule : kRules) {
    const bool storesWord = rule.read != ReadRule::KeyBinding && rule.target == word;
    if (storesWord) return &rule;
  }
  return nullptr;
}

std::uint32_t ApplyReadRule(ReadRule rule, std::uint32_t value) {
  switch (rule) {
    case ReadRule::Switch:
      return value != 0 ? 1 : 0;
    case ReadRule::Volume:
      return value < 10 || value > 100 ? 100 : value;
    case ReadRule::Modulo11:
      return value % 11;
    default:
      return value;
  }
}

std::uint32_t ApplySetterRule(ConfigWord word, std::uint32_t value) {
  const ConfigRule* rule = FindConfigRuleForWord(word);
  switch (rule != nullptr ? rule->setter : SetterRule::AsGiven) {
    case SetterRule::ZeroFrom2:
      return value >= 2 ? 0 : value;
    case SetterRule::ZeroAbove2:
      return value > 2 ? 0 : value;
    case SetterRule::ZeroAbove1:
      return value > 1 ? 0 : value;
    default:
      return value;
  }
}
