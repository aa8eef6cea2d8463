#include "game/messages/message_pages.h"

#include "common/sjis_string.h"
#include "engine/runtime/engine_clock.h"
#include "engine/shell/game_engine.h"
#include "engine/shell/scene_state.h"
#include "game/frames/window_frames.h"
#include "game/input_actions.h"
#include "game/messages/message_hooks.h"
#include "game/sound/sound_commands.h"
#include "game/stores/backlog_ring.h"
#include "game/stores/seen_stores.h"
#include "host/base/diagnostics.h"

namespace {

constexpr std::int32_t kBaseFontSize = 24;
constexpr std::int32_t kTextOriginX = 126;
constexpr std::int32_t kNovelTextOriginY = 260;
constexpr std::int32_t kWindowTextOriginY = 52;
constexpr std::uint32_t kScriptPace = 100;
constexpr std::uint32_t kVoiceLockDelayMs = 100;
constexpr std::uint32_t kVoiceFadeMs = 1500;
constexpr std::uint32_t kBacklogAfterFrames = 3;
// The speaker name: 【name】, at most this many bytes between the brackets.
constexpr unsigned char kNameOpen[2] = {0x81, 0x79};
constexpr unsigned char kNameClose[2] = {0x81, 0x7A};
constexpr std::size_t kNameLimit = kSpeakerNameSize - 1;
constexpr unsigned char kSilentMark[2] = {0x81, 0x45};  // "・"
constexpr char kSilentName[] = "\x81\x45\x81\x45\x81\x45";  // "・・・"
constexpr char kChangedFrom[] = "\x83\x67\x83\x6F\x83\x8B";  // "トバル"
constexpr char kChangedTo[] = "\x83\x79\x83\x8B\x83\x82";    // "ペルモ"

bool StartsWith(const char* text, const unsigned char (&pair)[2]) {
  return static_cast<unsigned char>(text[0]) == pair[0] && static_cast<unsigned char>(text[1]) == pair[1];
}

// The name between 【 and 】 at the start of token, and where the text goes
// on after it; null when the token has no complete name of bounded length.
const char* ReadSpeakerName(const char* token, char (&name)[kSpeakerNameSize]) {
  if (!StartsWith(token, kNameOpen)) return nullptr;
  const char* p = token + 2;
  for (std::size_t length = 0; length <= kNameLimit && p[0] != '\0' && p[1] != '\0'; length += 2, p += 2) {
    if (StartsWith(p, kNameClose)) {
      StrCopy(name, length + 1, token + 2);
      return p + 2;
    }
  }
  return nullptr;
}

// 0x00RRGGBB as the window's 0x00BBGGRR.
std::uint32_t SwapRedBlue(std::uint32_t rgb) {
  return (rgb & 0xFFu) << 16 | (rgb & 0xFF00u) | (rgb >> 16 & 0xFFu);
}

// The glyph cells a text takes: line breaks and escapes take none.
std::uint32_t GlyphCount(const char* text) {
  std::uint32_t count = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    const auto byte = static_cast<unsigned char>(*p);
    if (byte == '/' || byte == '\\' || byte == '\n') continue;
    if (IsSjisLeadByte(byte) && p[1] != '\0') ++p;
    ++count;
  }
  return count;
}

void ResetTyping(CMessageWindow& window) {
  window.penX = window.textLeft;
  window.penY = window.textTop;
  window.charsInLine = 0;
  window.lineCount = 0;
  window.cursor = nullptr;
}

bool Present(const InputState& input, InputAction action) { return input.words[action] == 1; }

}  // namespace

void CMessagePages::SetFontColor(std::int32_t r, std::int32_t g, std::int32_t b) {
  state.fontColor = static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 |
                    static_cast<std::uint32_t>(b);
}

void CMessagePages::SetRubi(const char* text) { StrCopy(state.prefix, text); }

void CMessagePages::ClearTexts() {
  state.prefix[0] = '\0';
  sound_.voice.name[0] = '\0';
  state.text[0] = '\0';
  state.speaker[0] = '\0';
}

