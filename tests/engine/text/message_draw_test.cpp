#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/pictures/picture_rgb565.h"
#include "engine/shell/engine_base.h"
#include "engine/text/symbol_glyphs.h"
#include "host/memory/memory_api.h"
#include "message_fixture.h"

namespace {

constexpr std::uint16_t kBackground = 0x52AA;
constexpr std::uint16_t kRed = 0xF800;

class MessageDrawTest : public MessageWindowTest {
 protected:
  void SetUp() override {
    MessageWindowTest::SetUp();
    back = std::make_unique<CBackBuffer>();
    Fill(kBackground);
    window->textColor = 0x000000FF;  // red in the low byte
    window->SetVisible(1);
  }

  void Fill(std::uint16_t pixel) {
    std::fill(back->GetPixels(), back->GetPixels() + back->GetWidth() * back->GetHeight(), pixel);
  }
  std::uint16_t& At(int x, int y) { return back->GetPixels()[y * static_cast<int>(back->GetWidth()) + x]; }

  // Levels of the fake glyph of code at side g supersampled s x s.
  static std::vector<int> FakeLevels(char32_t code, int g, int s) {
    std::vector<int> levels(static_cast<std::size_t>(g * g));
    for (int j = 0; j < g; ++j) {
      for (int i = 0; i < g; ++i) {
        int set = 0;
        for (int b = 0; b < s; ++b) {
          for (int a = 0; a < s; ++a) set += FakeBit(code, g * s, i * s + a, j * s + b);
        }
        levels[j * g + i] = 63 * set / (s * s);
      }
    }
    return levels;
  }

  // The back buffer as the glyph of levels at (left, top) in colour leaves
  // it, the shadow (when on) first.
  std::vector<std::uint16_t> Expected(const std::vector<int>& levels, int g, int left, int top,
                                      std::uint16_t colour, bool shadow) {
    std::vector<std::uint16_t> pixels(back->GetPixels(), back->GetPixels() + back->GetWidth() * back->GetHeight());
    auto paint = [&](int dx, int dy, std::uint16_t c) {
      for (int j = 0; j < g; ++j) {
        for (int i = 0; i < g; ++i) {
          const int l = levels[j * g + i];
          std::uint16_t& p = pixels[(top + dy + j) * back->GetWidth() + left + dx + i];
          if (l == 63) p = c;
          else if (l > 0) p = Mix(c, p, l);
        }
      }
    };
    if (shadow) paint(1, 1, 0);
    paint(0, 0, colour);
    return pixels;
  }

  void ExpectBuffer(const std::vector<std::uint16_t>& expected) {
    int wrong = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      if (back->GetPixels()[i] != expected[i] && ++wrong <= 5) {
        ADD_FAILURE() << "pixel " << i % back->GetWidth() << "," << i / back->GetWidth() << ": "
                      << back->GetPixels()[i] << " not " << expected[i];
      }
    }
    EXPECT_EQ(wrong, 0);
  }

  std::unique_ptr<CBackBuffer> back;
};

TEST_F(MessageDrawTest, SupersampledLevelsBlendIntoTheBackBuffer) {
  for (int level = 0; level <= 3; ++level) {
    for (int shadow = 0; shadow <= 1; ++shadow) {
      SCOPED_TRACE(testing::Message() << "level " << level << " shadow " << shadow);
      window->ClearText();
      window->SetTextOrigin(0, 0);
      Fill(kBackground);
      Type("A");
      const auto expected = Expected(FakeLevels('A', 19, level + 1), 19, 0, 0, kRed, shadow);
      EXPECT_EQ(window->Draw(*back, static_cast<std::uint32_t>(level), static_cast<std::uint32_t>(shadow)), 1);
      ExpectBuffer(expected);
      EXPECT_EQ(window->cells[0].state, 0);
      // Drawn cells are not drawn again until marked.
      Fill(kBackground);
      window->Draw(*back, static_cast<std::uint32_t>(level), 0);
      EXPECT_EQ(At(5, 5), kBackground);
    }
  }
}

TEST_F(MessageDrawTest, LargeGlyphsSampleLessSoTheyFitTheTextBitmap) {
  // Font 125 gives a 100 px box: level 3 would sample 400 px, so 2 x 2.
  window->SetFontSize(125);
  window->SetTextOrigin(0, 0);
  Type("A");
  const auto expected = Expected(FakeLevels('A', 100, 2), 100, 0, 0, kRed, false);
  window->Draw(*back, 3, 0);
  ExpectBuffer(expected);
}

