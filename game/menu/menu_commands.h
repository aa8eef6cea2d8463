// What each pop-up menu command does, as one table of id groups: the saves,
// the system commands and every setting with the side effect it needs at once.
#pragma once

#include <cstdint>

#include "engine/shell/config_options.h"

enum class MenuAction {
  Exit,
  ReturnToTitle,
  LoadSlot,        // slot argument + k
  SaveSlot,        // slot argument + k
  Toggle,          // word 0 becomes 1, anything else 0
  ToggleRedraw,    // a toggle, then the whole screen redrawn
  Volume,          // 100 - 10 k, then the channels of category argument
  AntiAlias,       // set when it differs; the whole screen redrawn always
  CursorMode,      // set when it differs; the direction latches cleared always
  RadioIfChanged,  // set only when the word differs from k
  Radio,           // k through the setter
  MessageFont,
  OggFirst,        // the mixer's search order, then the setter
  Suspend,
  PreviousChoice,
};

struct MenuCommandGroup {
  std::uint32_t first;
  std::uint32_t count;
  MenuAction action;
  ConfigWord word;          // CONFIG_WORD_COUNT when the command sets none
  std::uint32_t argument;   // first slot, or volume category
};

// The group that holds id, or null for an id no item carries.
const MenuCommandGroup* FindMenuCommand(std::uint32_t id);
