// The game object around the script interpreter, recording: scripts from a
// map (else from the engine's script archive), an input-state array, and a
// log line for every handler call and every reset step.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/shell/game_app.h"
#include "game/game.h"

// Script text as written in the tests, with every "\n" made a CR LF.
inline std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// "Name a,b,c" for a tag handler's log line.
inline std::string TagLine(const ParsedCommand& command) {
  std::string line = command.name;
  for (std::uint32_t i = 0; i < command.count; ++i) line += (i == 0 ? " " : ",") + std::string(command.args[i]);
  return line;
}

// Made before the game that refers to it.
struct EngineHolder {
  CGameApp engine;
};

class RecordingGame : private EngineHolder, public CGame {
 public:
  RecordingGame() : CGame(EngineHolder::engine) {}
  using EngineHolder::engine;

  std::map<std::string, std::string> scripts;
  std::uint32_t input[280] = {};
  int skipping = 0;
  std::vector<std::string> log;
  int scriptReads = 0;

  // Frames a handler needs before it reports done (1 = done on its first frame).
  std::uint32_t textFrames = 1;
  std::uint32_t readerFrames = 1;
  std::uint32_t timedFrames = 1;
  std::uint32_t choiceFrames = 1;
  std::uint32_t transitionKind = 0;
  std::string choiceLabel;
  int windowShown = 1;
  std::uint32_t sceneState = 0xFFFFFFFF;
  std::uint32_t subState = 0xFFFFFFFF;

  bool ReadScript(const char* name, std::vector<char>& bytes) override {
    ++scriptReads;
    if (scripts.empty()) return CGame::ReadScript(name, bytes);
    auto found = scripts.find(name);
    if (found == scripts.end()) return false;
    bytes.assign(found->second.begin(), found->second.end());
    return true;
  }
  std::uint32_t* InputWords() override { return input; }
  int IsSkipping() override { return skipping; }
  void SetSceneState(std::uint32_t state, std::uint32_t sub) override {
    CGame::SetSceneState(state, sub);
    sceneState = state;
    subState = sub;
    Log("SetSceneState " + std::to_string(state) + "," + std::to_string(sub));
  }
  void MarkScriptSeen(const char* name) override { Log(std::string("MarkScriptSeen ") + name); }

  int ShowMessageText(const char* text, std::uint32_t step) override {
    Log("text " + std::string(text) + " @" + std::to_string(step));
    return step + 1 >= textFrames;
  }
  int WaitForReader(std::uint32_t position, std::uint32_t step) override {
    Log("KW " + std::to_string(position) + " @" + std::to_string(step));
    return step + 1 >= readerFrames;
  }
  void ClearMessagePage() override { Log("WinClear"); }
  int IsMessageWindowShown() override { return windowShown; }
  void ShowMessageWindow(int show) override {
    windowShown = show;
    Log("ShowMessageWindow " + std::to_string(show));
  }

  void TagReversal(const ParsedCommand& c) override { Log(TagLine(c)); }
  void TagWinFrameType(const ParsedCommand& c) override { Log(TagLine(c)); }
  void TagWinFontSize(const ParsedCommand& c) override { Log(TagLine(c)); }
  void TagWinType(const ParsedCommand& c) override { Log(TagLine(c)); }
  void TagWinFontColor(const ParsedCommand& c) override { Log(TagLine(c)); }
  void TagWinRubi(const ParsedCommand& c) override { Log(TagLine(c)); }
  void TagWinFontColorEnd(const ParsedCommand& c) override { Log(TagLine(c)); }
  void TagBgSetColor(const ParsedCommand& c) override { Log(TagLine(c)); }
  void TagBgSet(const ParsedCommand& c) override { Log(TagLine(c)); }
  void TagBgSetXY(const ParsedCommand& c) override { Log(TagLine(c)); }
  void TagChrSetXY(const ParsedCommand& c) override { Log(TagLine(c)); }
  void TagChrSet(const ParsedCommand& c) override { Log(TagLine(c)); }
  void TagChrDel(const ParsedCommand& c) override { Log(TagLine(c)); }
  void TagChrSetPry(const ParsedCommand& c) override { Log(TagLine(c)); }
  void TagChrSetARGB(const ParsedCommand& c) override { Log(TagLine(c)); }
  void TagSndPlay(const ParsedCommand& c) override { Log(TagLine(c)); }
  void TagSndStop(const ParsedCommand& c) override { Log(TagLine(c)); }
  void TagMoviePlay(const ParsedCommand& c) override { Log(TagLine(c)); }
  void TagSltDel(const ParsedCommand& c) override { Log(TagLine(c)); }
  void TagSltAdd(const ParsedCommand& c) override { Log(TagLine(c)); }

