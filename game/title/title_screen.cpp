#include "game/title/title_screen.h"

#include <algorithm>
#include <cstdlib>

#include "engine/pictures/picture_part_slots.h"
#include "engine/runtime/engine_clock.h"
#include "game/game.h"
#include "game/input_actions.h"
#include "game/sprites/sprite_making.h"

namespace {

constexpr int kSnapshot = 0;     // picture and part
constexpr int kCover = 1;        // part: the white or black fade
constexpr int kHighlight = 5;    // part
constexpr int kBase = 10;        // picture and part: the full-screen background
constexpr int kParts = 11;       // picture: "TITLE_PARTS"
constexpr int kEndingPart = 15;  // parts 15 to 19
constexpr std::uint32_t kWhite = 0x00FFFFFF;
constexpr std::uint32_t kBlack = 0;
constexpr std::uint32_t kFadeMs = 1000;
constexpr std::uint32_t kReturnFadeMs = 600;
constexpr int kReturnFadeEffect = 129;
constexpr std::int32_t kOpaque = 256;

// The globals that count the endings seen, by bit.
constexpr const char* kEndingGlobals[] = {"g_EDY", "g_EDR", "g_EDM", "g_EDSH", "g_EDSS"};
constexpr std::uint32_t kAllEndings = 0x1F;

struct Cut {
  std::int32_t sx, sy, w, h, x, y;
};
// The ending pictures of the cleared title, by ending bit.
constexpr Cut kEndingCuts[] = {
    {0, 0, 448, 503, 264, 97}, {920, 0, 160, 351, 647, 249}, {1080, 0, 256, 371, 288, 12},
    {448, 0, 320, 329, 488, 0}, {768, 0, 152, 329, 654, 0},
};
constexpr const char* kBasePictures[] = {"start_base_A.rbp", "start_base_B.rbp", "start_base_C.rbp"};

// Menu rows: hit rectangles and highlights, 31 px apart.
constexpr std::int32_t kRowX = 65;
constexpr std::int32_t kRowWidth = 120;
constexpr std::int32_t kRowHeight = 31;
constexpr std::int32_t kRowHitTop = 300;
constexpr std::int32_t kRowHighlightTop = 298;
constexpr std::int32_t kHighlightSourceTop = 504;

}  // namespace

void CTitleScreen::GoTo(std::uint32_t step) { game_.Engine().subState = step; }

std::uint32_t CTitleScreen::Elapsed() const { return GetClockMs() - phaseStart; }

void CTitleScreen::RunFrame() {
  switch (game_.Engine().subState) {
    case TITLE_LOGO: ShowLogo(); break;
    case TITLE_LOGO_FADE_IN: FadeInLogo(); break;
    case TITLE_LOGO_HOLD: HoldLogo(); break;
    case TITLE_MOVIE:
      // A missing opening movie simply does not start.
      game_.Engine().StartMovie("sorabel_OP");
      GoTo(TITLE_SET_UP);
      break;
    case TITLE_SET_UP: SetUp(); break;
    case TITLE_WHITE_FADE: FadeOutWhite(); break;
    case TITLE_MENU: RunMenu(); break;
    case TITLE_RETURN_FADE: {
      CGameEngine& engine = game_.Engine();
      engine.InvalidateDesignRect(0, 0, 800, 600);
      const CSpritePart* part = engine.sprites[kSnapshot].get();
      if (part != nullptr && part->IsEffectRunning()) break;
      FreePartSlot(engine, kSnapshot, 1);
      engine.pictureSlots.FreePictureSlot(kSnapshot);
      GoTo(TITLE_MENU);
      break;
    }
    case TITLE_NEW_GAME_FADE: FadeToNewGame(); break;
    case TITLE_START_GAME: game_.StartNewGame(); break;
    case TITLE_REENTRY:
      returning = 1;
      GoTo(TITLE_SET_UP);
      break;
    default:
      break;
  }
}

void CTitleScreen::ShowLogo() {
  CGameEngine& engine = game_.Engine();
  FreeAllPartSlots(engine);
  engine.pictureSlots.FreeAllPictureSlots();
  engine.pictureSlots.LoadPictureSlot(kBase, "brand_BG.rbp", 0, nullptr, nullptr);
  if (CSpritePart* part = CreateImageSprite(engine, kBase, kBase, 0, 0, 800, 600, 0, 0, 0, 0, 40)) part->SetOpacity(0);
  engine.backgroundColor = kWhite;
  phaseStart = GetClockMs();
  highlighted = chosen = kTitleNoItem;
  returning = 0;
  game_.sound.PlayLogoSound(std::rand() % 8, 0);
  GoTo(TITLE_LOGO_FADE_IN);
}