TEST_F(MessageDrawTest, SpecialCharactersAtSize19DrawTheirOwnTables) {
  const struct {
    const char* name;
    const char* text;
    std::uint16_t code;
  } cases[] = {{"＠ heart", "\x81\x97", 0x9781}, {"＄ drop", "\x81\x90", 0x9081}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    window->ClearText();
    window->SetTextOrigin(0, 0);
    Fill(kBackground);
    Type(c.text);
    const std::uint8_t* table = FindSpecialGlyph(c.code, 19);
    ASSERT_NE(table, nullptr);
    std::vector<int> levels(table, table + 19 * 19);
    for (int& l : levels) l >>= 2;
    const auto expected = Expected(levels, 19, 0, 0, kRed, false);
    window->Draw(*back, 3, 0);
    ExpectBuffer(expected);
    // The top-left corner of both shapes is empty, unlike the font's glyph.
    EXPECT_EQ(At(0, 5), kBackground);
  }
  // At another size the character comes from the font.
  EXPECT_EQ(FindSpecialGlyph(0x9781, 20), nullptr);
  EXPECT_EQ(FindSpecialGlyph(0x8197, 19), nullptr);
}

TEST_F(MessageDrawTest, BacklogPageIsDrawnGreyExceptRow313) {
  const std::size_t bytes = sizeof(GlyphCell) * 2;
  auto* page = static_cast<GlyphCell*>(LocalAlloc(LMEM_FIXED, bytes));
  auto* node = static_cast<EntryNode*>(LocalAlloc(LMEM_FIXED, sizeof(EntryNode)));
  ASSERT_TRUE(page && node);
  for (int i = 0; i < 2; ++i) {
    page[i] = GlyphCell{};
    page[i].inUse = 1;
    page[i].state = 1;
    page[i].code = 'A';
    page[i].cellSize = 19;
    page[i].color = 0x000000FF;
    page[i].left = static_cast<std::int16_t>(100 + 40 * i);
    page[i].top = static_cast<std::int16_t>(i == 0 ? 300 : kBacklogKeptRow);
  }
  *node = EntryNode{};
  node->firstBuffer = page;
  node->value = 2;
  window->backlog.first = node;
  window->backlogView = 1;
  window->backlogIndex = 0;
  window->Draw(*back, 0, 0);
  EXPECT_EQ(page[0].color, kBacklogColor);
  EXPECT_EQ(page[1].color, 0x000000FFu);
  EXPECT_EQ(At(105, 305), PackRgb565(0xCC, 0xCC, 0xCC));
  EXPECT_EQ(At(145, 318), kRed);
  EXPECT_EQ(page[0].state, 0);
}

TEST_F(MessageDrawTest, GlyphsAndShadowsAreClippedToTheBackBuffer) {
  // The origin near the bottom-right corner, then a line further left.
  window->SetTextOrigin(790, 590);
  Type(std::string(kWideA) + "/" + kWideA);
  window->SetTextOrigin(-10, 200);
  Type("A");
  window->Draw(*back, 3, 1);
  // 790 x 640 / 800 = 632: the first glyph is cut at x 639; nothing wraps
  // into the start of the next row.
  EXPECT_EQ(At(639, 473), kRed);
  for (int x = 0; x < 12; ++x) EXPECT_EQ(At(x, 473), kBackground) << x;
  EXPECT_EQ(At(0, 162), kRed);  // the glyph at x -8 keeps its visible part
}

TEST_F(MessageDrawTest, RenderPassDrawsTheWindowUnlessItsTextIsHidden) {
  SetScreenWidth(640);
  SetScreenHeight(480);
  CEngineBase engine;
  engine.dirtyList->SetSize(640, 480);
  engine.messageWindow = std::make_unique<CMessageWindow>();
  CMessageWindow& messageWindow = *engine.messageWindow;
  messageWindow.Setup(0, 0, 800, 600);
  messageWindow.SetLineLimits(48, 3);
  messageWindow.textColor = 0x00FFFFFF;
  messageWindow.SetVisible(1);
  messageWindow.instant = 1;
  messageWindow.AppendText("A");
  ASSERT_EQ(messageWindow.LayoutText(engine.options, engine.input, *engine.dirtyList, 100), 1);
  std::uint16_t* pixels = engine.backBuffer->GetPixels();
  auto at = [&](int x, int y) { return pixels[y * 640 + x]; };

  messageWindow.textHidden = 1;
  engine.RenderFrame(engine.LayerListHead());
  EXPECT_EQ(at(17, 18), 0);
  messageWindow.textHidden = 0;
  engine.RenderFrame(engine.LayerListHead());
  EXPECT_EQ(at(17, 18), 0xFFFF);
  // A redraw rectangle over the glyph repaints the layers, then the glyph.
  engine.dirtyList->Clear();
  RECT over{0, 0, 100, 100};
  engine.dirtyList->Add(&over, 1);
  engine.RenderFrame(engine.LayerListHead());
  EXPECT_EQ(at(17, 18), 0xFFFF);
  EXPECT_EQ(messageWindow.cells[0].state, 0);
}

}  // namespace
