#include "engine/text/message_window.h"

#include <algorithm>

#include "common/sjis_string.h"
#include "engine/pictures/picture_design_space.h"
#include "engine/runtime/engine_clock.h"
#include "engine/shell/dirty_rect_list.h"
#include "engine/text/message_font.h"

namespace {

constexpr std::int32_t kTextInset = 16;

// Punctuation that may hang past the line's character limit: "、", "。", "」".
bool MayHang(unsigned char first, unsigned char second) {
  return first == 0x81 && (second == 0x41 || second == 0x42 || second == 0x76);
}

}  // namespace

CMessageWindow::CMessageWindow() {
  EntryList::Init(&backlog);
  typingClock = GetClockMs();
  textBitmap_.Create(kTextBitmapSide);
}

CMessageWindow::~CMessageWindow() {
  textBitmap_.Release();
  EntryList::Clear(&backlog);
}

int CMessageWindow::Setup(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
  windowX1000 = DesignXToScreen(x) * 1000;
  windowY1000 = DesignYToScreen(y) * 1000;
  windowWidth = DesignXToScreen(w);
  windowHeight = DesignYToScreen(h);
  cursor = nullptr;
  textLeft = DesignXToScreen(x) + kTextInset;
  textTop = DesignYToScreen(y) + kTextInset;
  charSpacing = 0;
  lineSpacing = 0;
  penX = textLeft;
  penY = textTop;
  fontSize = 24;
  charsInLine = 0;
  lineCount = 0;
  textHidden = 0;
  shown = 0;
  backlogView = 0;
  backlogIndex = -1;
  waitFactor = 50;
  CreateMessageFont(24, gMessageFont.weightIndex);
  instant = 0;
  text[0] = '\0';
  return 1;
}

void CMessageWindow::AppendText(const char* source) {
  cursor = source;
  textStart = source;
  typingClock = GetClockMs();
  typedOffset = 0;
  countChars = 0;
  if (source) StrAppend(text, source);
}

void CMessageWindow::ClearText() {
  for (GlyphCell& cell : cells) {
    cell.inUse = 0;
    cell.state = 0;
  }
  cellCount = 0;
  text[0] = '\0';
}

void CMessageWindow::BreakLine() {
  penX = textLeft;
  penY += DesignXToScreen(fontSize) + lineSpacing;
  charsInLine = 0;
  ++lineCount;
}

int CMessageWindow::LayoutText(const ConfigOptions& options, InputState& input, CDirtyRectList& dirtyList,
                               std::uint32_t speed) {
  if (!cursor) return 1;
  bool advanced = false;
  for (;;) {
    const auto byte = static_cast<unsigned char>(*cursor);
    if (byte == '\0') {
      typedOffset = static_cast<std::uint32_t>(cursor - textStart);
      return 1;
    }
    if (byte == '/') {
      BreakLine();
      ++cursor;
      continue;
    }
    if (byte == '\\' || byte == '\n') {
      ++cursor;
      continue;
    }
    if (input[INPUT_TAP] == 1 || input[INPUT_C] == 1 || input[INPUT_RIGHT] == 1) {
      // 2 reads as "still held": no screen takes it for a new press.
      input[INPUT_TAP] = 0;
      input[INPUT_C] = 2;
      input[INPUT_RIGHT] = 2;
      advanced = true;
    }
    const bool noDelay = instant || options[SKIP_RUNNING] || input[INPUT_LEFT] > 0 || advanced;
    const std::uint32_t delay = noDelay ? 0 : options[MESSAGE_SPEED] * speed / 10;
    // Signed difference, so typing goes on across a wrap of the clock.
    if (static_cast<std::int32_t>(GetClockMs() - (typingClock + delay)) < 0) {
      typedOffset = static_cast<std::uint32_t>(cursor - textStart);
      return 0;
    }
    if (cellCount >= kPageCells) {
      cursor += StrLength(cursor);
      continue;
    }
    const bool wide = IsSjisLeadByte(byte) && cursor[1] != '\0';
    const auto second = static_cast<unsigned char>(wide ? cursor[1] : 0);
    cursor += wide ? 2 : 1;
    if (countChars) ++countedChars;
    if (charsInLine >= charsPerLine && !MayHang(byte, second)) BreakLine();
    const std::int32_t g = DesignXToScreen(static_cast<std::int32_t>(glyphScale) * fontSize / 100);
    GlyphCell& cell = cells[cellCount];
    cell.inUse = 1;
    cell.left = static_cast<std::int16_t>(penX);
    cell.top = static_cast<std::int16_t>(penY);
    cell.right = static_cast<std::int16_t>(penX + g + 1);
    cell.bottom = static_cast<std::int16_t>(penY + g + 1);
    cell.cellSize = g;
    cell.code = static_cast<std::uint16_t>(byte | second << 8);
    cell.color = textColor;
    cell.state = 1;
    ++charsInLine;
    RECT box{cell.left, cell.top, cell.right + 1, cell.bottom + 1};
    dirtyList.Add(&box, 0);
    const std::int32_t step = wide ? g : DesignXToScreen(static_cast<std::int32_t>(glyphScale) * fontSize / 200);
    penX += step + charSpacing;
    ++cellCount;
    typingClock += delay;
  }
}

GlyphCell* CMessageWindow::PageCells(std::uint32_t* count) {
  if (!backlogView) {
    *count = cellCount;
    return cells;
  }
  std::uint32_t stored = 0;
  auto* page = static_cast<GlyphCell*>(EntryList::GetFromEnd(&backlog, backlogIndex, &stored));
  *count = page ? std::min(stored, kPageCells) : 0;
  return page;
}

int CMessageWindow::MarkGlyphs(int redraw) {
  if (shown != 1) return 0;
  for (GlyphCell& cell : cells) {
    if (!redraw) {
      cell.state = 0;
    } else if (cell.state < 2) {
      cell.state = 1;
    }
  }
  return 1;
}

void CMessageWindow::MarkDirtyGlyphs(const CDirtyRectList& dirtyList) {
  std::uint32_t count = 0;
  GlyphCell* page = PageCells(&count);
  if (!shown || !page) return;
  for (std::uint32_t i = 0; i < count; ++i) {
    GlyphCell& cell = page[i];
    if ((cell.state == 0 || cell.state == 1) &&
        dirtyList.Intersects(cell.left, cell.top, cell.right, cell.bottom)) {
      cell.state = 1;
    }
  }
}

void CMessageWindow::SetFontSize(std::int64_t size) {
  fontSize = static_cast<std::int32_t>(std::clamp<std::int64_t>(size, 0, kMaxFontSize));
}

void CMessageWindow::SetSpacing(std::int32_t dx, std::int32_t dy) {
  charSpacing = DesignXToScreen(dx);
  lineSpacing = DesignYToScreen(dy);
}

void CMessageWindow::SetTextOrigin(std::int32_t dx, std::int32_t dy) {
  textLeft = penX = windowX1000 / 1000 + DesignXToScreen(dx);
  textTop = penY = windowY1000 / 1000 + DesignYToScreen(dy);
}

void CMessageWindow::SetVisible(int on) {
  shown = on != 0 ? 1 : 0;
  textHidden = 0;
  if (shown) {
    for (GlyphCell& cell : cells) {
      if (cell.state < 2) cell.state = 1;
    }
  }
}

void CMessageWindow::SetLineLimits(std::int32_t chars, std::int32_t lines) {
  charsPerLine = chars;
  lineLimit = lines;
}
