// The shared drawing code over the Game API's begin/end pair: which calls
// each operation makes, what it writes, and that nothing lands outside the
// panel on a panel smaller or larger than the screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "engine/menu/menu_fixture.h"
#include "engine/movie/movie_player.h"
#include "engine/shell/engine_base.h"
#include "engine/shell/game_app.h"
#include "engine/text/text_canvas.h"

namespace {

struct Layout {
  const char* name;
  int screenWidth;
  int screenHeight;
  HostPanel panel;
};

void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.name; }

const std::vector<std::string> kBracket{"GXBeginDraw", "GXEndDraw"};

void GameApiProperties(GXDisplayProperties* out) { *out = GXGetDisplayProperties(); }
void NoModeFlags(CScreenMode*) {}

std::uint16_t Code(int x, int y) { return static_cast<std::uint16_t>((x * 7 + y * 131) & 0xFFFF) | 1; }

class GameApiDrawingTest : public MenuTest, public testing::WithParamInterface<Layout> {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    const Layout& layout = GetParam();
    width_ = layout.screenWidth;
    height_ = layout.screenHeight;
    SetScreenWidth(width_);
    SetScreenHeight(height_);
    HostDisplaySetPanel(layout.panel);
    SetDisplayAccess(DisplayAccess{GameApiProperties, GXBeginDraw, GXEndDraw, NoModeFlags});
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = u"GX";
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, u"GX", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(GXOpenDisplay(window_, GX_FULLSCREEN), 1);
  }
  void TearDown() override {
    menu_.reset();
    GXResume();
    GXCloseDisplay();
    MenuTest::TearDown();
  }

  // The Game API calls that bracket display access since the last look.
  static std::vector<std::string> Brackets() { return Only(HostCallLogTake(), kBracket); }
  static std::vector<std::string> Brackets(int count) {
    std::vector<std::string> calls;
    for (int i = 0; i < count; ++i) calls.insert(calls.end(), kBracket.begin(), kBracket.end());
    return calls;
  }

  // Panel pixels that differ from expected(X, Y) where landscape screen
  // point (X, Y) lands, or from black where no screen point does.
  template <typename Expected>
  int Mismatches(Expected expected) const {
    const HostPanel& panel = GetParam().panel;
    int wrong = 0;
    for (int py = 0; py < panel.height; ++py) {
      for (int px = 0; px < panel.width; ++px) {
        const int x = width_ - 1 - py;
        const int y = px;
        const bool onScreen = x >= 0 && y < height_;
        wrong += HostDisplayPixel(px, py) != (onScreen ? expected(x, y) : 0);
      }
    }
    return wrong;
  }
  int BlackMismatches() const {
    return Mismatches([](int, int) { return std::uint16_t{0}; });
  }
  // Screen point (X, Y) shows on the panel.
  bool OnPanel(int x, int y) const {
    return width_ - 1 - x < GetParam().panel.height && y < GetParam().panel.width;
  }
  void FillCoded(CBackBuffer& buffer) const {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) buffer.GetPixels()[y * width_ + x] = Code(x, y);
    }
  }
  void FillPanelCoded() const {
    const HostPanel& panel = GetParam().panel;
    for (int i = 0; i < panel.width * panel.height; ++i) HostDisplayMemory()[i] = static_cast<std::uint16_t>(i * 37 + 1);
  }

  int width_ = 0;
  int height_ = 0;
  HWND window_ = nullptr;
};

TEST_P(GameApiDrawingTest, PresentBracketsOnlyWhenThereIsSomethingToShow) {
  CEngineBase engine;
  GetDisplayAccess().readProperties(&engine.backBuffer->properties);
  FillCoded(*engine.backBuffer);
  engine.dirtyList->SetSize(width_, height_);
  HostCallLogTake();
  engine.PresentDirtyRects(0, nullptr);
  EXPECT_EQ(Brackets(), Brackets(0)) << "empty dirty list";
  EXPECT_EQ(BlackMismatches(), 0);

  for (RECT rect : {RECT{width_ - 20, 0, width_ - 10, 10}, RECT{width_ - 60, 30, width_ - 40, 40}}) {
    engine.dirtyList->Add(&rect, 0);
  }
  engine.PresentDirtyRects(0, nullptr);
  EXPECT_EQ(Brackets(), Brackets(1)) << "two rectangles";
  EXPECT_EQ(Mismatches([&](int x, int y) {
              const bool first = x >= width_ - 20 && x < width_ - 10 && y < 10;
              const bool second = x >= width_ - 60 && x < width_ - 40 && y >= 30 && y < 40;
              return first || second ? Code(x, y) : std::uint16_t{0};
            }),
            0);

  engine.PresentDirtyRects(1, nullptr);
  EXPECT_EQ(Brackets(), Brackets(1)) << "whole flag";
  EXPECT_EQ(Mismatches(Code), 0);
}

