#include "game/screens/system/system_screen.h"

#include "engine/pictures/picture_part_slots.h"
#include "engine/shell/scene_state.h"
#include "game/game.h"
#include "game/input_actions.h"
#include "game/screens/screen_steps.h"
#include "game/sprites/sprite_making.h"

namespace {

constexpr int kBasePicture = 160;   // "sys_base"
constexpr int kPartsPicture = 161;  // "sys_parts"
constexpr int kLastPicture = 164;
constexpr int kBasePart = 400;
constexpr int kButtonHighlightPart = 401;
constexpr int kReadSkipPart = 410;
constexpr int kSceneSkipPart = 411;
constexpr int kMusicKnobPart = 425;
constexpr int kEffectKnobPart = 426;
constexpr int kFirstVoiceKnobPart = 430;
constexpr int kLastPart = 439;
constexpr std::int32_t kBasePriority = 7;
constexpr std::int32_t kPriority = 6;

constexpr int kCharacters = 9;
constexpr int kVoiceLevels = 11;
constexpr int kVolumeCells = 10;
constexpr std::uint32_t kVoiceCodeStride = 15;

constexpr std::int32_t kButtonX = 508;
constexpr std::int32_t kButtonY = 546;
constexpr std::int32_t kButtonWidth = 64;
constexpr std::int32_t kButtonHeight = 56;
constexpr std::int32_t kButtonSourceY = 231;

constexpr std::int32_t kCellWidth = 12;
constexpr std::int32_t kCellHeight = 24;
constexpr std::int32_t kKnobX = 626;
constexpr std::int32_t kVolumeCellX = 638;
constexpr std::int32_t kMusicY = 158;
constexpr std::int32_t kEffectY = 186;
constexpr std::int32_t kVoiceY = 240;
constexpr std::int32_t kVoicePitch = 27;
constexpr std::int32_t kKnobSourceY = 343;
constexpr std::int32_t kKnobWidth = 16;

constexpr std::int32_t kToggleWidth = 128;
constexpr std::int32_t kToggleHeight = 21;
constexpr std::int32_t kReadSkipX = 89;
constexpr std::int32_t kReadSkipY = 336;
constexpr std::int32_t kSceneSkipX = 322;
constexpr std::int32_t kSceneSkipY = 232;
constexpr std::int32_t kSceneSkipSourceRow = 5;

// The fixed decorations: part, source x, y, w, h, position.
struct Decoration {
  int part;
  std::int32_t sx, sy, w, h, x, y;
};
constexpr Decoration kDecorations[] = {
    {420, 0, 42, 128, 21, 89, 420},  {421, 0, 189, 128, 21, 322, 401}, {422, 0, 343, 16, 24, 206, 170},
    {423, 0, 343, 16, 24, 206, 254}, {424, 0, 147, 128, 21, 322, 316},
};

bool IsButton(std::uint32_t control) { return control <= SYSTEM_QUIT; }

}  // namespace

void CSystemScreen::Enter() {
  CGameEngine& engine = game_.Engine();
  returnState = engine.sceneState;
  returnSubState = engine.subState;
  engine.sceneState = SCENE_SYSTEM;
  highlight = SYSTEM_NO_CONTROL;
  windowWasShown = HideWindowForScreen(engine, game_.frames);
  Setup();
}

void CSystemScreen::Setup() {
  CGameEngine& engine = game_.Engine();
  highlight = SYSTEM_NO_CONTROL;
  engine.pictureSlots.LoadPictureSlot(kBasePicture, "sys_base", 0, nullptr, nullptr);
  engine.pictureSlots.LoadPictureSlot(kPartsPicture, "sys_parts", 1, nullptr, nullptr);
  CreateImageSprite(engine, kBasePart, kBasePicture, 0, 0, 800, 600, 0, 0, 0, 0, kBasePriority);
  ShowReadSkip();
  ShowSceneSkip();
  for (const Decoration& d : kDecorations) {
    CreateImageSprite(engine, d.part, kPartsPicture, d.sx, d.sy, d.w, d.h, d.x, d.y, 0, 0, kPriority);
  }
  ShowKnob(kMusicKnobPart, static_cast<std::int32_t>(engine.options[MUSIC_VOL] / 10), kMusicY);
  ShowKnob(kEffectKnobPart, static_cast<std::int32_t>(engine.options[SE_VOL] / 10), kEffectY);
  for (int k = 0; k < kCharacters; ++k) {
    ShowKnob(kFirstVoiceKnobPart + k, static_cast<std::int32_t>(engine.options[static_cast<ConfigWord>(CHAR_VOICE_01 + k)]),
             kVoiceY + kVoicePitch * k);
  }
}

