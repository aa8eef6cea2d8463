// The engine's one pop-up menu: its fixed tree of settings, save slots,
// quick saves and system commands, the option setters that change a
// setting's word and its marks together, and one frame of menu input.
#pragma once

#include <cstdint>

#include "engine/menu/popup_menu.h"
#include "engine/shell/shell_ports.h"

inline constexpr std::uint32_t kFirstFontItem = 40178;
inline constexpr std::uint32_t kMaxFontItems = 15;
inline constexpr std::uint32_t kPreviousChoiceItem = 40329;

class CSystemMenu : public SystemMenuPort, public CPopupMenu {
 public:
  // Builds the whole tree; the font submenu lists fonts (at most 15).
  void BuildTree(const FontListPort& fonts) override;

  std::uint32_t IsOpen() const override { return open_; }
  int Open(HWND window) override;
  void HandleInput(HWND window, InputState& input) override;
  void SetOption(ConfigOptions& options, ConfigWord word, std::uint32_t value) override;
  void SetMessageFont(ConfigOptions& options, std::uint32_t count, std::uint32_t index) override;

  void EnableItem(std::uint32_t id) { SetEnabled(nullptr, id, kMenuEnabled); }
  // Sets or clears the enabled flag; the check mark is always cleared.
  void SetItemEnabled(std::uint32_t id, int enable);
  // The root's "load" and "save" entries; saveAllowedOut gets saveEnabled
  // unless loading is off.
  void SetLoadSaveEnabled(std::uint32_t* saveAllowedOut, int loadEnabled, int saveEnabled);
  void MarkSaveSlots(std::uint32_t loadFirst, std::uint32_t saveFirst, const std::uint32_t (&used)[15],
                     std::int32_t newest);
  void MarkQuickSaveSlots(std::uint32_t first, const std::uint32_t (&used)[3], std::int32_t newest);
  std::uint32_t SaveAllowed() const { return saveAllowed_; }

 private:
  // Hides, closes, then posts command when non-zero.
  int Close(HWND window, std::uint32_t command);
  void MarkGroup(std::uint32_t first, std::uint32_t count, std::uint32_t checked);

  std::uint32_t saveAllowed_ = 0;
  std::uint32_t open_ = 0;
};
