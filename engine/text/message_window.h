// The message window: types the scenario's message text into the message
// area one character at a time, and paints the glyphs over whatever the
// compositor left in the back buffer (optionally anti-aliased by
// supersampling a one-bit glyph, optionally with a one-pixel drop shadow).
// The same rendering draws lines of text into pictures with an alpha plane.
// The window draws no frame or background of its own: those are part
// sprites of the screens.
//
// Per message: ClearText, AppendText, then LayoutText every frame until it
// returns 1. The render pass calls MarkDirtyGlyphs and Draw after the layers
// each frame (unless textHidden). A cell is placed (state 1), drawn (0) and
// marked again (1) when its area is redrawn or the window is shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/runtime/entry_list.h"
#include "engine/shell/config_options.h"
#include "engine/shell/input_state.h"
#include "engine/text/one_bit_bitmap.h"

class CBackBuffer;
class CDirtyRectList;
class CImage;

struct GlyphCell {
  std::uint32_t inUse = 0;
  std::int16_t state = 0;  // 0 drawn, 1 to be drawn, 2 and above left alone by marking
  std::uint16_t code = 0;  // first byte + second byte x 256
  std::int32_t cellSize = 0;
  std::uint32_t color = 0;  // 0x00BBGGRR
  // The glyph box; right and bottom are left/top + cellSize + 1.
  std::int16_t left = 0;
  std::int16_t top = 0;
  std::int16_t right = 0;
  std::int16_t bottom = 0;
};

inline constexpr std::uint32_t kPageCells = 160;
// The largest font size in design units: a glyph wider than any screen.
inline constexpr std::int32_t kMaxFontSize = 1000;
inline constexpr std::size_t kPageTextBytes = 512;
inline constexpr int kTextBitmapSide = 256;
// Backlog cells drawn in this colour, except those on this screen row.
inline constexpr std::uint32_t kBacklogColor = 0xCCCCCC;
inline constexpr std::int16_t kBacklogKeptRow = 313;

class CMessageWindow {
 public:
  CMessageWindow();
  ~CMessageWindow();
  CMessageWindow(const CMessageWindow&) = delete;
  CMessageWindow& operator=(const CMessageWindow&) = delete;

  // Places the window over the design rectangle; text starts 16 screen px
  // in. Recreates the message font at 24. Returns 1.
  int Setup(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h);
  // Starts typing text (kept alive by the caller until laid out) and adds
  // it to the page text, as much as fits, cut at a character boundary.
  void AppendText(const char* text);
  void ClearText();
  // Places the characters that are due (speed 100 is the script's pace);
  // 1 when all of the text is placed. An advance input places the rest at
  // once and is consumed. A page holds kPageCells cells: text beyond them
  // is dropped.
  int LayoutText(const ConfigOptions& options, InputState& input, CDirtyRectList& dirtyList, std::uint32_t speed);
  // When shown: cells below state 2 become 1 (redraw) or every cell 0.
  int MarkGlyphs(int redraw);
  // When shown: cells of state 0 or 1 that meet a redraw rectangle become 1.
  void MarkDirtyGlyphs(const CDirtyRectList& dirtyList);
  // When shown: draws the cells to be drawn with supersampling level + 1.
  // Returns 1.
  int Draw(CBackBuffer& backBuffer, std::uint32_t antiAliasLevel, std::uint32_t shadow);

  // A size a script or a save got wrong is held to 0..kMaxFontSize (0 places
  // characters without drawing them), so the glyph arithmetic cannot overflow.
  void SetFontSize(std::int64_t size);
  void SetSpacing(std::int32_t dx, std::int32_t dy);
  void SetTextOrigin(std::int32_t dx, std::int32_t dy);
  void SetWaitFactor(std::uint32_t value) { waitFactor = value; }
  void SetVisible(int on);
  void SetLineLimits(std::int32_t chars, std::int32_t lines);

  // One line of text into a picture with an alpha plane, using the message
  // font (colour 0xRRGGBB, position in design units). 1, or 0 when the
  // picture has no alpha plane.
  int RenderTextToImage(CImage& target, const char* text, std::int32_t size, std::int32_t spacing,
                        std::uint32_t rgb, std::int32_t x, std::int32_t y, std::int32_t factor, std::int32_t shadow);
  // The same with a label font of the system face made for the call.
  int RenderLabelToImage(CImage& target, const char* text, std::int32_t size, std::int32_t spacing,
                         std::uint32_t rgb, std::int32_t x, std::int32_t y, std::int32_t antiAliasLevel,
                         std::int32_t shadow, std::int32_t weightIndex);
  static HFONT CreateLabelFont(std::int32_t height, std::int32_t weightIndex);

  GlyphCell cells[kPageCells];
  std::uint32_t textHidden = 0;  // set by screens: the render pass leaves the glyphs alone
  std::uint32_t shown = 0;
  std::uint32_t backlogView = 0;
  std::int32_t backlogIndex = -1;  // counted back from the newest page
  std::uint32_t waitFactor = 50;   // kept for callers
  std::uint32_t cellCount = 0;
  std::uint32_t typingClock = 0;
  std::int32_t textLeft = 0;
  std::int32_t textTop = 0;
  std::int32_t charSpacing = 0;
  std::int32_t lineSpacing = 0;
  std::int32_t penX = 0;
  std::int32_t penY = 0;
  std::int32_t fontSize = 24;  // design units
  std::int32_t charsPerLine = 0;
  std::int32_t lineLimit = 0;  // kept, not used
  std::int32_t charsInLine = 0;
  std::int32_t lineCount = 0;
  std::int32_t windowX1000 = 0;
  std::int32_t windowY1000 = 0;
  std::int32_t windowWidth = 0;
  std::int32_t windowHeight = 0;
  std::uint32_t textColor = 0;  // 0x00BBGGRR
  std::uint32_t typedOffset = 0;
  const char* textStart = nullptr;
  std::uint32_t instant = 0;
  char text[kPageTextBytes] = {};
  // Stored pages: each node's first buffer holds its GlyphCells, its value
  // their count.
  EntryList backlog{};
  const char* cursor = nullptr;
  std::uint32_t glyphScale = 100;  // percent of fontSize
  std::uint32_t countChars = 0;
  std::uint32_t countedChars = 0;

 private:
  void BreakLine();
  void DrawGlyphs(CBackBuffer& backBuffer, GlyphCell* page, std::uint32_t count, int factor, std::uint32_t shadow);
  // The cells drawing works on: the backlog page in backlog view.
  GlyphCell* PageCells(std::uint32_t* count);
  int RenderLine(CImage& target, const char* line, std::int32_t size, std::int32_t spacing, std::uint32_t rgb,
                 std::int32_t x, std::int32_t y, int factor, std::int32_t shadow, HFONT labelFont);

  OneBitBitmap textBitmap_;
  std::vector<std::uint8_t> counts_;
};