void CTitleScreen::FadeInLogo() {
  CGameEngine& engine = game_.Engine();
  CSpritePart* logo = engine.sprites[kBase].get();
  if (engine.IsAdvanceInputDown()) {
    ClearAdvanceInputs(engine.input.words.data());
    if (logo != nullptr) logo->SetOpacity(kOpaque);
    GoTo(TITLE_MOVIE);
    return;
  }
  const std::uint32_t elapsed = Elapsed();
  if (elapsed >= kFadeMs) {
    if (logo != nullptr) logo->SetOpacity(kOpaque);
    phaseStart = GetClockMs();
    GoTo(TITLE_LOGO_HOLD);
    return;
  }
  if (logo != nullptr) logo->SetOpacity(static_cast<std::int32_t>(std::min<std::uint32_t>(elapsed * 256 / kFadeMs, 256)));
}

void CTitleScreen::HoldLogo() {
  CGameEngine& engine = game_.Engine();
  if (Elapsed() < kFadeMs && !engine.IsAdvanceInputDown()) return;
  ClearAdvanceInputs(engine.input.words.data());
  phaseStart = GetClockMs();
  GoTo(TITLE_MOVIE);
}

void CTitleScreen::SetUp() {
  CGameEngine& engine = game_.Engine();
  ScriptVariables& variables = game_.Interpreter().Variables();
  engine.backgroundColor = kBlack;
  std::uint32_t endings = 0;
  for (std::uint32_t bit = 0; bit < 5; ++bit) {
    if (variables.Get(kEndingGlobals[bit]) != 0) endings |= 1u << bit;
  }
  variant = endings == kAllEndings ? 2 : variables.Get("g_clear_flg") != 0 ? 1 : 0;
  FreeAllPartSlots(engine);
  engine.pictureSlots.FreeAllPictureSlots();
  game_.frames.ResetWindowParts();
  highlighted = chosen = kTitleNoItem;
  engine.pictureSlots.LoadPictureSlot(kBase, kBasePictures[variant], 0, nullptr, nullptr);
  engine.pictureSlots.LoadPictureSlot(kParts, "TITLE_PARTS.rbp", 1, nullptr, nullptr);
  CreateImageSprite(engine, kBase, kBase, 0, 0, 800, 600, 0, 0, 0, 0, 48);
  itemCount = variant == 2 ? 7 : 6;
  if (variant == 1) {
    for (int bit = 0; bit < 5; ++bit) {
      if (!(endings & (1u << bit))) continue;
      const Cut& cut = kEndingCuts[bit];
      CreateImageSprite(engine, kEndingPart + bit, kParts, cut.sx, cut.sy, cut.w, cut.h, cut.x, cut.y, 0, 0, 40 + bit);
    }
  }
  game_.sound.PlayMusic("00", 0, 1);
  game_.sound.PlayLogoSound(std::rand() % 8, 1);
  if (!returning) {
    if (CSpritePart* cover = CreateColorSprite(engine, kCover, 0, 0, 800, 600, kWhite, 1)) cover->SetOpacity(kOpaque);
    phaseStart = GetClockMs();
    GoTo(TITLE_WHITE_FADE);
  } else {
    engine.pictureSlots.CreateBlankPictureSlot(kSnapshot, 800, 600);
    if (CImage* snapshot = engine.pictureSlots.Get(kSnapshot)) snapshot->CopyFromBackBuffer(*engine.backBuffer);
    if (CSpritePart* part = CreateImageSprite(engine, kSnapshot, kSnapshot, 0, 0, 800, 600, 0, 0, 0, 0, 0)) {
      part->StartEffect(kReturnFadeEffect, kReturnFadeMs, 0, 0, 0);
    }
    GoTo(TITLE_RETURN_FADE);
  }
  returning = 0;
}

void CTitleScreen::FadeOutWhite() {
  CGameEngine& engine = game_.Engine();
  const std::uint32_t elapsed = Elapsed();
  if (elapsed < kFadeMs && !engine.IsAdvanceInputDown()) {
    if (CSpritePart* cover = engine.sprites[kCover].get()) {
      cover->SetOpacity(static_cast<std::int32_t>(256 - std::min<std::uint32_t>(elapsed * 256 / kFadeMs, 256)));
    }
    return;
  }
  ClearAdvanceInputs(engine.input.words.data());
  FreePartSlot(engine, kCover, 1);
  phaseStart = GetClockMs();
  GoTo(TITLE_MENU);
}