int CMessagePages::ShowMessageText(const char* token, std::uint32_t stepFrames) {
  CMessageWindow* window = engine_.messageWindow.get();
  if (window == nullptr) return 1;
  if (stepFrames == 0) {
    state.voiceEndMs = GetClockMs();
    state.voiceHeard = 0;
  }
  state.voicePlaying = engine_.mixer && engine_.mixer->GetPlayPosition(kVoiceChannel) >= 0;
  if (engine_.options[SKIP_RUNNING] || engine_.input.words[ACTION_SKIP_KEY] != 0 || engine_.options[MESSAGE_AUTO] ||
      state.voicePlaying || sound_.voice.name[0] != '\0') {
    frames_.redrawRequest = 1;
    frames_.SelectWindowButton(frames_.selectedButton);
  }
  if (stepFrames == 0) {
    if (frames_.pageOpen) {
      StrCopy(typing_, state.prefix);
      StrAppend(typing_, token);
    } else {
      StartPage(token);
    }
    state.prefix[0] = '\0';
    window->textColor = SwapRedBlue(state.fontColor);
    ReportOverflow(typing_, *window);
    StrAppend(state.text, typing_);
    window->AppendText(typing_);
  }
  return window->LayoutText(engine_.options, engine_.input, *engine_.dirtyList, kScriptPace);
}

void CMessagePages::StartPage(const char* token) {
  CMessageWindow& window = *engine_.messageWindow;
  state.text[0] = '\0';
  hooks_.CaptureSaveState();
  frames_.RemoveNamePlate();
  state.speaker[0] = '\0';
  char name[kSpeakerNameSize] = {};
  if (const char* rest = ReadSpeakerName(token, name)) {
    if (StartsWith(name, kSilentMark)) {
      StrCopy(name, kSilentName);
    } else if (engine_.options[NAME_CHANGE] && StrEqualNoCase(name, kChangedFrom)) {
      StrCopy(name, kChangedTo);
    }
    frames_.ShowNamePlate(name);
    StrCopy(state.speaker, name);
    token = rest;
  }
  StrCopy(typing_, state.prefix);
  StrAppend(typing_, token);
  window.SetTextOrigin(kTextOriginX, frames_.novel ? kNovelTextOriginY : kWindowTextOriginY);
  ResetTyping(window);
  window.SetFontSize(std::int64_t{state.fontSizeOffset} + kBaseFontSize);
  frames_.pageOpen = 1;
}

void CMessagePages::ReportOverflow(const char* added, const CMessageWindow& window) const {
  const std::size_t bytes = StrLength(window.text) + StrLength(added);
  const std::uint32_t glyphs = window.cellCount + GlyphCount(added);
  if (bytes >= kPageTextBytes || glyphs > kPageCells) {
    DiagnosticLine("message: the page holds %u glyphs and %zu bytes; the text past them is dropped", kPageCells,
                   kPageTextBytes - 1);
  }
}

int CMessagePages::WaitForReader(std::uint32_t tagPosition, std::uint32_t stepFrames) {
  if (hooks_.HandleWindowButtons() >= 0) return 0;
  InputState& input = engine_.input;
  ConfigOptions& options = engine_.options;
  const std::uint32_t now = GetClockMs();
  state.voicePlaying = engine_.mixer && engine_.mixer->GetPlayPosition(kVoiceChannel) >= 0;
  if (state.voicePlaying) {
    state.voiceEndMs = now;
    state.voiceHeard = 1;
  }
  int read = 1;
  if (options[READ_SKIP]) {
    read = seen_.HasReadMark(hooks_.CurrentScriptName(), tagPosition);
    if (!read) options[SKIP_RUNNING] = 0;
  }
  if (options[MES_LOG_START] == 0 && Present(input, ACTION_UP) && BacklogMayOpen(stepFrames)) {
    HideWindow(1);
    input.words[ACTION_UP] = 0;
    return 0;
  }
  const CMessageWindow* window = engine_.messageWindow.get();
  if (window != nullptr && window->textHidden) return WaitWhileHidden(stepFrames);

  frames_.PageEndIcon(1);
  bool advance = Present(input, ACTION_TAP) || Present(input, ACTION_ADVANCE_KEY) || Present(input, ACTION_CLICK);
  if (read && (options[SKIP_RUNNING] || input.words[ACTION_SKIP_KEY] != 0)) advance = true;
  if (advance) {
    input.words[ACTION_TAP] = 0;
    input.words[ACTION_ADVANCE_KEY] = 0;
    input.words[ACTION_CLICK] = 0;
    FinishPage(tagPosition);
    return 1;
  }
  if (options[MESSAGE_AUTO] && !state.voicePlaying && AutoAdvanceDue()) {
    FinishPage(tagPosition);
    return 1;
  }
  if (Present(input, ACTION_CENTRE)) {
    const std::uint32_t mode = options[KEY_CEN_CTRL];
    if (mode >= 2 && mode <= 5) input.words[ACTION_CENTRE] = 0;
    if (mode == 2) HideWindow(0);
    if (mode == 3 && BacklogMayOpen(stepFrames)) {
      HideWindow(1);
      return 0;
    }
    if (mode == 4) hooks_.QuickSave();
    if (mode == 5) hooks_.QuickLoad();
  }
  if (Present(input, ACTION_CANCEL)) {
    input.words[ACTION_CANCEL] = 0;
    HideWindow(0);
  }
  return 0;
}

