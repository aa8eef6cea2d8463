// The rules of "pelmo.cfg", one data row per key: where it stands, its
// default, what reading does to the value, how the menu's setter normalises
// it, the option word or key it goes to, and whether it is written back.
#pragma once

#include <cstdint>
#include <span>

#include "engine/shell/config_options.h"

enum class ReadRule {
  AsRead,        // stored as read, range unchecked
  Switch,        // non-zero becomes 1
  Volume,        // below 10 or above 100 becomes 100
  Modulo11,      // the unsigned value modulo 11
  OutputRate,    // non-zero asks for 44,100 Hz; stored as the rate opened
  DeviceVolume,  // 1 to 65534 handed to the mixer; not stored
  FontName,      // looked up in the font list; the word holds the index
  AlwaysZero,    // not read; its word is 0 from start-up
  KeyBinding,    // a non-empty value rebinds a key of the key map
  FontListEntry  // a preferred message font ("PUT_LIST_00" to "PUT_LIST_14")
};

enum class SetterRule {
  NoMenuItem,  // stored directly, no setter
  AsGiven,
  ZeroFrom2,   // 2 or more (unsigned) becomes 0
  ZeroAbove2,  // above 2 (unsigned) becomes 0
  ZeroAbove1,  // above 1 (unsigned) becomes 0
  FontIndex    // the font setter (count and index)
};

struct ConfigRule {
  const char* section;
  const char* key;
  std::int32_t defaultValue;  // numbers; text keys default to ""
  ReadRule read;
  SetterRule setter;
  int target;        // the ConfigWord, the KeySlot of a key binding, or -1
  bool written;      // SaveConfig writes it, in table order
  std::uint32_t textMax;  // text keys: the longest value taken; 0 for numbers
};

// Every key, the written ones first in the order the file is written.
std::span<const ConfigRule> ConfigRules();
// The row of key (any letter case), or null.
const ConfigRule* FindConfigRule(const char* key);
// The row that stores word, or null.
const ConfigRule* FindConfigRuleForWord(ConfigWord word);
// A number from the file after the key's reading rule (Switch, Volume,
// Modulo11; every other rule keeps the value).
std::uint32_t ApplyReadRule(ReadRule rule, std::uint32_t value);
// A value as the menu's setter of that word stores it.
std::uint32_t ApplySetterRule(ConfigWord word, std::uint32_t value);