TEST_P(GameApiDrawingTest, ShakeLeftMovesThePictureInDisplayMemory) {
  CEngineBase engine;
  GetDisplayAccess().readProperties(&engine.backBuffer->properties);
  FillCoded(*engine.backBuffer);
  HostCallLogTake();
  const POINT shake{-3, 0};
  engine.PresentDirtyRects(1, &shake);
  EXPECT_EQ(Brackets(), Brackets(1));
  // The source loses its 3 left columns, the destination its 3 right ones.
  EXPECT_EQ(Mismatches([&](int x, int y) { return x + 3 < width_ ? Code(x + 3, y) : std::uint16_t{0}; }), 0);
}

TEST_P(GameApiDrawingTest, PaintPresentsTheWholeBackBufferInOneBracket) {
  CGameApp app;
  GetDisplayAccess().readProperties(&app.backBuffer->properties);
  FillCoded(*app.backBuffer);
  HostCallLogTake();
  app.windowActive = 0;
  app.OnPaint(window_);
  EXPECT_EQ(Brackets(), Brackets(0)) << "inactive";
  app.windowActive = 1;
  app.OnPaint(window_);
  EXPECT_EQ(Brackets(), Brackets(1));
  EXPECT_EQ(Mismatches(Code), 0);
}

TEST_P(GameApiDrawingTest, DirectTextTakesOneBracketPerGlyphAndABufferNone) {
  CTextCanvas text;
  // Two half-width characters and one full-width one, near the top-right
  // corner that every panel shows.
  const char kText[] = "AB\x82\xA0";
  const int x = width_ - 40;
  HostCallLogTake();
  text.DrawText(nullptr, kText, x, 6, 255, 12);
  EXPECT_EQ(Brackets(), Brackets(3));
  ASSERT_TRUE(OnPanel(x, 7));
  EXPECT_EQ(HostDisplayPixel(7, width_ - 1 - x), 0xFFFF) << "the glyph's second row is set";
  EXPECT_EQ(HostDisplayPixel(7, width_ - 1 - (x + 12)), 0xFFFF) << "the full-width glyph starts after two halves";
  EXPECT_EQ(HostDisplayPixel(7, width_ - 1 - (x + 24)), 0) << "and is 12 wide";

  std::vector<std::uint16_t> buffer(static_cast<std::size_t>(width_) * height_, 0);
  text.DrawText(buffer.data(), kText, x, 6, 255, 12);
  EXPECT_EQ(Brackets(), Brackets(0)) << "into a buffer";
  EXPECT_EQ(buffer[static_cast<std::size_t>(width_ - 1 - x) * height_ + 7], 0xFFFF);
}

TEST_P(GameApiDrawingTest, MenuCanvasHoldsTheDisplayInDisplayOrderAndClosingRestoresIt) {
  FillPanelCoded();
  const std::vector<std::uint16_t> before(HostDisplayMemory(),
                                          HostDisplayMemory() + GetParam().panel.width * GetParam().panel.height);
  menu_ = std::make_unique<CPopupMenu>();
  MenuNode* root = menu_->AddNode(nullptr, 0);
  menu_->AddItem(root, 7, kMenuCommand, "Slot");
  menu_->AddItem(root, 8, kMenuCommand, "Exit");
  HostCallLogTake();
  menu_->Show(window_);
  EXPECT_EQ(Brackets(), Brackets(2)) << "the save, then the panel";
  menu_->Hide(window_);
  EXPECT_EQ(Brackets(), Brackets(1)) << "the saved screen back";
  EXPECT_TRUE(std::equal(before.begin(), before.end(), HostDisplayMemory()));
  // The canvas now holds the saved screen: row i, column j is the display
  // pixel at x = j, y = i, wherever the panel and the screen overlap.
  const HostPanel& panel = GetParam().panel;
  int wrong = 0;
  for (int i = 0; i < std::min(width_, panel.height); ++i) {
    for (int j = 0; j < std::min(height_, panel.width); ++j) {
      wrong += menu_->Canvas()[static_cast<std::size_t>(i) * height_ + j] != HostDisplayPixel(j, i);
    }
  }
  EXPECT_EQ(wrong, 0);

  // Without a save-under nothing is restored: neither canvas nor display.
  FillPanelCoded();
  HostDisplayMemory()[0] ^= 0xFFFF;
  menu_->Hide(window_);
  EXPECT_EQ(Brackets(), Brackets(0));
  EXPECT_EQ(HostDisplayMemory()[0], static_cast<std::uint16_t>(1 ^ 0xFFFF));
}

