// The device's buttons: turns the virtual-key codes of key messages into the
// engine's ten logical keys (four directions, start, A to E) by counting
// presses in the first 15 words of the input state. The bindings start from
// the device's default keys and can be changed per key from the settings
// file; the cursor mode and the double-click switch shape the counting.
#pragma once

#include <array>
#include <cstdint>

enum KeySlot : int { KEY_SLOT_UP, KEY_SLOT_DOWN, KEY_SLOT_LEFT, KEY_SLOT_RIGHT, KEY_SLOT_A, KEY_SLOT_B,
                     KEY_SLOT_C, KEY_SLOT_D, KEY_SLOT_E, KEY_SLOT_START, KEY_SLOT_COUNT };

class CKeyMap {
 public:
  // The device's codes for up, down, left, right, A, B, C and start; D and E
  // stay unbound (code 0). They become the current and the default codes.
  void SetDefaultKeys(const std::int16_t (&codes)[8]);
  // The code a settings value names: "UP", "DOWN", "LEFT", "RIGHT", "START",
  // "KEY_A", "KEY_B", "KEY_C" (any case) give that key's default code; two
  // characters read as hexadecimal digits give a code ("0D" 13, "1G" 16,
  // "G1" 1, "GG" 0); anything else -1.
  std::int32_t ParseKeyName(const char* text) const;
  // Binds the slot to the code text names, or back to the slot's default
  // when it names none. Returns the parsed value.
  std::int32_t SetKey(KeySlot slot, const char* text);
  std::int16_t Code(KeySlot slot) const { return current_[static_cast<std::size_t>(slot)]; }

  // One key message (isDown 1 for a key-down) into the 15 counters: cursor
  // mode 0 counts every direction press, 1 only while no other direction
  // counts, 2 and 3 favour the horizontal or vertical keys, 4 counts a
  // direction only when pressed again, 5 or more counts none. With
  // doubleClick the start key counts from its second press on.
  void TranslateKey(std::uint32_t* counters, std::uint32_t key, int isDown, std::uint32_t cursorMode,
                    std::uint32_t doubleClick);

 private:
  bool Matches(KeySlot slot, std::uint32_t key) const {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(Code(slot))) == key;
  }
  void CountDirection(std::uint32_t* counters, int direction, std::uint32_t cursorMode) const;

  std::array<std::int16_t, KEY_SLOT_COUNT> current_{};
  std::array<std::int16_t, KEY_SLOT_COUNT> defaults_{};
  std::uint32_t keyDownCount_ = 0;
};
