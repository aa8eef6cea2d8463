// The input actions of the game screens, as indexes of the engine's
// input-state words. An action is present when its word is 1; the skip key is
// held while its word is non-zero. A handler that consumes an action clears
// its word.
#pragma once

#include <cstddef>
#include <cstdint>

enum InputAction : std::size_t {
  ACTION_UP = 0,
  ACTION_DOWN = 1,
  ACTION_SKIP_KEY = 2,     // the left key's counter
  ACTION_CLICK = 3,        // the right key's counter
  ACTION_CENTRE = 4,       // the start key's counter
  ACTION_ADVANCE_KEY = 5,  // the C key's counter
  ACTION_CANCEL = 6,       // the A key's counter
  ACTION_TAP = 17,         // stylus pressed this frame
};

// Clears the three advance inputs (tap, C key, right key) once consumed.
inline void ClearAdvanceInputs(std::uint32_t* words) {
  words[ACTION_TAP] = 0;
  words[ACTION_ADVANCE_KEY] = 0;
  words[ACTION_CLICK] = 0;
}
