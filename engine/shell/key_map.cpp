#include "engine/shell/key_map.h"

#include "common/sjis_string.h"
#include "engine/shell/input_state.h"

namespace {

// The counter each slot presses, in slot order.
constexpr std::array<InputWord, KEY_SLOT_COUNT> kSlotCounters = {INPUT_UP, INPUT_DOWN, INPUT_LEFT, INPUT_RIGHT,
                                                                 INPUT_A,  INPUT_B,    INPUT_C,    INPUT_D,
                                                                 INPUT_E,  INPUT_START};

struct KeyName {
  const char* name;
  KeySlot slot;
};

// There are no names for D and E: the device has no default for them.
constexpr KeyName kKeyNames[] = {{"UP", KEY_SLOT_UP},       {"DOWN", KEY_SLOT_DOWN},   {"LEFT", KEY_SLOT_LEFT},
                                 {"RIGHT", KEY_SLOT_RIGHT}, {"START", KEY_SLOT_START}, {"KEY_A", KEY_SLOT_A},
                                 {"KEY_B", KEY_SLOT_B},     {"KEY_C", KEY_SLOT_C}};

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void CKeyMap::SetDefaultKeys(const std::int16_t (&codes)[8]) {
  current_[KEY_SLOT_UP] = codes[0];
  current_[KEY_SLOT_DOWN] = codes[1];
  current_[KEY_SLOT_LEFT] = codes[2];
  current_[KEY_SLOT_RIGHT] = codes[3];
  current_[KEY_SLOT_A] = codes[4];
  current_[KEY_SLOT_B] = codes[5];
  current_[KEY_SLOT_C] = codes[6];
  current_[KEY_SLOT_START] = codes[7];
  defaults_ = current_;
}

std::int32_t CKeyMap::ParseKeyName(const char* text) const {
  const std::size_t length = StrLength(text);
  if (length < 2) return -1;
  for (const KeyName& name : kKeyNames) {
    if (StrEqualNoCase(text, name.name)) return defaults_[static_cast<std::size_t>(name.slot)];
  }
  if (length != 2) return -1;
  const int high = HexDigitValue(text[0]);
  const int low = HexDigitValue(text[1]);
  if (high < 0) return low < 0 ? 0 : low;
  return high * 16 + (low < 0 ? 0 : low);
}

std::int32_t CKeyMap::SetKey(KeySlot slot, const char* text) {
  const std::int32_t code = ParseKeyName(text);
  const auto index = static_cast<std::size_t>(slot);
  current_[index] = code == -1 ? defaults_[index] : static_cast<std::int16_t>(code);
  return code;
}

void CKeyMap::CountDirection(std::uint32_t* counters, int direction, std::uint32_t cursorMode) const {
  std::uint32_t* latches = counters + INPUT_LATCH_FIRST;
  const bool horizontal = direction >= KEY_SLOT_LEFT;
  switch (cursorMode) {
    case 0:
      ++counters[direction];
      break;
    case 1: {
      bool othersIdle = true;
      for (int other = KEY_SLOT_UP; other <= KEY_SLOT_RIGHT; ++other) {
        if (other != direction && counters[other] != 0) othersIdle = false;
      }
      if (othersIdle) ++counters[direction];
      break;
    }
    case 2:
    case 3: {
      // Mode 2 favours left and right, mode 3 up and down: a favoured key
      // always counts and re-arms the other axis, whose keys count from
      // their second press on.
      const bool favoured = horizontal == (cursorMode == 2);
      if (favoured) {
        ++counters[direction];
        const int otherAxis = horizontal ? KEY_SLOT_UP : KEY_SLOT_LEFT;
        latches[otherAxis] = 0;
        latches[otherAxis + 1] = 0;
      } else {
        if (latches[direction] != 0) ++counters[direction];
        latches[direction] = 1;
      }
      break;
    }
    case 4:
      if (latches[direction] != 0) ++counters[direction];
      for (int other = KEY_SLOT_UP; other <= KEY_SLOT_RIGHT; ++other) latches[other] = other == direction ? 1 : 0;
      break;
    default:
      break;
  }
}

void CKeyMap::TranslateKey(std::uint32_t* counters, std::uint32_t key, int isDown, std::uint32_t cursorMode,
                           std::uint32_t doubleClick) {
  if (isDown) {
    ++keyDownCount_;
  } else if (keyDownCount_ != 0) {
    for (int slot = 0; slot < KEY_SLOT_COUNT; ++slot) {
      if (Matches(static_cast<KeySlot>(slot), key)) counters[kSlotCounters[static_cast<std::size_t>(slot)]] = 0;
    }
    return;
  } else {
    // A key held since before start-up: its release counts as a press.
    for (int word = INPUT_UP; word <= INPUT_E; ++word) counters[word] = 0;
  }
  bool directionMatched = false;
  for (int direction = KEY_SLOT_UP; direction <= KEY_SLOT_RIGHT; ++direction) {
    if (!Matches(static_cast<KeySlot>(direction), key)) continue;
    directionMatched = true;
    CountDirection(counters, direction, cursorMode);
  }
  if (!doubleClick) {
    if (Matches(KEY_SLOT_START, key)) {
      ++counters[INPUT_START];
      counters[INPUT_START_LATCH] = 0;
    }
  } else {
    if (Matches(KEY_SLOT_START, key) && counters[INPUT_START_LATCH] != 0) ++counters[INPUT_START];
    if (directionMatched) counters[INPUT_START_LATCH] = 0;
    if (Matches(KEY_SLOT_START, key)) counters[INPUT_START_LATCH] = 1;
  }
  for (int slot = KEY_SLOT_A; slot <= KEY_SLOT_E; ++slot) {
    if (Matches(static_cast<KeySlot>(slot), key)) ++counters[kSlotCounters[static_cast<std::size_t>(slot)]];
  }
}