void CSystemScreen::ShowKnob(int part, std::int32_t level, std::int32_t y) {
  CreateImageSprite(game_.Engine(), part, kPartsPicture, 0, kKnobSourceY, kKnobWidth, kCellHeight,
                    kKnobX + kCellWidth * level, y, 0, 0, kPriority);
}

void CSystemScreen::ShowReadSkip() {
  const std::int32_t s = game_.Engine().options[READ_SKIP] == 0 ? 1 : 0;
  CreateImageSprite(game_.Engine(), kReadSkipPart, kPartsPicture, 0, kToggleHeight * s, kToggleWidth, kToggleHeight,
                    kReadSkipX, kReadSkipY + kToggleHeight * s, 0, 0, kPriority);
}

void CSystemScreen::ShowSceneSkip() {
  const std::int32_t s = game_.Interpreter().Variables().Get(kSceneSkipVariable) != 0 ? 0 : 1;
  CreateImageSprite(game_.Engine(), kSceneSkipPart, kPartsPicture, 0, kToggleHeight * (kSceneSkipSourceRow + s),
                    kToggleWidth, kToggleHeight, kSceneSkipX, kSceneSkipY + kToggleHeight * s, 0, 0, kPriority);
}

std::uint32_t CSystemScreen::ControlUnderStylus() const {
  const CGameEngine& engine = game_.Engine();
  // Later tests win: buttons, music, effects, voices, read skip, scene skip.
  std::uint32_t control = SYSTEM_NO_CONTROL;
  for (std::uint32_t b = SYSTEM_BACK; b <= SYSTEM_QUIT; ++b) {
    if (IsStylusInDesignRect(engine, kButtonX + kButtonWidth * static_cast<std::int32_t>(b), kButtonY, kButtonWidth,
                             kButtonHeight)) {
      control = b;
    }
  }
  for (std::uint32_t i = 0; i < kVolumeCells; ++i) {
    const std::int32_t x = kVolumeCellX + kCellWidth * static_cast<std::int32_t>(i);
    if (IsStylusInDesignRect(engine, x, kMusicY, kCellWidth, kCellHeight)) control = SYSTEM_MUSIC_CELL + i;
  }
  for (std::uint32_t i = 0; i < kVolumeCells; ++i) {
    const std::int32_t x = kVolumeCellX + kCellWidth * static_cast<std::int32_t>(i);
    if (IsStylusInDesignRect(engine, x, kEffectY, kCellWidth, kCellHeight)) control = SYSTEM_EFFECT_CELL + i;
  }
  for (std::uint32_t k = 0; k < kCharacters; ++k) {
    for (std::uint32_t j = 0; j < kVoiceLevels; ++j) {
      if (IsStylusInDesignRect(engine, kKnobX + kCellWidth * static_cast<std::int32_t>(j),
                               kVoiceY + kVoicePitch * static_cast<std::int32_t>(k), kCellWidth, kCellHeight)) {
        control = SYSTEM_VOICE_CELL + kVoiceCodeStride * k + j;
      }
    }
  }
  // Each toggle is tapped on the row its marker does not show.
  const std::int32_t readRow = engine.options[READ_SKIP] != 0 ? 1 : 0;
  if (IsStylusInDesignRect(engine, kReadSkipX, kReadSkipY + kToggleHeight * readRow, kToggleWidth, kToggleHeight)) {
    control = SYSTEM_READ_SKIP;
  }
  const std::int32_t sceneRow = game_.Interpreter().Variables().Get(kSceneSkipVariable) != 0 ? 1 : 0;
  if (IsStylusInDesignRect(engine, kSceneSkipX, kSceneSkipY + kToggleHeight * sceneRow, kToggleWidth,
                           kToggleHeight)) {
    control = SYSTEM_SCENE_SKIP;
  }
  return control;
}

void CSystemScreen::ShowHighlight(std::uint32_t previous) {
  CGameEngine& engine = game_.Engine();
  if (IsButton(previous)) FreePartSlot(engine, kButtonHighlightPart, 1);
  if (!IsButton(highlight)) return;
  const auto b = static_cast<std::int32_t>(highlight);
  // The highlight sits on the button's touch rectangle.
  CreateImageSprite(engine, kButtonHighlightPart, kPartsPicture, kButtonWidth * b, kButtonSourceY, kButtonWidth,
                    kButtonHeight, kButtonX + kButtonWidth * b, kButtonY, 0, 0, kPriority);
}

