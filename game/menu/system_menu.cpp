#include "game/menu/system_menu.h"

#include "engine/shell/config_rules.h"

namespace {

enum class Group { Toggle, ToggleEnabling, Radio, Volume };

struct OptionItems {
  ConfigWord word;
  std::uint32_t first;
  Group group;
  std::uint32_t count;
};

// Which items show each setting's word.
constexpr OptionItems kOptionItems[] = {
    {SAOUND_HALF, 40330, Group::ToggleEnabling, 1},  {VGA_QUALITY, 40196, Group::ToggleEnabling, 1},
    {EFFECT_USE, 40049, Group::Toggle, 1},           {PCM, 40068, Group::ToggleEnabling, 1},
    {VOICE_PLAY, 40067, Group::ToggleEnabling, 1},   {SE_PLAY, 40108, Group::ToggleEnabling, 1},
    {MESSAGE_SADOW, 40125, Group::ToggleEnabling, 1}, {MANA_VOICE_CUT, 40177, Group::ToggleEnabling, 1},
    {VOICE_AUTOLOCK, 40098, Group::ToggleEnabling, 1}, {MESSAGE_AUTO, 40205, Group::Toggle, 1},
    {LOCK_SKIP, 40146, Group::ToggleEnabling, 1},    {KET_DOUBLE_CLICK, 40158, Group::ToggleEnabling, 1},
    {READ_SKIP, 40059, Group::ToggleEnabling, 1},    {NAME_CHANGE, 40331, Group::Radio, 2},
    {SAOUND_QUALITY, 40258, Group::Radio, 2},        {OGG_USE_LEVEL, 40260, Group::Radio, 2},
    {VOICE_CUT_MODE, 40193, Group::Radio, 3},        {DISP_FREE_MODE, 40160, Group::Radio, 3},
    {TRANS_MODE, 40051, Group::Radio, 4},            {MESSAGE_SPEED, 40225, Group::Radio, 10},
    {MESSAGE_AUTO_BASE, 40235, Group::Radio, 10},    {MESSAGE_AUTO_ONE, 40245, Group::Radio, 10},
    {KEY_CEN_CTRL, 40163, Group::Radio, 6},          {KET_CUR_MODE, 40120, Group::Radio, 5},
    {MES_LOG_START, 40220, Group::Radio, 2},         {MASTER_VOL, 40126, Group::Volume, 10},
    {MUSIC_VOL, 40069, Group::Volume, 10},           {VOICE_VOL, 40079, Group::Volume, 10},
    {SE_VOL, 40109, Group::Volume, 10},              {MOV_VOL, 40136, Group::Volume, 10},
};

constexpr std::uint32_t kNone = 0xFFFFFFFFu;

}  // namespace

int CSystemMenu::Open(HWND window) {
  if (open_) return 0;
  Show(window);
  open_ = 1;
  return 1;
}

int CSystemMenu::Close(HWND window, std::uint32_t command) {
  Hide(window);
  open_ = 0;
  if (command != 0) PostMessageW(window, WM_COMMAND, command, 0);
  return 0;
}

void CSystemMenu::HandleInput(HWND window, InputState& input) {
  if (!open_) return;
  // A key acts on a fresh press; one that closes the menu is marked used (2)
  // so that it does nothing more this frame, the moves go back to 0.
  auto pressed = [&](InputWord key) {
    if (input[key] != 1) return false;
    input[key] = 0;
    return true;
  };
  auto close = [&](InputWord key, std::uint32_t command) {
    input[key] = 2;
    Close(window, command);
  };
  auto highlightedCommand = [&]() -> std::uint32_t {
    const MenuItem& item = CurrentNode()->items[Highlighted()];
    return item.kind == kMenuCommand ? item.id : 0;
  };
  if (input[INPUT_STYLUS_HELD] == 0 && input[INPUT_TAP] == 0 && input[INPUT_RELEASED] == 0) {
    if (pressed(INPUT_UP)) MoveHighlight(window, 1);
    if (pressed(INPUT_DOWN)) MoveHighlight(window, 0);
    if (pressed(INPUT_LEFT) && !Navigate(window, 0)) return close(INPUT_LEFT, 0);
    if (pressed(INPUT_RIGHT) && !Navigate(window, 1) && Highlighted() >= 0) {
      return close(INPUT_RIGHT, highlightedCommand());
    }
    if (input[INPUT_C] == 1 && Highlighted() >= 0) return close(INPUT_C, highlightedCommand());
    if (input[INPUT_C] == 1) input[INPUT_C] = 0;
    if (pressed(INPUT_A) && !Navigate(window, 0)) return close(INPUT_A, 0);
    if (input[INPUT_B] == 1) return close(INPUT_B, 0);
    return;
  }
  input[INPUT_TAP] = 0;
  const int released = input[INPUT_RELEASED] != 0;
  const int hit = HitTest(window, static_cast<int>(input[INPUT_STYLUS_X]), static_cast<int>(input[INPUT_STYLUS_Y]));
  const int before = Highlighted();
  if (hit < 0) {
    if (before >= 0) HighlightItem(before, 0);
    if (released && hit == kMenuHitOutside) return static_cast<void>(Close(window, 0));
    if (released && hit == kMenuHitTitle && !Navigate(window, 0)) return static_cast<void>(Close(window, 0));
  } else {
    const MenuItem& item = CurrentNode()->items[hit];
    const bool selectable = item.kind != kMenuSeparator && (item.flags & kMenuEnabled) != 0;
    if (!selectable) {
      if (before >= 0) HighlightItem(before, 0);
    } else {
      if (before != hit) {
        if (before >= 0) HighlightItem(before, 0);
        HighlightItem(hit, 1);
      }
      if (released && item.kind == kMenuCommand) return static_cast<void>(Close(window, item.id));
      if (released) Navigate(window, 1);
    }
  }
  if (open_ && Highlighted() != before) PresentCanvas();
}

