#include "engine/menu/popup_menu.h"

#include <algorithm>
#include <cstring>

#include "common/sjis_string.h"
#include "engine/runtime/runtime_globals.h"
#include "engine/shell/display_access.h"

namespace {

// "ﾄｯﾌﾟ"
constexpr char kRootTitle[] = "\xC4\xAF\xCC\xDF";

// Copies a run of count pixels of one canvas row to or from display memory,
// where they lie xPitch bytes apart: in one copy when side by side there.
void CopyRun(std::uint16_t* canvas, std::uint8_t* display, std::ptrdiff_t xPitch, int count, bool toDisplay) {
  if (count <= 0) return;
  if (xPitch == sizeof(std::uint16_t)) {
    if (toDisplay) {
      std::memcpy(display, canvas, count * sizeof(std::uint16_t));
    } else {
      std::memcpy(canvas, display, count * sizeof(std::uint16_t));
    }
    return;
  }
  for (int i = 0; i < count; ++i, display += xPitch) {
    if (toDisplay) {
      std::memcpy(display, &canvas[i], sizeof(std::uint16_t));
    } else {
      std::memcpy(&canvas[i], display, sizeof(std::uint16_t));
    }
  }
}

}  // namespace

void CPopupMenu::TurnRectToDisplay(const RECT& rect, int screenWidth, RECT* out) {
  // Read whole before writing: out may be rect itself.
  const RECT in = rect;
  *out = RECT{in.top, screenWidth - in.right, in.bottom, screenWidth - in.left};
}

CPopupMenu::CPopupMenu() { AllocateCanvas(); }

bool CPopupMenu::AllocateCanvas() {
  screenWidth_ = std::max(GetScreenWidth(), 0);
  screenHeight_ = std::max(GetScreenHeight(), 0);
  canvas_.assign(static_cast<std::size_t>(screenWidth_) * screenHeight_, 0);
  return !canvas_.empty();
}

CPopupMenu::~CPopupMenu() = default;

void CPopupMenu::Show(HWND /*window*/) {
  // The menu may be made before the screen size is known.
  if (screenWidth_ != GetScreenWidth() || screenHeight_ != GetScreenHeight()) AllocateCanvas();
  GetDisplayAccess().readProperties(&display_);
  current_ = Root();
  highlight_ = -1;
  depth_ = 0;
  StrCopy(titles_[0], kRootTitle);
  SaveScreen();
  RenderPanel();
  PresentCanvas();
}

void CPopupMenu::Hide(HWND /*window*/) {
  RestoreSavedScreen(1);
  saveUnder_.clear();
  saveUnder_.shrink_to_fit();
  highlight_ = -1;
}

void CPopupMenu::SaveScreen() {
  if (auto* frame = static_cast<std::uint8_t*>(GetDisplayAccess().beginDraw())) {
    const int rows = std::min<int>(screenWidth_, static_cast<int>(display_.cyHeight));
    const int columns = std::min<int>(screenHeight_, static_cast<int>(display_.cxWidth));
    for (int row = 0; row < rows; ++row) {
      CopyRun(&canvas_[static_cast<std::size_t>(row) * screenHeight_],
              frame + static_cast<std::ptrdiff_t>(row) * display_.cbyPitch, display_.cbxPitch, columns, false);
    }
    GetDisplayAccess().endDraw();
  }
  saveUnder_ = canvas_;
}

void CPopupMenu::RestoreSavedScreen(int present) {
  // Nothing saved (or saved at another screen size): canvas and display stay.
  if (saveUnder_.empty() || saveUnder_.size() != canvas_.size()) return;
  canvas_ = saveUnder_;
  if (present) PresentScreen();
}

void CPopupMenu::CopyCanvasToScreen(std::uint8_t* frame, const RECT* rect) {
  const int rows = std::min<int>(screenWidth_, static_cast<int>(display_.cyHeight));
  const int columns = std::min<int>(screenHeight_, static_cast<int>(display_.cxWidth));
  const RECT all{0, 0, columns, rows};
  const RECT& area = rect != nullptr ? *rect : all;
  const int left = std::max<int>(area.left, 0);
  const int right = std::min<int>(area.right, columns);
  if (right <= left) return;
  for (int row = std::max<int>(area.top, 0); row < std::min<int>(area.bottom, rows); ++row) {
    CopyRun(&canvas_[static_cast<std::size_t>(row) * screenHeight_ + left],
            frame + static_cast<std::ptrdiff_t>(row) * display_.cbyPitch +
                static_cast<std::ptrdiff_t>(left) * display_.cbxPitch,
            display_.cbxPitch, right - left, true);
  }
}

void CPopupMenu::PresentScreen() { PresentCanvasRect(RECT{0, 0, screenWidth_, screenHeight_}); }

int CPopupMenu::PresentCanvas() { return PresentCanvasRect(RECT{0, 0, panelWidth_, panelHeight_}); }

