// What the script interpreter asks of the game and the engine around it: its
// script archive, input and scene state, the handlers of the scene, sound,
// message, window and choice tags, and the return to the title. The game
// object (game/game.h) implements it.
//
// Tag handlers get the tag already split into its name and arguments, and the
// interpreter's step-frame count (0 on a token's first frame). Handlers that
// take time return 1 when their token is done.
//
// Every member with a body is a stand-in for a subsystem that is not part of
// the interpreter: it does nothing, and timed handlers report done at once.
// The game object overrides each one as its subsystem takes it over.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/script/script_command.h"

// The transition kind after which the script goes on in the same frame.
inline constexpr std::uint32_t kTransitionZoom = 3;

class ScriptServices {
 public:
  virtual ~ScriptServices() = default;

  // --- Engine state the interpreter cannot run without.
  // The whole entry of that name from the script archive; false when it
  // cannot be read.
  virtual bool ReadScript(const char* name, std::vector<char>& bytes) = 0;
  // The engine's input-state words (see game/input_actions.h).
  virtual std::uint32_t* InputWords() = 0;
  // 1 while the skip option is running.
  virtual int IsSkipping() = 0;
  virtual void SetSceneState(std::uint32_t state, std::uint32_t subState) = 0;

  // --- Seen-list of scripts.
  virtual void MarkScriptSeen(const char* /*name*/) {}

  // --- Message text and window (KW, WinClear, WinFrame and text tokens).
  virtual int ShowMessageText(const char* /*text*/, std::uint32_t /*stepFrames*/) { return 1; }
  virtual int WaitForReader(std::uint32_t /*tagPosition*/, std::uint32_t /*stepFrames*/) { return 1; }
  virtual void ClearMessagePage() {}
  virtual int IsMessageWindowShown() { return 1; }
  virtual void ShowMessageWindow(int /*show*/) {}

  // --- Tags that always finish at once.
  virtual void TagReversal(const ParsedCommand&) {}
  virtual void TagWinFrameType(const ParsedCommand&) {}
  virtual void TagWinFontSize(const ParsedCommand&) {}
  virtual void TagWinType(const ParsedCommand&) {}
  virtual void TagWinFontColor(const ParsedCommand&) {}
  virtual void TagWinRubi(const ParsedCommand&) {}
  virtual void TagWinFontColorEnd(const ParsedCommand&) {}
  virtual void TagBgSetColor(const ParsedCommand&) {}
  virtual void TagBgSet(const ParsedCommand&) {}
  virtual void TagBgSetXY(const ParsedCommand&) {}
  virtual void TagChrSetXY(const ParsedCommand&) {}
  virtual void TagChrSet(const ParsedCommand&) {}
  virtual void TagChrDel(const ParsedCommand&) {}
  virtual void TagChrSetPry(const ParsedCommand&) {}
  virtual void TagChrSetARGB(const ParsedCommand&) {}
  virtual void TagSndPlay(const ParsedCommand&) {}
  virtual void TagSndStop(const ParsedCommand&) {}
  virtual void TagMoviePlay(const ParsedCommand&) {}
  virtual void TagSltDel(const ParsedCommand&) {}
  virtual void TagSltAdd(const ParsedCommand&) {}

  // --- Tags that take frames.
  virtual int TagChrMove(const ParsedCommand&, std::uint32_t /*stepFrames*/) { return 1; }
  virtual int TagUpDate(const ParsedCommand&, std::uint32_t /*stepFrames*/) { return 1; }
  // Kind of the transition UpDate ran last (0 Normal ... 3 Zoom, 4 Scroll).
  virtual std::uint32_t TransitionKind() { return 0; }
  virtual int TagEffect(const ParsedCommand&, std::uint32_t /*stepFrames*/) { return 1; }
  // The choice screen of SltRun; once a choice is confirmed, returns 1 with
  // the chosen entry's label.
  virtual int RunChoice(std::uint32_t /*stepFrames*/, std::string& /*chosenLabel*/) { return 1; }

  // --- The game around the script.
  // Back to the title menu, dropping the game in progress (TitleReturn, and
  // the end of a recollection scene).
  virtual void ReturnToTitle() = 0;
  virtual void SetBackgroundColor(std::uint32_t /*rgb*/) {}
};