TEST_P(GameApiDrawingTest, MenuIconOnAndOffRestoresTheDisplayExactly) {
  FillPanelCoded();
  menu_ = std::make_unique<CPopupMenu>();
  MenuNode* root = menu_->AddNode(nullptr, 0);
  menu_->AddItem(root, 7, kMenuCommand, "Slot");
  const std::vector<std::uint8_t> thumbnail = Thumbnail(40, 30);
  menu_->SetItemIcon(nullptr, 7, thumbnail.data(), thumbnail.size());
  menu_->Show(window_);
  const std::vector<std::uint16_t> shown(HostDisplayMemory(),
                                         HostDisplayMemory() + GetParam().panel.width * GetParam().panel.height);
  HostCallLogTake();
  menu_->HighlightItem(0, 1);
  EXPECT_EQ(Brackets(), Brackets(1)) << "the icon";
  EXPECT_EQ(HostDisplayPixel(0, 0), 0x4000 + 29 * 16 + 39) << "the icon's corner pixel in the screen's corner";
  EXPECT_EQ(menu_->PresentCanvas(), 1);
  menu_->HighlightItem(0, 0);
  EXPECT_EQ(menu_->PresentCanvas(), 1);
  EXPECT_EQ(Brackets(), Brackets(3));
  EXPECT_TRUE(std::equal(shown.begin(), shown.end(), HostDisplayMemory()));
}

TEST_P(GameApiDrawingTest, ASuspendedDisplayIsNeitherWrittenNorEnded) {
  CEngineBase engine;
  GetDisplayAccess().readProperties(&engine.backBuffer->properties);
  FillCoded(*engine.backBuffer);
  CTextCanvas text;
  menu_ = std::make_unique<CPopupMenu>();
  menu_->AddItem(menu_->AddNode(nullptr, 0), 7, kMenuCommand, "Slot");
  menu_->Show(window_);
  HostDisplaySetPanel(GetParam().panel);
  GXSuspend();
  HostCallLogTake();
  engine.PresentDirtyRects(1, nullptr);
  text.DrawText(nullptr, "AB", width_ - 40, 6, 255, 12);
  EXPECT_EQ(menu_->PresentCanvas(), 0);
  CMoviePlayer movie;
  movie.ClearDisplay();
  EXPECT_EQ(Brackets(), (std::vector<std::string>(5, "GXBeginDraw")));
  EXPECT_EQ(BlackMismatches(), 0);
}

TEST_P(GameApiDrawingTest, MovieClearBracketsEvenWithNothingToClear) {
  // A player never opened has no display record: no rows to clear.
  CMoviePlayer movie;
  HostCallLogTake();
  movie.ClearDisplay();
  EXPECT_EQ(Brackets(), Brackets(1));
}

INSTANTIATE_TEST_SUITE_P(Panels, GameApiDrawingTest,
                         testing::Values(Layout{"small_screen_on_its_panel", 320, 240, HostPanel{240, 320, 0}},
                                         Layout{"small_screen_on_a_large_panel", 320, 240, HostPanel{480, 640, 0}},
                                         Layout{"large_screen_on_a_small_panel", 640, 480, HostPanel{240, 320, 0}}),
                         [](const testing::TestParamInfo<Layout>& info) { return std::string(info.param.name); });

}  // namespace
