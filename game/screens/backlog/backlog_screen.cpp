#include "game/screens/backlog/backlog_screen.h"

#include <algorithm>
#include <cstring>

#include "common/sjis_string.h"
#include "engine/pictures/picture_part_slots.h"
#include "engine/shell/scene_state.h"
#include "game/game.h"
#include "game/input_actions.h"
#include "game/screens/screen_steps.h"
#include "game/sprites/sprite_making.h"

namespace {

constexpr int kBasePicture = 200;  // "LOG_BASE"
constexpr int kPartsPicture = 201;  // "LOG_PARTS"
constexpr int kTextPicture = 202;
constexpr int kLastPicture = 204;
constexpr int kBasePart = 440;
constexpr int kTextPart = 441;
constexpr int kKnobPart = 442;
constexpr int kScrollHighlightPart = 443;
constexpr int kFirstVoicePart = 445;
constexpr int kLastPart = 449;
constexpr std::int32_t kScreenWidth = 800;
constexpr std::int32_t kScreenHeight = 600;
constexpr std::int32_t kBasePriority = 7;
constexpr std::int32_t kPriority = 6;

constexpr std::int32_t kRowPitch = 110;
constexpr std::int32_t kTextSize = 22;
constexpr std::uint32_t kWhite = 0x00FFFFFF;
constexpr std::size_t kLineBytes = 63;
constexpr int kLinesShown = 3;
constexpr std::int32_t kSpeakerX = 72;
constexpr std::int32_t kSpeakerY = 22;
constexpr std::int32_t kLineX = 168;
constexpr std::int32_t kLineY = 48;
constexpr std::int32_t kLinePitch = 26;

constexpr std::int32_t kVoiceButtonX = 92;
constexpr std::int32_t kVoiceButtonY = 52;
constexpr std::int32_t kVoiceButtonWidth = 40;
constexpr std::int32_t kVoiceButtonHeight = 28;
constexpr std::int32_t kVoiceButtonHitHeight = 26;
constexpr std::int32_t kVoiceButtonSourceY = 258;
constexpr std::int32_t kVoiceButtonLitSourceY = 286;

constexpr std::int32_t kScrollX = 750;
constexpr std::int32_t kScrollWidth = 24;
constexpr std::int32_t kScrollHeight = 30;
constexpr std::int32_t kScrollButtonY[] = {0, 30, 540, 570};
constexpr std::int32_t kKnobTop = 62;
constexpr std::int32_t kKnobTravel = 378;
constexpr std::int32_t kKnobSourceY = 159;
constexpr std::int32_t kKnobHeight = 98;

bool IsScrollButton(std::uint32_t control) {
  return control >= kBacklogFirstScrollButton && control < kBacklogFirstScrollButton + 4;
}

// Splits text at '/' into lines of at most kLineBytes bytes (a longer run
// goes on in the next line, never splitting a double-byte character).
int SplitLines(const char* text, char (*lines)[kLineBytes + 1], int maxLines) {
  int count = 0;
  std::size_t used = 0;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != '\0' && count < maxLines) {
    if (*p == '/') {
      lines[count++][used] = '\0';
      used = 0;
      ++p;
      continue;
    }
    const std::size_t width = IsSjisLeadByte(*p) && p[1] != '\0' ? 2 : 1;
    if (used + width > kLineBytes) {
      lines[count++][used] = '\0';
      used = 0;
      continue;
    }
    std::memcpy(&lines[count][used], p, width);
    used += width;
    p += width;
  }
  if (count < maxLines && used > 0) lines[count++][used] = '\0';
  return count;
}

}  // namespace

void CBacklogScreen::Setup() {
  CGameEngine& engine = game_.Engine();
  count = game_.backlog.KeptCount();
  engine.pictureSlots.LoadPictureSlot(kBasePicture, "LOG_BASE", 1, nullptr, nullptr);
  CreateImageSprite(engine, kBasePart, kBasePicture, 0, 0, kScreenWidth, kScreenHeight, 0, 0, 0, 0, kBasePriority);
  engine.pictureSlots.LoadPictureSlot(kPartsPicture, "LOG_PARTS", 1, nullptr, nullptr);
  first = 0;
  DrawPage();
  game_.SetLoadSaveEnabled(0);
}

void CBacklogScreen::DrawPage() {
  CGameEngine& engine = game_.Engine();
  highlight = kBacklogNoControl;
  FreePartRange(engine, kFirstVoicePart, kLastPart);
  FreePartSlot(engine, kTextPart, 1);
  FreePartSlot(engine, kKnobPart, 1);
  engine.pictureSlots.CreateBlankPictureSlot(kTextPicture, kScreenWidth, kScreenHeight);
  CreateImageSprite(engine, kTextPart, kTextPicture, 0, 0, kScreenWidth, kScreenHeight, 0, 0, 0, 0, kPriority);
  std::memset(voices, 0, sizeof voices);
  onPage = std::min(count - first, kBacklogRows);
  CImage* textPicture = engine.pictureSlots.Get(kTextPicture);
  const auto factor = static_cast<std::int32_t>(TextAntiAliasLevel(engine.options)) + 1;
  const auto shadow = static_cast<std::int32_t>(engine.options[MESSAGE_SADOW]);
  auto render = [&](const char* line, std::int32_t x, std::int32_t y) {
    if (textPicture != nullptr && engine.messageWindow) {
      engine.messageWindow->RenderTextToImage(*textPicture, line, kTextSize, 0, kWhite, x, y, factor, shadow);
    }
  };
  for (std::uint32_t j = 0; j < onPage; ++j) {
    char voice[kBacklogVoiceSize];
    char speaker[kBacklogSpeakerSize];
    char text[kBacklogTextSize];
    if (game_.backlog.GetBacklogEntry(static_cast<std::int32_t>(first + j), &voice, &speaker, &text) < 0) continue;
    const auto r = static_cast<std::int32_t>(onPage - 1 - j);
    const std::int32_t top = kRowPitch * r;
    char lines[kLinesShown][kLineBytes + 1];
    const int lineCount = SplitLines(text, lines, kLinesShown);
    for (int m = 0; m < lineCount; ++m) render(lines[m], kLineX, top + kLineY + kLinePitch * m);
    if (speaker[0] != '\0') render(speaker, kSpeakerX, top + kSpeakerY);
    if (voice[0] == '\0') continue;
    StrCopy(voices[r], sizeof voices[r], voice);
    CreateImageSprite(engine, kFirstVoicePart + r, kPartsPicture, 0, kVoiceButtonSourceY, kVoiceButtonWidth,
                      kVoiceButtonHeight, kVoiceButtonX, top + kVoiceButtonY, 0, 0, kPriority);
  }
  // count > 5 keeps first at most count - 5, so the offset stays in 0..378.
  knobOffset = count > kBacklogRows
                   ? kKnobTravel - static_cast<std::int32_t>(first * kKnobTravel / (count - kBacklogRows))
                   : 0;
  CreateImageSprite(engine, kKnobPart, kPartsPicture, 0, kKnobSourceY, kScrollWidth, kKnobHeight, kScrollX,
                    kKnobTop + knobOffset, 0, 0, kPriority);
}

