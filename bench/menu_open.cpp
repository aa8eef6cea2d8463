// Opening the system menu's root over a 640 x 480 screen on the installed
// Japanese font, moving the highlight once and closing it again, beside its
// floor: FreeType rendering the same glyphs (every character of the panel's
// texts, the highlighted one twice) plus three copies of the screen (saving
// it, keeping the save-under, putting it back).
#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstring>
#include <string>
#include <vector>

#include "bench/peer_ratio.h"
#include "engine/runtime/file_helpers.h"
#include "engine/runtime/runtime_globals.h"
#include "game/menu/system_menu.h"
#include "host/display/display_api.h"
#include "host/fonts/font_catalogue.h"
#include "host/fonts/glyph_backend.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr std::size_t kScreenBytes = std::size_t{kWidth} * kHeight * 2;

void UseVgaScreen() {
  HostDisplaySetPanel(HostPanel{kHeight, kWidth, 0});
  SetScreenWidth(kWidth);
  SetScreenHeight(kHeight);
  HostSetGlyphBackend(MakeSystemGlyphBackend());
}

// Every character the open root draws: status line, breadcrumb, item texts,
// and the first selectable item once more in the highlight's colours.
std::u16string PanelCharacters(CSystemMenu& menu) {
  char breadcrumb[512];
  char status[128];
  menu.ComposeHeader(breadcrumb, status);
  std::string text = std::string(status) + breadcrumb;
  const MenuNode* root = menu.Root();
  for (std::uint32_t i = 0; i < root->count; ++i) text += root->items[i].text;
  for (std::uint32_t i = 0; i < root->count; ++i) {
    if (root->items[i].kind != kMenuSeparator && (root->items[i].flags & kMenuEnabled) != 0) {
      text += root->items[i].text;
      break;
    }
  }
  return AnsiToWideStatic(text.c_str());
}

void OpenMoveAndClose(CSystemMenu& menu) {
  menu.Show(nullptr);
  menu.MoveHighlight(nullptr, 0);
  menu.Hide(nullptr);
}

class FreeTypePeer {
 public:
  FreeTypePeer() {
    const std::vector<FontFile> files = FindFontFiles("ＭＳ ゴシック");
    if (files.empty() || FT_Init_FreeType(&library_) != 0 ||
        FT_New_Face(library_, files.front().path.c_str(), files.front().index, &face_) != 0) {
      return;
    }
    FT_Size_RequestRec request{FT_SIZE_REQUEST_TYPE_CELL, 0, 12 << 6, 0, 0};
    FT_Request_Size(face_, &request);
  }
  ~FreeTypePeer() {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
  }
  bool Ready() const { return face_ != nullptr; }

  void Run(const std::u16string& characters) {
    for (char16_t code : characters) {
      FT_Load_Char(face_, code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO);
      benchmark::DoNotOptimize(face_->glyph->bitmap.buffer);
    }
    for (int copy = 0; copy < 3; ++copy) {
      std::memcpy(copies_[copy % 2].data(), copies_[(copy + 1) % 2].data(), kScreenBytes);
      benchmark::ClobberMemory();
    }
  }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  std::vector<std::uint8_t> copies_[2] = {std::vector<std::uint8_t>(kScreenBytes, 1),
                                          std::vector<std::uint8_t>(kScreenBytes, 2)};
};

void BM_MenuOpenMoveClose(benchmark::State& state) {
  UseVgaScreen();
  FontListPort fonts;
  CSystemMenu menu;
  menu.BuildTree(fonts);
  for (auto _ : state) OpenMoveAndClose(menu);
  FreeTypePeer peer;
  if (!peer.Ready()) {
    state.SkipWithError("no installed Japanese font");
    return;
  }
  const std::u16string characters = PanelCharacters(menu);
  ReportPeerRatio(
      state, [&] { OpenMoveAndClose(menu); }, [&] { peer.Run(characters); });
  state.counters["glyphs"] = static_cast<double>(characters.size());
}
BENCHMARK(BM_MenuOpenMoveClose)->Unit(benchmark::kMicrosecond);

void BM_FreeTypeGlyphsAndThreeScreenCopies(benchmark::State& state) {
  UseVgaScreen();
  FontListPort fonts;
  CSystemMenu menu;
  menu.BuildTree(fonts);
  FreeTypePeer peer;
  if (!peer.Ready()) {
    state.SkipWithError("no installed Japanese font");
    return;
  }
  const std::u16string characters = PanelCharacters(menu);
  for (auto _ : state) peer.Run(characters);
}
BENCHMARK(BM_FreeTypeGlyphsAndThreeScreenCopies)->Unit(benchmark::kMicrosecond);

}  // namespace
