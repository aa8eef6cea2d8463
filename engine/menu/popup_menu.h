// A hierarchical menu the engine draws itself over the frozen game picture:
// a panel in the screen's top-left corner with a status line, a breadcrumb of
// the open levels, check marks, submenu arrows, grey disabled items and a
// highlight band. The panel is drawn into a private screen-sized canvas turned
// like display memory and copied straight into it; one saved copy of the
// screen under the menu serves level changes and closing without a game
// redraw.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/menu/menu_tree.h"
#include "engine/text/text_canvas.h"
#include "host/display/gapi.h"
#include "host/window/window_api.h"

inline constexpr int kMenuLevels = 8;
// HitTest's answers beside an item index.
inline constexpr int kMenuHitOutside = -100;
inline constexpr int kMenuHitTitle = -10;
inline constexpr int kMenuHitNoItem = -1;

class CPopupMenu : public CMenuTree {
 public:
  CPopupMenu();
  ~CPopupMenu();

  // Opens the root with no highlight over the current screen.
  void Show(HWND window);
  // Puts the screen back as it was before Show.
  void Hide(HWND window);
  void MoveHighlight(HWND window, int up);
  // enter: into the highlighted submenu; else back one level. 1 when the
  // level changed.
  int Navigate(HWND window, int enter);
  void HighlightItem(int index, int on);
  // An item index, kMenuHitOutside, kMenuHitTitle or kMenuHitNoItem for a
  // landscape point.
  int HitTest(HWND window, int x, int y) const;
  void RenderPanel();
  // These two return the display's end-of-access result, 0 when it could not
  // be had.
  int PresentCanvas();
  // A landscape rectangle of the canvas to display memory.
  int PresentCanvasRect(const RECT& rect);

  // The breadcrumb of the open levels and the status line.
  void ComposeHeader(char (&breadcrumb)[512], char (&status)[128]) const;

  MenuNode* CurrentNode() const { return current_; }
  int Highlighted() const { return highlight_; }
  int Depth() const { return depth_; }
  int PanelWidth() const { return panelWidth_; }
  int PanelHeight() const { return panelHeight_; }
  const std::uint16_t* Canvas() const { return canvas_.data(); }

  // A landscape rectangle of a screenWidth-wide screen in display
  // coordinates; out may be rect itself.
  static void TurnRectToDisplay(const RECT& rect, int screenWidth, RECT* out);

 private:
  // A canvas of the current screen size; false when there is no screen.
  bool AllocateCanvas();
  void SaveScreen();
  void RestoreSavedScreen(int present);
  // rect in display coordinates (canvas rows and columns); null for all.
  void CopyCanvasToScreen(std::uint8_t* frame, const RECT* rect);
  int DrawIcon(MenuItem& item, int on);
  void Put(int x, int y, std::uint16_t pixel);
  void FillRect(int left, int top, int right, int bottom, std::uint16_t pixel);
  void DrawMark(const std::uint8_t (&rows)[12], int left, int top, int enabled);
  int Selectable(int index) const;
  void PresentScreen();

  int screenWidth_ = 0;
  int screenHeight_ = 0;
  MenuNode* current_ = nullptr;
  int highlight_ = -1;
  int panelWidth_ = 0;
  int panelHeight_ = 0;
  int depth_ = 0;
  int savedHighlight_[kMenuLevels] = {};
  char titles_[kMenuLevels][64] = {};
  CTextCanvas text_;
  std::vector<std::uint16_t> saveUnder_;
  GXDisplayProperties display_{};
  std::vector<std::uint16_t> canvas_;
};
