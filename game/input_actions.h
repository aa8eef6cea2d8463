// The input actions of the game screens, as words of the engine's input
// state. An action is present when its word is 1; the skip key is held while
// its word is non-zero. A handler that consumes an action clears its word.
#pragma once

#include <cstddef>

enum InputWord : std::size_t {
  INPUT_UP = 0,
  INPUT_SKIP_KEY = 2,     // left key
  INPUT_CLICK = 3,        // right key
  INPUT_CENTRE = 4,       // start key
  INPUT_ADVANCE_KEY = 5,  // C key
  INPUT_CANCEL = 6,       // A key
  INPUT_TAP = 17,         // stylus pressed this frame
};
