#include "game/screens/screen_steps.h"

#include "engine/pictures/picture_part_slots.h"
#include "engine/shell/engine_base.h"
#include "engine/text/message_window.h"
#include "game/frames/window_frames.h"
#include "game/input_actions.h"

int HideWindowForScreen(CEngineBase& engine, CWindowFrames& frames) {
  if (!frames.shown) return 0;
  frames.ShowMessageWindow(0);
  if (engine.messageWindow) engine.messageWindow->textHidden = 1;
  return 1;
}

void RestoreWindowAfterScreen(CEngineBase& engine, CWindowFrames& frames, int wasShown) {
  if (!wasShown) return;
  // Showing clears the hidden mark; the glyphs were left alone while hidden.
  frames.ShowMessageWindow(1);
  if (engine.messageWindow) engine.messageWindow->MarkGlyphs(1);
}

void FreePartRange(CEngineBase& engine, int first, int last) {
  for (int part = first; part <= last; ++part) FreePartSlot(engine, part, 1);
}

void FreePictureRange(CEngineBase& engine, int first, int last) {
  for (int slot = first; slot <= last; ++slot) engine.pictureSlots.FreePictureSlot(slot);
}

int TakeSecondTap(std::uint32_t* words, int before, int now, int none) {
  if (words[ACTION_TAP] == 0 && words[ACTION_ADVANCE_KEY] == 0 && words[ACTION_CLICK] == 0) return 0;
  ClearAdvanceInputs(words);
  return now == before && now != none ? 1 : 0;
}