  int TagChrMove(const ParsedCommand& c, std::uint32_t step) override { return Timed(c, step); }
  int TagUpDate(const ParsedCommand& c, std::uint32_t step) override { return Timed(c, step); }
  std::uint32_t TransitionKind() override { return transitionKind; }
  int TagEffect(const ParsedCommand& c, std::uint32_t step) override { return Timed(c, step); }
  int RunChoice(std::uint32_t step, std::string& label) override {
    Log("SltRun @" + std::to_string(step));
    if (step + 1 < choiceFrames) return 0;
    label = choiceLabel;
    return 1;
  }

  void ReturnToTitle() override {
    Log("ReturnToTitle");
    CGame::ReturnToTitle();
  }
  void SetBackgroundColor(std::uint32_t rgb) override {
    Log("SetBackgroundColor " + std::to_string(rgb));
    CGame::SetBackgroundColor(rgb);
  }

  // The log so far, emptied.
  std::vector<std::string> Take() {
    std::vector<std::string> taken;
    taken.swap(log);
    return taken;
  }

 protected:
  void SetSaveEntryEnabled(int enabled) override { Log("SetSaveEntryEnabled " + std::to_string(enabled)); }
  void StopMovie() override { Log("StopMovie"); }
  void StopAllSounds() override { Log("StopAllSounds"); }
  void FreeRuleTransition() override {
    Log("FreeRuleTransition");
    CGame::FreeRuleTransition();
  }
  void FreeAllPartSlots() override { Log("FreeAllPartSlots"); }
  void FreeAllPictureSlots() override {
    Log("FreeAllPictureSlots");
    CGame::FreeAllPictureSlots();
  }
  void DestroyMessageWindow() override { Log("DestroyMessageWindow"); }
  void ResetWindowParts() override { Log("ResetWindowParts"); }
  void FreeSaveThumbnail() override { Log("FreeSaveThumbnail"); }
  void ClearSaveHeader() override { Log("ClearSaveHeader"); }
  void ClearSceneRecords() override { Log("ClearSceneRecords"); }
  void ClearSoundRecords() override {
    Log("ClearSoundRecords");
    CGame::ClearSoundRecords();
  }
  void ClearChoiceRecords() override { Log("ClearChoiceRecords"); }
  void ClearBacklog() override { Log("ClearBacklog"); }
  void ClearMessageTexts() override { Log("ClearMessageTexts"); }
  void DropPreviousChoice() override {
    Log("DropPreviousChoice");
    CGame::DropPreviousChoice();
  }
  void InvalidateDesignRect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) override {
    Log("InvalidateDesignRect " + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," +
        std::to_string(h));
    CGame::InvalidateDesignRect(x, y, w, h);
  }
  void SetMessageFontColor(std::uint32_t rgb) override { Log("SetMessageFontColor " + std::to_string(rgb)); }
  void SetMessageFontSize(std::int32_t size) override { Log("SetMessageFontSize " + std::to_string(size)); }

 private:
  void Log(const std::string& line) { log.push_back(line); }
  int Timed(const ParsedCommand& c, std::uint32_t step) {
    Log(TagLine(c) + " @" + std::to_string(step));
    return step + 1 >= timedFrames;
  }
};
