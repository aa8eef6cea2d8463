// The save/load screen: fifty save slots on ten pages of five, each row with
// its thumbnail, the first lines of its message text and its date; a row is
// saved or loaded by the two-tap rule.
#pragma once

#include <cstddef>
#include <cstdint>

class CGame;

inline constexpr std::int32_t kSaveRowsPerPage = 5;
inline constexpr std::int32_t kSavePages = 10;
// Selections besides the rows 0..4: tabs 10..19, the mode buttons, back.
inline constexpr std::int32_t kFirstTabSelection = 10;
inline constexpr std::int32_t kToLoadSelection = 20;
inline constexpr std::int32_t kToSaveSelection = 21;
inline constexpr std::int32_t kBackSelection = 22;
inline constexpr std::int32_t kNoSaveSelection = 100;

// A row's date from its packed save time key, "YYYY年MM月DD日 hh:mm" in
// Shift-JIS; the key's year counts from 2000.
inline constexpr std::size_t kSaveRowDateSize = 32;
void FormatSaveRowDate(std::uint32_t key, char (&text)[kSaveRowDateSize]);

struct SaveLoadRecord {
  std::int32_t mode = 0;  // 0 save, 1 load
  std::int32_t page = 0;
  std::int32_t selection = kNoSaveSelection;
  std::uint32_t rowPresent[kSaveRowsPerPage] = {};
  std::uint32_t returnState = 0;
  std::uint32_t returnSubState = 0;
  std::uint32_t windowWasShown = 0;
};

class CSaveLoadScreen {
 public:
  explicit CSaveLoadScreen(CGame& game) : game_(game) {}

  // mode 0 saves, 1 loads.
  void Enter(int mode);
  void RunFrame();
  void DrawPage(std::int32_t page);

  SaveLoadRecord state;

 private:
  void LoadBackground();
  // A whole save shows its thumbnail, text and date; a damaged file only
  // its mark; no file nothing.
  void DrawRow(std::int32_t row);
  // The first three '/'-separated lines of text at the row's text place.
  void DrawRowLines(std::int32_t row, const char* text);
  void DrawLabel(const char* text, std::int32_t x, std::int32_t y);
  std::int32_t TargetUnderStylus() const;
  // The next row from the selection, step +1 or -1; load mode visits only
  // present rows and keeps the selection when there is none.
  std::int32_t StepRow(int step) const;
  void ShowHighlight(std::int32_t selection);
  void Confirm(std::int32_t selection);
  // Parts, pictures and the kept thumbnail go; saving is allowed again.
  void ClearScreen();
  void Leave();

  CGame& game_;
};
