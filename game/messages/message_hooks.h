// What message pages and the choice screen ask of game parts that stand
// beside them: the current script's name, the save capture and the saves,
// the message-window button bar, the backlog screen and the pop-up menu.
// Members with a body stand in for parts not built yet and do nothing.
#pragma once

// The pop-up menu command that returns to the previous choice.
inline constexpr int kPreviousChoiceCommand = 40329;
// The save slot the previous-choice snapshot is written to.
inline constexpr int kPreviousChoiceSlot = 600;

class MessageHooks {
 public:
  virtual ~MessageHooks() = default;

  virtual const char* CurrentScriptName() = 0;
  // Keeps the state a save would write now (every page start is a save point).
  virtual void CaptureSaveState() = 0;
  // 1 when the save file and "system.dat" were both written whole.
  virtual int SaveGame(int slot) = 0;
  // 1 when the slot's save was whole and the game now runs from it; else
  // nothing changed.
  virtual int LoadGame(int slot) = 0;
  virtual void QuickSave() = 0;
  // Loads the newest quick slot when one exists.
  virtual void QuickLoad() = 0;
  // The number of the window button run in this frame, or -1.
  virtual int HandleWindowButtons() { return -1; }
  // Sets up the backlog screen; the caller then enters its scene.
  virtual void SetupBacklogScreen() {}
  virtual void SetMenuItemEnabled(int /*command*/, int /*enabled*/) {}
};