bool CTitleScreen::ItemShown(std::uint32_t item) const {
  if (item == TITLE_CG_GALLERY) return variant != 0;
  if (item == TITLE_EXTRA_PICTURES) return variant == 2;
  return item < TITLE_EXTRA_PICTURES;
}

std::uint32_t CTitleScreen::ItemFromInput() {
  std::uint32_t* words = game_.Engine().input.words.data();
  std::uint32_t item = highlighted;
  if (words[ACTION_UP] == 1) {
    words[ACTION_UP] = 0;
    item = (item == 0 || item == kTitleNoItem) ? itemCount - 1 : item - 1;
    if (variant == 0 && item == TITLE_CG_GALLERY) item = TITLE_SYSTEM;
  }
  if (words[ACTION_DOWN] == 1) {
    words[ACTION_DOWN] = 0;
    item = item == kTitleNoItem ? 0 : (item + 1) % itemCount;
    if (variant == 0 && item == TITLE_CG_GALLERY) item = TITLE_EXIT;
  }
  if (words[ACTION_TAP] == 1) {
    item = kTitleNoItem;
    // Neighbouring rows share their boundary pixel: the first row wins.
    for (std::uint32_t row = 0; row < 7; ++row) {
      if (ItemShown(row) && IsStylusInDesignRect(game_.Engine(), kRowX, kRowHitTop + kRowHeight * static_cast<std::int32_t>(row),
                                                 kRowWidth, kRowHeight)) {
        item = row;
        break;
      }
    }
  }
  return item;
}

void CTitleScreen::Highlight(std::uint32_t item) {
  CGameEngine& engine = game_.Engine();
  if (highlighted != kTitleNoItem) FreePartSlot(engine, kHighlight, 1);
  if (item <= TITLE_EXTRA_PICTURES) {
    const std::int32_t row = static_cast<std::int32_t>(item);
    CreateImageSprite(engine, kHighlight, kParts, 0, kHighlightSourceTop + kRowHeight * row, kRowWidth, kRowHeight,
                      kRowX, kRowHighlightTop + kRowHeight * row, 0, 0, 32);
  }
  highlighted = item;
}

void CTitleScreen::RunMenu() {
  CGameEngine& engine = game_.Engine();
  const std::uint32_t before = highlighted;
  const std::uint32_t item = ItemFromInput();
  if (item != highlighted) Highlight(item);
  if (!engine.IsAdvanceInputDown()) return;
  ClearAdvanceInputs(engine.input.words.data());
  // A tap on another row only highlights it; the second tap runs it.
  if (item != before || item == kTitleNoItem) return;
  chosen = item;
  RunItem(item);
}

void CTitleScreen::RunItem(std::uint32_t item) {
  CGameEngine& engine = game_.Engine();
  switch (item) {
    case TITLE_NEW_GAME:
      GoTo(TITLE_NEW_GAME_FADE);
      if (CSpritePart* cover = CreateColorSprite(engine, kCover, 0, 0, 800, 600, kBlack, 1)) cover->SetOpacity(0);
      game_.sound.StopMusic(kFadeMs);
      phaseStart = GetClockMs();
      break;
    case TITLE_LOAD:
      game_.EnterSaveLoadScreen(1);
      break;
    case TITLE_QUICK_LOAD:
      game_.QuickLoad();
      break;
    case TITLE_SYSTEM:
      game_.EnterSystemScreen();
      break;
    case TITLE_CG_GALLERY:
    case TITLE_EXTRA_PICTURES:
      game_.SetSceneState(item == TITLE_CG_GALLERY ? SCENE_CG_GALLERY : SCENE_EXTRA_PICTURES, 0);
      game_.ClearExtrasSelection();
      game_.frames.DestroyMessageWindow();
      break;
    case TITLE_EXIT:
      PostMessageW(engine.GetWindow(), WM_CLOSE, 0, 0);
      game_.SetSceneState(SCENE_QUIT, SCENE_QUIT);
      break;
    default:
      break;
  }
}

void CTitleScreen::FadeToNewGame() {
  CGameEngine& engine = game_.Engine();
  const std::uint32_t elapsed = Elapsed();
  if (elapsed < kFadeMs) {
    if (CSpritePart* cover = engine.sprites[kCover].get()) {
      cover->SetOpacity(static_cast<std::int32_t>(std::min<std::uint32_t>(elapsed * 256 / kFadeMs, 256)));
    }
    return;
  }
  game_.frames.DestroyMessageWindow();
  FreeAllPartSlots(engine);
  engine.pictureSlots.FreeAllPictureSlots();
  if (engine.mixer) engine.mixer->StopAll();
  engine.screenEffectLevel = 256;
  GoTo(TITLE_START_GAME);
}