int CPopupMenu::PresentCanvasRect(const RECT& rect) {
  RECT area = rect;
  TurnRectToDisplay(area, screenWidth_, &area);
  auto* frame = static_cast<std::uint8_t*>(GetDisplayAccess().beginDraw());
  if (frame == nullptr) return 0;
  CopyCanvasToScreen(frame, &area);
  return GetDisplayAccess().endDraw();
}

int CPopupMenu::Selectable(int index) const {
  if (current_ == nullptr || index < 0 || index >= static_cast<int>(current_->count)) return 0;
  const MenuItem& item = current_->items[index];
  return item.kind != kMenuSeparator && (item.flags & kMenuEnabled) != 0 ? 1 : 0;
}

void CPopupMenu::MoveHighlight(HWND /*window*/, int up) {
  const int count = current_ != nullptr ? static_cast<int>(current_->count) : 0;
  const int from = highlight_;
  if (from >= 0) HighlightItem(from, 0);
  int found = -1;
  int index = from >= 0 ? from : (up ? count : -1);
  for (int step = 0; step < count && found < 0; ++step) {
    index = up ? (index - 1 + count) % count : (index + 1) % count;
    if (Selectable(index)) found = index;
  }
  if (found < 0 && from < 0) return;
  if (found >= 0) HighlightItem(found, 1);
  PresentCanvas();
}

int CPopupMenu::Navigate(HWND /*window*/, int enter) {
  if (enter) {
    if (current_ == nullptr || highlight_ < 0 || depth_ >= kMenuLevels - 1) return 0;
    const MenuItem& item = current_->items[highlight_];
    if (item.kind != kMenuSubmenu || item.child == nullptr) return 0;
    savedHighlight_[depth_] = highlight_;
    current_ = item.child;
    highlight_ = -1;
    ++depth_;
    StrCopy(titles_[depth_], item.text);
    RestoreSavedScreen(0);
    RenderPanel();
    PresentScreen();
    return 1;
  }
  if (depth_ <= 0 || current_ == nullptr || current_->parent == nullptr) return 0;
  current_ = current_->parent;
  RestoreSavedScreen(0);
  --depth_;
  highlight_ = -1;
  RenderPanel();
  // The whole screen first: the level left may have had a wider panel. The
  // highlight after it, so a thumbnail it shows is not covered again.
  PresentScreen();
  HighlightItem(savedHighlight_[depth_], 1);
  PresentCanvas();
  return 1;
}

int CPopupMenu::HitTest(HWND /*window*/, int x, int y) const {
  const int count = current_ != nullptr ? static_cast<int>(current_->count) : 0;
  for (int i = 0; i < count; ++i) {
    if (x >= 11 && x < panelWidth_ - 11 && y >= 34 + 13 * i && y < 47 + 13 * i) return i;
  }
  if (x > panelWidth_) return kMenuHitOutside;
  if (y < 33) return kMenuHitTitle;
  if (y > panelHeight_) return kMenuHitOutside;
  return kMenuHitNoItem;
}

int CPopupMenu::DrawIcon(MenuItem& item, int on) {
  MenuIcon* icon = item.icon.get();
  if (icon == nullptr) return 0;
  auto* frame = static_cast<std::uint8_t*>(GetDisplayAccess().beginDraw());
  if (frame == nullptr) return 0;
  const int rows = std::min<int>(screenWidth_, static_cast<int>(display_.cyHeight));
  const int columns = std::min<int>(screenHeight_, static_cast<int>(display_.cxWidth));
  // Landscape (x, y) of display memory; nothing outside it.
  auto at = [&](int x, int y) -> std::uint8_t* {
    const int row = screenWidth_ - 1 - x;
    if (row < 0 || row >= rows || y < 0 || y >= columns) return nullptr;
    return frame + static_cast<std::ptrdiff_t>(row) * display_.cbyPitch +
           static_cast<std::ptrdiff_t>(y) * display_.cbxPitch;
  };
  const int width = icon->width;
  const int height = icon->height;
  const int left = screenWidth_ - 1 - width;
  for (int y = 0; y < height + 2; ++y) {
    for (int x = 0; x <= width; ++x) {
      std::uint8_t* pixel = at(left + x, y);
      if (pixel == nullptr) continue;
      std::uint16_t& saved = icon->covered[static_cast<std::size_t>(y) * (width + 1) + x];
      if (on) {
        std::memcpy(&saved, pixel, sizeof saved);
      } else {
        std::memcpy(pixel, &saved, sizeof saved);
      }
    }
  }
  if (on) {
    auto put = [&](int x, int y, std::uint16_t value) {
      if (std::uint8_t* pixel = at(x, y)) std::memcpy(pixel, &value, sizeof value);
    };
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        put(left + 1 + x, y, icon->pixels[static_cast<std::size_t>(height - 1 - y) * width + x]);
      }
    }
    for (int y = 0; y <= height; ++y) put(left, y, 0xFFFF);
    for (int x = left + 1; x < screenWidth_; ++x) {
      put(x, height, 0x630C);
      put(x, height + 1, 0x0000);
    }
  }
  return GetDisplayAccess().endDraw();
}
