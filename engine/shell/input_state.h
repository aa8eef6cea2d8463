// The input state that window messages and the key map fill and the screens
// read each frame: 280 unsigned words, of which the first 24 have a meaning.
#pragma once

#include <array>
#include <cstdint>

enum InputWord : int {
  INPUT_UP,
  INPUT_DOWN,
  INPUT_LEFT,
  INPUT_RIGHT,
  INPUT_START,
  INPUT_C,
  INPUT_A,
  INPUT_B,
  INPUT_D,
  INPUT_E,
  INPUT_LATCH_FIRST,  // 10 to 13: cursor-mode latches of the key map
  INPUT_LATCH_LAST = INPUT_LATCH_FIRST + 3,
  INPUT_START_LATCH,  // double-click latch of the start key
  INPUT_STYLUS_X,
  INPUT_STYLUS_Y,
  INPUT_TAP,             // stylus pressed this frame (from INPUT_STYLUS_DOWN_EVENT)
  INPUT_SECOND_EVENT,    // copy of INPUT_SECOND_EVENT_RAW
  INPUT_STYLUS_DOWN_EVENT,
  INPUT_SECOND_EVENT_RAW,
  INPUT_STYLUS_HELD,
  INPUT_RELEASED,        // stylus released this frame (from INPUT_STYLUS_UP_EVENT)
  INPUT_STYLUS_UP_EVENT,
  INPUT_WORD_COUNT = 280
};

struct InputState {
  std::array<std::uint32_t, INPUT_WORD_COUNT> words{};

  std::uint32_t& operator[](InputWord word) { return words[static_cast<std::size_t>(word)]; }
  std::uint32_t operator[](InputWord word) const { return words[static_cast<std::size_t>(word)]; }
  void Clear() { words.fill(0); }
};

static_assert(INPUT_START_LATCH == 14 && INPUT_TAP == 17 && INPUT_STYLUS_UP_EVENT == 23);
