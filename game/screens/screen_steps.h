// Steps every full screen of the game shares: putting the message window
// away while the screen is up and bringing it back, clearing the screen's
// parts and pictures, and the rule that a first tap highlights and a second
// tap on the same target runs it.
#pragma once

#include <cstdint>

class CEngineBase;
class CWindowFrames;

// Hides the message window when it is shown and marks its text hidden by the
// user. 1 when it was shown (the screen restores it on leaving), else 0.
int HideWindowForScreen(CEngineBase& engine, CWindowFrames& frames);
// With wasShown: clears the hidden mark, marks every glyph for redrawing and
// shows the window again. Without it nothing changes.
void RestoreWindowAfterScreen(CEngineBase& engine, CWindowFrames& frames, int wasShown);

// Deletes the parts first..last, their areas marked for redrawing.
void FreePartRange(CEngineBase& engine, int first, int last);
// Frees the picture slots first..last.
void FreePictureRange(CEngineBase& engine, int first, int last);

// The two-tap rule, once the frame's new selection is known. Without an
// advance input (tap, C key, right key) 0. Otherwise the advance inputs are
// cleared, and 1 when the target selected now was already selected before
// this frame and is not the none value.
int TakeSecondTap(std::uint32_t* words, int before, int now, int none);
