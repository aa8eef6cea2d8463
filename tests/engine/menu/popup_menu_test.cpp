#include "engine/menu/popup_menu.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "menu_fixture.h"

namespace {

constexpr MenuDisplay kLandscape{640, 480, 2, 960};
constexpr MenuDisplay kLayouts[] = {
    {640, 480, 2, 960},    // plain
    {640, 480, 2, 1024},   // padded rows
    {640, 480, 2, -960},   // negative y pitch
    {320, 240, 2, 480},    // small screen
    {640, 480, 1280, -2},  // a landscape panel: rows of 640 pixels, seen turned
};
constexpr char kTop[] = "\xC4\xAF\xCC\xDF";
constexpr std::uint16_t kPanel = 0xD699;
constexpr std::uint16_t kBand = 0x0010;
constexpr std::uint16_t kGrey = 0x8410;

class PopupMenuTest : public MenuTest {
 protected:
  // Root: 0 submenu "Load" (two slots), 1 separator, 2 "Off" disabled,
  // 3 "Chk" checked, 4 "Exit".
  void Build() {
    MenuNode* root = menu_->AddNode(nullptr, 0);
    menu_->AddItem(root, 0, kMenuSubmenu, "Load");
    menu_->AddItem(root, 0, kMenuSeparator, "");
    menu_->AddItem(root, 41, kMenuCommand, "Off");
    menu_->AddItem(root, 42, kMenuCommand, "Chk");
    menu_->AddItem(root, 43, kMenuCommand, "Exit");
    menu_->SetEnabled(nullptr, 41, 0);
    menu_->SetChecked(nullptr, 42, 1);
    MenuNode* load = menu_->AddNode(root, 0);
    menu_->AddItem(load, 100, kMenuCommand, std::string(60, 'w').c_str());
    menu_->AddItem(load, 101, kMenuCommand, "Slot");
  }
  std::string Breadcrumb() const {
    char breadcrumb[512];
    char status[128];
    menu_->ComposeHeader(breadcrumb, status);
    return breadcrumb;
  }
  std::string Status() const {
    char breadcrumb[512];
    char status[128];
    menu_->ComposeHeader(breadcrumb, status);
    return status;
  }
};

TEST_F(PopupMenuTest, PanelSizeBordersRulesSeparatorsAndMarks) {
  Open(kLandscape);
  Build();
  menu_->Show(nullptr);
  // The status line "[2000-01-01 00:00][100%][32MB(50%)][128MB]" is the longest text.
  const int w = 44 * 6;
  const int h = 5 * 13 + 40;
  ASSERT_EQ(menu_->PanelWidth(), w);
  ASSERT_EQ(menu_->PanelHeight(), h);
  struct Pixel {
    int x, y;
    std::uint16_t colour;
  } expected[] = {
      {0, 0, kPanel},          {1, 1, 0xFFFF},          {1, h - 3, 0xFFFF},     {w - 3, 1, 0xFFFF},
      {1, h - 2, 0x4208},      {w - 2, 5, 0x4208},      {5, h - 1, 0x0000},     {w - 1, 5, 0x0000},
      {0, h - 1, kPanel},      {w - 1, 0, kPanel},      {5, 29, kPanel},        {6, 29, kGrey},
      {6, 30, 0xFFFF},         {w - 7, 30, 0xFFFF},     {w - 6, 30, kPanel},    {11, 53, kPanel},
      {12, 53, kGrey},         {12, 54, 0xFFFF},        {w - 13, 54, 0xFFFF},   {w - 12, 54, kPanel},
      {12, 36, 0x0000},        // enabled text (a fake glyph's rows below the first are solid)
      {12, 62, kGrey},         // disabled text in grey ...
      {30, 65, 0xFFFF},        // ... over its white copy one pixel down and right
      {29, 72, 0xFFFF},        {8, 77, 0x0000},         {5, 78, 0x0000},        {6, 78, kPanel},
      {7, 78, 0x0000},         {w - 9, 37, 0x0000},     {w - 10, 37, kPanel},   {w - 6, 40, 0x0000},
      {w, 5, display_->At(w, 5)},
  };
  for (const Pixel& p : expected) {
    EXPECT_EQ(CanvasAt(p.x, p.y), p.colour) << p.x << "," << p.y;
    EXPECT_EQ(display_->At(p.x, p.y), p.colour) << "display " << p.x << "," << p.y;
  }
}

TEST_F(PopupMenuTest, DisabledMarksAreGreyWithAWhiteShadow) {
  Open(kLandscape);
  Build();
  menu_->SetEnabled(nullptr, 42, 0);
  menu_->SetEnabled(nullptr, 0, 0);
  menu_->Show(nullptr);
  const int w = menu_->PanelWidth();
  // Check row 4 (000010) at x 8, y 77; row 5 (010110) at x 5, 7, 8.
  EXPECT_EQ(CanvasAt(8, 77), kGrey);
  EXPECT_EQ(CanvasAt(9, 78), 0xFFFF);
  EXPECT_EQ(CanvasAt(8, 78), kGrey) << "ink is never covered by a shadow";
  // Arrow row 3 (010000) at x w - 9, y 37.
  EXPECT_EQ(CanvasAt(w - 9, 37), kGrey);
  EXPECT_EQ(CanvasAt(w - 8, 38), kGrey);
  EXPECT_EQ(CanvasAt(w - 8, 44), 0xFFFF);
  EXPECT_EQ(CanvasAt(w - 5, 41), 0xFFFF);
}

TEST_F(PopupMenuTest, HighlightSkipsSeparatorsAndDisabledItemsAndWraps) {
  Open(kLandscape);
  Build();
  menu_->Show(nullptr);
  const int w = menu_->PanelWidth();
  struct Step {
    int up;
    int highlight;
  } steps[] = {{0, 0}, {0, 3}, {0, 4}, {0, 0}, {1, 4}, {1, 3}, {1, 0}, {1, 4}};
  for (const Step& step : steps) {
    menu_->MoveHighlight(nullptr, step.up);
    EXPECT_EQ(menu_->Highlighted(), step.highlight);
  }
  const int top = 34 + 13 * 4;
  EXPECT_EQ(display_->At(11, top), kBand);
  EXPECT_EQ(display_->At(w - 12, top + 12), kBand);
  EXPECT_EQ(display_->At(w - 11, top), kPanel);
  EXPECT_EQ(display_->At(12, top + 2), 0xFFFF) << "highlighted text is white";
  EXPECT_EQ(display_->At(11, 34 + 13 * 3), kPanel) << "the old band is gone";
  EXPECT_EQ(display_->At(12, 34 + 13 * 3 + 2), 0x0000);
  EXPECT_EQ(display_->At(8, 77), 0x0000) << "the check mark stays";
}

TEST_F(PopupMenuTest, NodeWithoutSelectableItemsKeepsNoHighlight) {
  Open(kLandscape);
  MenuNode* root = menu_->AddNode(nullptr, 0);
  menu_->AddItem(root, 0, kMenuSeparator, "");
  menu_->AddItem(root, 5, kMenuCommand, "a");
  menu_->SetEnabled(nullptr, 5, 0);
  menu_->Show(nullptr);
  menu_->MoveHighlight(nullptr, 0);
  menu_->MoveHighlight(nullptr, 1);
  EXPECT_EQ(menu_->Highlighted(), -1);
}

TEST_F(PopupMenuTest, ShowThenHideLeavesDisplayMemoryUntouched) {
  for (const MenuDisplay& layout : kLayouts) {
    SCOPED_TRACE(layout.screenWidth * 10000 + layout.yPitch);
    Open(layout);
    Build();
    std::vector<std::uint8_t> thumbnail = Thumbnail(40, 30);
    menu_->SetItemIcon(nullptr, 101, thumbnail.data(), thumbnail.size());
    const std::vector<std::uint8_t> before = display_->Memory();
    menu_->Show(nullptr);
    EXPECT_NE(display_->Memory(), before);
    menu_->MoveHighlight(nullptr, 0);
    EXPECT_EQ(menu_->Navigate(nullptr, 1), 1);
    menu_->MoveHighlight(nullptr, 0);
    menu_->MoveHighlight(nullptr, 0);  // the slot with the icon
    EXPECT_EQ(menu_->Navigate(nullptr, 0), 1);
    menu_->MoveHighlight(nullptr, 1);
    menu_->Hide(nullptr);
    EXPECT_TRUE(display_->Memory() == before);
  }
}

TEST_F(PopupMenuTest, LevelChangesRedrawTheWholeScreen) {
  Open(kLandscape);
  Build();
  const std::uint16_t under = display_->At(378, 40);
  menu_->Show(nullptr);
  menu_->MoveHighlight(nullptr, 0);
  ASSERT_EQ(menu_->Navigate(nullptr, 1), 1);
  EXPECT_EQ(menu_->Depth(), 1);
  EXPECT_EQ(menu_->Highlighted(), -1);
  EXPECT_GT(menu_->PanelWidth(), 380) << "the slot list is wider than the root";
  EXPECT_EQ(display_->At(378, 40), kPanel);
  ASSERT_EQ(menu_->Navigate(nullptr, 0), 1);
  EXPECT_EQ(menu_->Depth(), 0);
  EXPECT_EQ(menu_->Highlighted(), 0) << "the level's highlight comes back";
  EXPECT_EQ(display_->At(378, 40), under) << "nothing of the wider panel stays";
  EXPECT_EQ(display_->At(11, 34), kBand);
  EXPECT_EQ(menu_->Navigate(nullptr, 0), 0) << "no level above the root";
  menu_->MoveHighlight(nullptr, 0);
  EXPECT_EQ(menu_->Navigate(nullptr, 1), 0) << "a command is not entered";
}

TEST_F(PopupMenuTest, IconIsDrawnTopRightWhileHighlightedAndRestored) {
  Open(kLandscape);
  MenuNode* root = menu_->AddNode(nullptr, 0);
  menu_->AddItem(root, 7, kMenuCommand, "Slot");
  std::vector<std::uint8_t> thumbnail = Thumbnail(40, 30);
  menu_->SetItemIcon(nullptr, 7, thumbnail.data(), thumbnail.size());
  menu_->Show(nullptr);
  const std::vector<std::uint8_t> shown = display_->Memory();
  menu_->MoveHighlight(nullptr, 0);
  EXPECT_EQ(display_->At(600, 0), 0x4000 + 29 * 16) << "the last stored row is at the top";
  EXPECT_EQ(display_->At(639, 29), 0x4000 + 39);
  EXPECT_EQ(display_->At(599, 0), 0xFFFF);
  EXPECT_EQ(display_->At(599, 30), 0xFFFF);
  EXPECT_EQ(display_->At(600, 30), 0x630C);
  EXPECT_EQ(display_->At(639, 31), 0x0000);
  menu_->MoveHighlight(nullptr, 0);  // the only item: off and on again
  menu_->HighlightItem(0, 0);
  menu_->PresentCanvas();
  EXPECT_TRUE(display_->Memory() == shown);
}

TEST_F(PopupMenuTest, HitTestTable) {
  Open(kLandscape);
  Build();
  menu_->Show(nullptr);
  const int w = menu_->PanelWidth();
  const int h = menu_->PanelHeight();
  struct Case {
    int x, y, hit;
  } cases[] = {
      {11, 34, 0},           {w - 12, 46, 0},     {20, 47, 1},          {20, 86, 4},
      {10, 40, kMenuHitNoItem}, {w - 11, 40, kMenuHitNoItem}, {w + 1, 40, kMenuHitOutside},
      {20, 32, kMenuHitTitle},  {20, 33, kMenuHitNoItem},     {20, h + 1, kMenuHitOutside},
      {w + 1, 5, kMenuHitOutside}, {5, 5, kMenuHitTitle},
  };
  for (const Case& c : cases) EXPECT_EQ(menu_->HitTest(nullptr, c.x, c.y), c.hit) << c.x << "," << c.y;
}

TEST_F(PopupMenuTest, BreadcrumbAndStatusLine) {
  Open(kLandscape);
  Build();
  SYSTEMTIME now{};
  now.wYear = 2026;
  now.wMonth = 3;
  now.wDay = 7;
  now.wHour = 9;
  now.wMinute = 5;
  HostClockSetLocalTime(now);
  HostSystemFigures figures;
  figures.batteryPercent = 255;
  figures.availableMemory = 17ull << 20;
  figures.totalMemory = 68ull << 20;
  figures.storeFree = 3000ull << 20;
  HostSetSystemFigures(figures);
  menu_->Show(nullptr);
  struct Case {
    const char* version;
    int rate;
    std::string breadcrumb;
  } cases[] = {
      {"1.3.7 (x)", 22050, std::string("[") + kTop + "] [Tamberwick.ovl 1.3.7 ][22.05kHz]"},
      {"1.3.7", 44100, std::string("[") + kTop + "] [Tamberwick.ovl 1.3.7][44.10kHz]"},
      {"", 44100, std::string("[") + kTop + "]"},
      {"(only)", 44100, std::string("[") + kTop + "]"},
  };
  for (const Case& c : cases) {
    SetOggPluginVersion(c.version);
    SetOutputRate(c.rate);
    EXPECT_EQ(Breadcrumb(), c.breadcrumb) << c.version;
  }
  EXPECT_EQ(Status(), "[2026-03-07 09:05][255%][17MB(75%)][3000MB]");
  figures.storeFree = 5000ull << 20;
  HostSetSystemFigures(figures);
  EXPECT_EQ(Status(), "[2026-03-07 09:05][255%][17MB(75%)][4095MB]") << "32-bit fields saturate";
  menu_->MoveHighlight(nullptr, 0);
  menu_->Navigate(nullptr, 1);
  EXPECT_EQ(Breadcrumb(), std::string("[") + kTop + "]->[Load]");
}

TEST_F(PopupMenuTest, SmallScreenHasShortStatusAndNoVersion) {
  Open(kLayouts[3]);
  Build();
  SetOggPluginVersion("1.3.7");
  menu_->Show(nullptr);
  EXPECT_EQ(Breadcrumb(), std::string("[") + kTop + "]");
  EXPECT_EQ(Status(), "[2000-01-01 00:00][100%]");
}

TEST_F(PopupMenuTest, LongTextsStayOnTheScreen) {
  for (const MenuDisplay& layout : kLayouts) {
    SCOPED_TRACE(layout.screenWidth * 10000 + layout.yPitch);
    Open(layout);
    MenuNode* root = menu_->AddNode(nullptr, 0);
    for (int i = 0; i < 20; ++i) menu_->AddItem(root, 1 + i, kMenuSubmenu, std::string(95, 'x').c_str());
    menu_->SetChecked(nullptr, 20, 1);
    SetOggPluginVersion(std::string(127, 'v').c_str());
    const std::vector<std::uint8_t> before = display_->Memory();
    menu_->Show(nullptr);
    EXPECT_LE(menu_->PanelWidth(), layout.screenWidth);
    EXPECT_LE(menu_->PanelHeight(), layout.screenHeight);
    EXPECT_LE(Breadcrumb().size() + 2, static_cast<std::size_t>(layout.screenWidth / 6)) << "the version is cut";
    for (int i = 0; i < 25; ++i) menu_->MoveHighlight(nullptr, 0);
    menu_->Hide(nullptr);
    EXPECT_TRUE(display_->Memory() == before) << "canaries and screen intact";
  }
}

TEST_F(PopupMenuTest, AVersionOfDoubleByteCharactersIsCutBetweenCharacters) {
  Open(kLandscape);
  Build();
  // With and without one leading byte, so that one of them has a character
  // across the cut.
  for (const std::string lead : {"", "x"}) {
    std::string version = lead;
    for (int i = 0; i < 60; ++i) version += "\x82\xA0";  // "あ" sixty times
    SetOggPluginVersion(version.c_str());
    menu_->Show(nullptr);
    const std::string breadcrumb = Breadcrumb();
    menu_->Hide(nullptr);
    EXPECT_LE(breadcrumb.size() + 2, 640u / 6);
    const std::size_t from = breadcrumb.find("ovl ") + 4;
    const std::size_t to = breadcrumb.find("][", from);
    ASSERT_NE(to, std::string::npos) << breadcrumb;
    const std::string kept = breadcrumb.substr(from, to - from);
    EXPECT_GT(kept.size(), 40u);
    EXPECT_EQ(kept, version.substr(0, kept.size()));
    EXPECT_EQ((kept.size() - lead.size()) % 2, 0u) << "no half of a character";
  }
}

TEST(TurnRectToDisplayTest, LandscapeRectangleTurnsToDisplayRowsAndColumnsAlsoInPlace) {
  const RECT landscape{10, 20, 110, 60};
  RECT turned{};
  CPopupMenu::TurnRectToDisplay(landscape, 640, &turned);
  EXPECT_EQ(turned.left, 20);
  EXPECT_EQ(turned.top, 530);
  EXPECT_EQ(turned.right, 60);
  EXPECT_EQ(turned.bottom, 630);
  // Written over its own input, as the presents call it.
  RECT inPlace = landscape;
  CPopupMenu::TurnRectToDisplay(inPlace, 640, &inPlace);
  EXPECT_EQ(inPlace.left, turned.left);
  EXPECT_EQ(inPlace.top, turned.top);
  EXPECT_EQ(inPlace.right, turned.right);
  EXPECT_EQ(inPlace.bottom, turned.bottom);
}

}  // namespace