std::uint32_t CBacklogScreen::ControlUnderStylus() const {
  const CGameEngine& engine = game_.Engine();
  std::uint32_t control = kBacklogNoControl;
  for (std::uint32_t k = 0; k < 4; ++k) {
    if (IsStylusInDesignRect(engine, kScrollX, kScrollButtonY[k], kScrollWidth, kScrollHeight)) {
      control = kBacklogFirstScrollButton + k;
    }
  }
  for (std::uint32_t row = 0; row < kBacklogRows; ++row) {
    if (voices[row][0] == '\0') continue;
    if (IsStylusInDesignRect(engine, kVoiceButtonX, kVoiceButtonY + kRowPitch * static_cast<std::int32_t>(row),
                             kVoiceButtonWidth, kVoiceButtonHitHeight)) {
      control = row;
    }
  }
  return control;
}

void CBacklogScreen::ShowHighlight(std::uint32_t previous) {
  CGameEngine& engine = game_.Engine();
  if (IsScrollButton(previous)) FreePartSlot(engine, kScrollHighlightPart, 1);
  if (IsScrollButton(highlight)) {
    const std::uint32_t k = highlight - kBacklogFirstScrollButton;
    CreateImageSprite(engine, kScrollHighlightPart, kPartsPicture, 0, kScrollHeight * static_cast<std::int32_t>(k),
                      kScrollWidth, kScrollHeight, kScrollX, kScrollButtonY[k], 0, 0, kPriority);
  }
  auto voiceButton = [&](std::uint32_t row, std::int32_t sourceY) {
    const auto r = static_cast<std::int32_t>(row);
    CreateImageSprite(engine, kFirstVoicePart + r, kPartsPicture, 0, sourceY, kVoiceButtonWidth, kVoiceButtonHeight,
                      kVoiceButtonX, kRowPitch * r + kVoiceButtonY, 0, 0, kPriority);
  };
  if (previous < kBacklogRows) voiceButton(previous, kVoiceButtonSourceY);
  if (highlight < kBacklogRows) voiceButton(highlight, kVoiceButtonLitSourceY);
}

void CBacklogScreen::RunFrame() {
  CGameEngine& engine = game_.Engine();
  std::uint32_t* words = engine.input.words.data();
  const std::uint32_t h = highlight;
  if (words[ACTION_CANCEL] == 1 || words[ACTION_CLICK] == 1) {
    words[ACTION_CANCEL] = 0;
    words[ACTION_CLICK] = 0;
    Leave();
    return;
  }
  if (words[ACTION_UP] == 1 && OlderRemain()) {
    words[ACTION_UP] = 0;
    ++first;
    DrawPage();
    FreePartSlot(engine, kScrollHighlightPart, 1);
  }
  if (words[ACTION_DOWN] == 1) {
    words[ACTION_DOWN] = 0;
    if (first == 0) {
      Leave();
      return;
    }
    --first;
    DrawPage();
    FreePartSlot(engine, kScrollHighlightPart, 1);
  }
  if (words[ACTION_TAP] != 1) return;
  const std::uint32_t previous = highlight;
  highlight = ControlUnderStylus();
  if (highlight != previous) ShowHighlight(previous);
  words[ACTION_TAP] = 0;
  if (highlight != h) return;
  RunControl();
}

void CBacklogScreen::RunControl() {
  if (highlight < kBacklogRows) {
    game_.sound.PlayVoice(0, voices[highlight], 1);
    return;
  }
  if (!IsScrollButton(highlight)) return;
  // The page step clears the highlight; a scroll button keeps its own and
  // its part, so each further tap scrolls once more.
  const std::uint32_t kept = highlight;
  if (highlight < kBacklogFirstScrollButton + 2) {
    if (!OlderRemain()) return;
    ++first;
  } else {
    if (first == 0) {
      Leave();
      return;
    }
    --first;
  }
  DrawPage();
  highlight = kept;
}

void CBacklogScreen::Leave() {
  CGameEngine& engine = game_.Engine();
  FreePartRange(engine, kBasePart, kLastPart);
  FreePictureRange(engine, kBasePicture, kLastPicture);
  RestoreWindowAfterScreen(engine, game_.frames, 1);
  game_.SetLoadSaveEnabled(1);
  game_.SetSceneState(SCENE_GAME, engine.subState);
}
