// Message pages: script text typed into the message window page by page (a
// page starts with an optional speaker name in 【】 and is a save point), the
// reader wait of KW with read-skip, skip, auto-advance by text length or by
// the voice, hiding the window and opening the backlog, and the text style
// tags (WinClear, WinFontSize, WinFontColor, /WinFontColor, WinRubi).
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/text/message_window.h"

class CBacklogRing;
class CGameEngine;
class CSeenStores;
class CSoundCommands;
class CWindowFrames;
class MessageHooks;

inline constexpr std::size_t kSpeakerNameSize = 32;
inline constexpr std::size_t kRubiTextSize = 32;
inline constexpr std::uint32_t kDefaultFontColor = 0x00FFFFFF;

// The message state a save keeps (the page-open flag lives with the window
// frames, which close the page whenever the window is rebuilt).
struct MessageState {
  char text[kPageTextBytes] = {};
  char speaker[kSpeakerNameSize] = {};
  std::int32_t fontSizeOffset = 0;
  std::uint32_t fontColor = kDefaultFontColor;  // 0x00RRGGBB
  char prefix[kRubiTextSize] = {};
  // Auto-advance: when the page's text started or the voice was last heard.
  std::uint32_t voiceEndMs = 0;
  std::uint32_t voiceHeard = 0;
  std::uint32_t voicePlaying = 0;
};

class CMessagePages {
 public:
  CMessagePages(CGameEngine& engine, CWindowFrames& frames, CBacklogRing& backlog, CSeenStores& seen,
                CSoundCommands& sound, MessageHooks& hooks)
      : engine_(engine), frames_(frames), backlog_(backlog), seen_(seen), sound_(sound), hooks_(hooks) {}

  // Every frame of a text token (stepFrames 0 on its first): 1 once all of
  // its text is shown.
  int ShowMessageText(const char* token, std::uint32_t stepFrames);
  // Every frame of a KW at tagPosition: 1 when the reader advances.
  int WaitForReader(std::uint32_t tagPosition, std::uint32_t stepFrames);
  void ClearMessagePage();

  void SetFontSizeOffset(std::int32_t offset) { state.fontSizeOffset = offset; }
  void SetFontColor(std::int32_t r, std::int32_t g, std::int32_t b);
  void ResetFontColor() { state.fontColor = kDefaultFontColor; }
  void SetRubi(const char* text);
  // Prefix, voice name, message text and speaker.
  void ClearTexts();

  MessageState state;

 private:
  void StartPage(const char* token);
  void FinishPage(std::uint32_t tagPosition);
  void ReportOverflow(const char* added, const CMessageWindow& window) const;
  int WaitWhileHidden(std::uint32_t stepFrames);
  int AutoAdvanceDue() const;
  // Hides the window as the reader asked; with backlog, opens the backlog.
  void HideWindow(int backlog);
  void ShowWindowAgain();
  int BacklogMayOpen(std::uint32_t stepFrames) const;

  CGameEngine& engine_;
  CWindowFrames& frames_;
  CBacklogRing& backlog_;
  CSeenStores& seen_;
  CSoundCommands& sound_;
  MessageHooks& hooks_;
  // The text handed to the window this token; it types from here.
  char typing_[kPageTextBytes] = {};
};