void CSystemMenu::MarkGroup(std::uint32_t first, std::uint32_t count, std::uint32_t checked) {
  for (std::uint32_t k = 0; k < count; ++k) SetChecked(nullptr, first + k, k == checked ? 1 : 0);
}

void CSystemMenu::SetOption(ConfigOptions& options, ConfigWord word, std::uint32_t value) {
  value = ApplySetterRule(word, value);
  options[word] = value;
  for (const OptionItems& items : kOptionItems) {
    if (items.word != word) continue;
    switch (items.group) {
      case Group::ToggleEnabling:
        EnableItem(items.first);
        [[fallthrough]];
      case Group::Toggle:
        SetChecked(nullptr, items.first, value != 0 ? 1 : 0);
        break;
      case Group::Radio:
        MarkGroup(items.first, items.count, value);
        break;
      case Group::Volume:
        MarkGroup(items.first, items.count, value % 10 == 0 && value <= 100 ? (100 - value) / 10 : kNone);
        break;
    }
  }
}

void CSystemMenu::SetMessageFont(ConfigOptions& options, std::uint32_t count, std::uint32_t index) {
  for (std::uint32_t k = 0; k < count; ++k) {
    SetChecked(nullptr, kFirstFontItem + k, k == index ? 1 : 0);
    SetEnabled(nullptr, kFirstFontItem + k, k == index ? 0 : kMenuEnabled);
  }
  options[MESSAGE_FONT_INDEX] = index;
}

void CSystemMenu::SetItemEnabled(std::uint32_t id, int enable) {
  SetEnabled(nullptr, id, enable ? kMenuEnabled : 0);
  SetChecked(nullptr, id, 0);
}

void CSystemMenu::SetLoadSaveEnabled(std::uint32_t* saveAllowedOut, int loadEnabled, int saveEnabled) {
  if (!loadEnabled) {
    SetEnabled(nullptr, 0, kMenuByIndex);
    SetEnabled(nullptr, 1, kMenuByIndex);
    saveAllowed_ = 0;
    return;
  }
  SetEnabled(nullptr, 0, kMenuByIndex | kMenuEnabled);
  SetEnabled(nullptr, 1, kMenuByIndex | (saveEnabled ? kMenuEnabled : 0));
  saveAllowed_ = static_cast<std::uint32_t>(saveEnabled);
  if (saveAllowedOut != nullptr) *saveAllowedOut = saveAllowed_;
}

void CSystemMenu::MarkSaveSlots(std::uint32_t loadFirst, std::uint32_t saveFirst, const std::uint32_t (&used)[15],
                                std::int32_t newest) {
  for (std::uint32_t k = 0; k < 15; ++k) {
    const std::uint32_t check = static_cast<std::int32_t>(k) == newest ? 1 : 0;
    SetEnabled(nullptr, loadFirst + k, used[k] ? kMenuEnabled : 0);
    SetEnabled(nullptr, saveFirst + k, kMenuEnabled);
    SetChecked(nullptr, loadFirst + k, check);
    SetChecked(nullptr, saveFirst + k, check);
  }
}

void CSystemMenu::MarkQuickSaveSlots(std::uint32_t first, const std::uint32_t (&used)[3], std::int32_t newest) {
  for (std::uint32_t k = 0; k < 3; ++k) {
    SetEnabled(nullptr, first + k, used[k] ? kMenuEnabled : 0);
    SetChecked(nullptr, first + k, static_cast<std::int32_t>(k) == newest ? 1 : 0);
  }
}
