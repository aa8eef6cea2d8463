// The choice screen of SltRun: up to five entries filled by SltAdd (an entry
// without a label is a caption, shown but never chosen), highlighted by the
// keys or a tap and confirmed by a second tap on the highlighted row; the
// confirmed choice writes the previous-choice snapshot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CGameEngine;
class MessageHooks;
struct ParsedCommand;

inline constexpr int kChoiceSlots = 6;
inline constexpr int kChoiceEntriesAdded = 5;
inline constexpr std::size_t kChoiceTextSize = 64;
inline constexpr std::size_t kChoiceLabelSize = 32;
inline constexpr std::int32_t kNoHighlight = 100;

// Picture slots and part sprites the screen uses while it runs.
inline constexpr int kChoiceBaseSlot = 40;
inline constexpr int kChoiceTextSlot = 42;
inline constexpr int kChoiceBaseSprite = 40;
inline constexpr int kChoiceHighlightSprite = 41;
inline constexpr int kChoiceFirstTextSprite = 42;

struct ChoiceState {
  char texts[kChoiceSlots][kChoiceTextSize] = {};
  char labels[kChoiceSlots][kChoiceLabelSize] = {};
  std::int32_t count = 0;
  std::int32_t chosen = 0;
  std::int32_t highlight = kNoHighlight;
  std::int32_t top = 0;
  std::int32_t spacing = 0;
  std::uint32_t snapshotSaved = 0;
};

class CChoiceScreen {
 public:
  CChoiceScreen(CGameEngine& engine, MessageHooks& hooks) : engine_(engine), hooks_(hooks) {}

  // SltDel: a save point, then no entries.
  void DeleteEntries();
  // SltAdd (n, label, text) or (n, text); n of 5 or more is ignored.
  void AddEntry(const ParsedCommand& command);
  // Every frame of SltRun (stepFrames 0 on its first): 1 with the chosen
  // entry's label once a choice is confirmed, or at once with an empty label
  // when no entry can be chosen.
  int RunChoice(std::uint32_t stepFrames, std::string& chosenLabel);
  // Loads the snapshot of the last confirmed choice, when there is one.
  void ReturnToPreviousChoice();
  // Forgets the snapshot and disables its menu command.
  void DropSnapshot();
  // Entries and layout back to a new game's.
  void ClearRecords();

  ChoiceState state;

 private:
  void BuildScreen();
  int AnyChoosable() const;
  int Choosable(std::int32_t entry) const;
  std::int32_t StepHighlight(std::int32_t step) const;
  std::int32_t EntryUnderStylus() const;
  void ShowHighlight(std::int32_t entry);
  void CloseScreen();

  CGameEngine& engine_;
  MessageHooks& hooks_;
};