int CMessagePages::AutoAdvanceDue() const {
  const ConfigOptions& options = engine_.options;
  std::uint32_t delay = kVoiceLockDelayMs;
  if (!(options[VOICE_AUTOLOCK] && state.voiceHeard)) {
    const std::uint32_t glyphs = engine_.messageWindow ? engine_.messageWindow->cellCount : 0;
    delay = (glyphs * options[MESSAGE_AUTO_ONE] + (options[MESSAGE_AUTO_BASE] + 1) * 20) * 10;
  }
  return GetClockMs() - state.voiceEndMs >= delay;
}

int CMessagePages::BacklogMayOpen(std::uint32_t stepFrames) const {
  return backlog_.KeptCount() > 0 && stepFrames >= kBacklogAfterFrames;
}

int CMessagePages::WaitWhileHidden(std::uint32_t stepFrames) {
  InputState& input = engine_.input;
  const bool shows = Present(input, ACTION_TAP) || Present(input, ACTION_ADVANCE_KEY) || Present(input, ACTION_CLICK);
  const bool cancel = Present(input, ACTION_CANCEL);
  if (engine_.options[MES_LOG_START] != 0 && !shows) {
    if (cancel && BacklogMayOpen(stepFrames)) {
      input.words[ACTION_CANCEL] = 0;
      HideWindow(1);
    }
    return 0;
  }
  if (shows || cancel) {
    input.words[ACTION_CANCEL] = 0;
    ShowWindowAgain();
  }
  return 0;
}

void CMessagePages::HideWindow(int backlog) {
  frames_.SelectWindowButton(-1);
  frames_.ShowMessageWindow(0);
  if (engine_.messageWindow) engine_.messageWindow->textHidden = 1;
  if (backlog) {
    hooks_.SetupBacklogScreen();
    engine_.sceneState = SCENE_BACKLOG;
  }
}

void CMessagePages::ShowWindowAgain() {
  InputState& input = engine_.input;
  input.words[ACTION_CLICK] = 0;
  input.words[ACTION_TAP] = 0;
  input.words[ACTION_ADVANCE_KEY] = 0;
  frames_.ShowMessageWindow(1);
  if (engine_.messageWindow) engine_.messageWindow->MarkGlyphs(1);
}

void CMessagePages::FinishPage(std::uint32_t tagPosition) {
  backlog_.AddBacklogEntry(sound_.voice.name, state.speaker, state.text);
  sound_.voice.name[0] = '\0';
  switch (engine_.options[VOICE_CUT_MODE]) {
    case 0:
      sound_.StopVoice(0);
      break;
    case 2:
      sound_.StopVoice(kVoiceFadeMs);
      break;
    default:
      break;
  }
  state.speaker[0] = '\0';
  state.text[0] = '\0';
  seen_.AddReadMark(hooks_.CurrentScriptName(), tagPosition);
  if (frames_.selectedButton >= 0) frames_.SelectWindowButton(-1);
  frames_.PageEndIcon(0);
}

void CMessagePages::ClearMessagePage() {
  if (CMessageWindow* window = engine_.messageWindow.get()) {
    ResetTyping(*window);
    window->ClearText();
  }
  state.text[0] = '\0';
  state.prefix[0] = '\0';
  if (frames_.novel) {
    engine_.InvalidateDesignRect(0, 260, 800, 200);
  } else {
    engine_.InvalidateDesignRect(0, 429, 800, 171);
  }
  frames_.pageOpen = 0;
}
