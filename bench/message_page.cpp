// One page of 160 full-width glyphs typed and drawn by the message window at
// anti-alias level 3 with the drop shadow, on the installed Japanese font;
// beside it FreeType alone rendering the same glyphs at the supersampled
// size (19 x 4 = 76 px), which is what our layer adds to. The cold variant
// forgets the fonts (and their rendered glyphs) before every page.
#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>
#include <string>
#include <vector>

#include "engine/runtime/runtime_globals.h"
#include "engine/shell/back_buffer.h"
#include "engine/shell/config_options.h"
#include "engine/shell/dirty_rect_list.h"
#include "engine/shell/input_state.h"
#include "engine/text/message_font.h"
#include "engine/text/message_window.h"
#include "host/fonts/font_cache.h"
#include "host/fonts/font_catalogue.h"
#include "host/text/code_page.h"

namespace {

constexpr int kGlyphs = 160;

std::u16string PageText() {
  const std::u16string phrase = u"吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗いじめじめした所で";
  std::u16string page;
  while (page.size() < kGlyphs) page += phrase;
  return page.substr(0, kGlyphs);
}

std::string ShiftJis(const std::u16string& text) {
  std::string out(text.size() * 2 + 1, '\0');
  const int bytes = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()),
                                        nullptr, nullptr);
  out.resize(bytes > 0 ? static_cast<std::size_t>(bytes - 1) : 0);
  return out;
}

void TypeAndDrawPages(benchmark::State& state, bool cold) {
  SetDesignWidth(800);
  SetDesignHeight(600);
  SetScreenWidth(640);
  SetScreenHeight(480);
  CBackBuffer back;
  CDirtyRectList dirty;
  dirty.SetSize(640, 480);
  ConfigOptions options;
  InputState input;
  CMessageWindow window;
  window.Setup(0, 0, 800, 600);
  window.SetLineLimits(20, 8);
  window.SetVisible(1);
  window.instant = 1;
  window.textColor = 0x00FFFFFF;
  const std::string page = ShiftJis(PageText());
  for (auto _ : state) {
    if (cold) {
      DeleteMessageFont();
      HostForgetCachedFonts();
    }
    window.ClearText();
    window.SetTextOrigin(0, 0);
    dirty.Clear();
    window.AppendText(page.c_str());
    window.LayoutText(options, input, dirty, 100);
    window.Draw(back, 3, 1);
    benchmark::DoNotOptimize(back.GetPixels());
  }
  if (window.cellCount != kGlyphs) state.SkipWithError("the page did not hold 160 glyphs");
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kGlyphs);
  DeleteMessageFont();
}

void BM_MessagePage(benchmark::State& state) { TypeAndDrawPages(state, false); }
BENCHMARK(BM_MessagePage)->Unit(benchmark::kMicrosecond);

void BM_MessagePageColdFonts(benchmark::State& state) { TypeAndDrawPages(state, true); }
BENCHMARK(BM_MessagePageColdFonts)->Unit(benchmark::kMicrosecond);

void BM_FreeTypeSameGlyphs(benchmark::State& state) {
  const std::vector<FontFile> files = FindFontFiles("ＭＳ ゴシック");
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  if (files.empty() || FT_Init_FreeType(&library) != 0 ||
      FT_New_Face(library, files.front().path.c_str(), files.front().index, &face) != 0) {
    state.SkipWithError("no installed Japanese font");
    return;
  }
  FT_Size_RequestRec request{FT_SIZE_REQUEST_TYPE_CELL, 0, 76 << 6, 0, 0};
  FT_Request_Size(face, &request);
  const std::u16string page = PageText();
  for (auto _ : state) {
    for (char16_t code : page) {
      FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO);
      benchmark::DoNotOptimize(face->glyph->bitmap.buffer);
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kGlyphs);
  FT_Done_Face(face);
  FT_Done_FreeType(library);
}
BENCHMARK(BM_FreeTypeSameGlyphs)->Unit(benchmark::kMicrosecond);

}  // namespace