void CSystemScreen::RunFrame() {
  CGameEngine& engine = game_.Engine();
  std::uint32_t* words = engine.input.words.data();
  const std::uint32_t h = highlight;
  if (words[ACTION_CANCEL] == 1) {
    words[ACTION_CANCEL] = 0;
    GoBack();
    return;
  }
  std::uint32_t next = highlight;
  if (words[ACTION_UP] == 1) {
    words[ACTION_UP] = 0;
    // From none or a slider or toggle the keys land on a button.
    next = (!IsButton(h) || h == SYSTEM_BACK) ? SYSTEM_QUIT : h - 1;
  }
  if (words[ACTION_DOWN] == 1) {
    words[ACTION_DOWN] = 0;
    next = IsButton(next) ? (next + 1) % 3 : SYSTEM_BACK;
  }
  if (words[ACTION_TAP] == 1) next = ControlUnderStylus();
  if (next != highlight) {
    const std::uint32_t previous = highlight;
    highlight = next;
    ShowHighlight(previous);
  }
  if (words[ACTION_TAP] != 1 && words[ACTION_ADVANCE_KEY] != 1 && words[ACTION_CLICK] != 1) return;
  ClearAdvanceInputs(words);
  if (highlight != h) return;
  RunControl();
}

void CSystemScreen::SetVolume(std::uint32_t code) {
  CGameEngine& engine = game_.Engine();
  const bool music = code < SYSTEM_EFFECT_CELL;
  const std::uint32_t cell = code - (music ? SYSTEM_MUSIC_CELL : SYSTEM_EFFECT_CELL) + 1;
  const ConfigWord word = music ? MUSIC_VOL : SE_VOL;
  engine.systemMenu->SetOption(engine.options, word, cell * 10);
  ShowKnob(music ? kMusicKnobPart : kEffectKnobPart, static_cast<std::int32_t>(cell), music ? kMusicY : kEffectY);
  game_.ApplyVolumes(music ? 1 : 3, engine.options[word]);
}

void CSystemScreen::RunControl() {
  CGameEngine& engine = game_.Engine();
  const std::uint32_t code = highlight;
  if (code >= SYSTEM_VOICE_CELL && code < SYSTEM_VOICE_CELL + kVoiceCodeStride * kCharacters) {
    const std::uint32_t k = (code - SYSTEM_VOICE_CELL) / kVoiceCodeStride;
    const std::uint32_t j = (code - SYSTEM_VOICE_CELL) % kVoiceCodeStride;
    engine.options[static_cast<ConfigWord>(CHAR_VOICE_01 + k)] = j;
    ShowKnob(kFirstVoiceKnobPart + static_cast<int>(k), static_cast<std::int32_t>(j),
             kVoiceY + kVoicePitch * static_cast<std::int32_t>(k));
    return;
  }
  if (code >= SYSTEM_MUSIC_CELL && code < SYSTEM_EFFECT_CELL + kVolumeCells) {
    SetVolume(code);
    return;
  }
  switch (code) {
    case SYSTEM_BACK: GoBack(); break;
    case SYSTEM_TITLE: game_.ReturnToTitle(); break;
    case SYSTEM_QUIT: game_.Quit(); break;
    case SYSTEM_READ_SKIP:
      engine.systemMenu->SetOption(engine.options, READ_SKIP, engine.options[READ_SKIP] == 0 ? 1 : 0);
      ShowReadSkip();
      break;
    case SYSTEM_SCENE_SKIP: {
      ScriptVariables& variables = game_.Interpreter().Variables();
      variables.Set(kSceneSkipVariable, variables.Get(kSceneSkipVariable) == 0 ? 1 : 0);
      ShowSceneSkip();
      break;
    }
    default:
      break;
  }
}

void CSystemScreen::GoBack() {
  CGameEngine& engine = game_.Engine();
  FreePartRange(engine, kBasePart, kLastPart);
  FreePictureRange(engine, kBasePicture, kLastPicture);
  RestoreWindowAfterScreen(engine, game_.frames, windowWasShown);
  game_.SetSceneState(returnState, returnSubState);
}
