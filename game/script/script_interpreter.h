// The script interpreter: runs the current script from its read position
// once per frame of the game screen, one token after another, until a token
// needs more frames or ends the run. It owns the script text, the read
// position and step-frame count, the call return slot and the variables, and
// carries out the flow commands itself; everything else goes to the engine
// through ScriptServices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "game/script/script_command.h"
#include "game/script/script_label_index.h"
#include "game/script/script_tag_cache.h"
#include "game/script/script_services.h"
#include "game/script/script_tokenizer.h"
#include "game/script/script_variables.h"

// Script names go into 24-byte fields of saves and read marks.
inline constexpr std::size_t kScriptNameSize = 24;
inline constexpr std::size_t kReturnNameSize = 32;

// The local variable a recollection scene sets, so that its final Return goes
// back to the recollection screen ("回想" in Shift-JIS).
inline constexpr char kRecollectionVariable[] = "\x89\xf1\x91\x7a";

struct CallReturn {
  char name[kReturnNameSize] = {};  // empty: no call pending
  std::uint32_t position = 0;
};

class CScriptInterpreter {
 public:
  explicit CScriptInterpreter(ScriptServices& services) : services_(services) {}

  // The per-frame handler of the game screen. Always 1.
  int RunScriptFrame();

  // Loads a script from the archive and, with a non-empty label, seeks it.
  // 0 when the name is too long or the entry cannot be read: the interpreter
  // then holds no script and stays idle until another script is loaded.
  int JumpToScript(const char* name, const char* label);
  // Moves the read position after the first label of that name in the
  // current script. 0, with the position unchanged, when there is none.
  int SeekLabel(const char* label);
  // A wait of |ms| from the token's first frame; when skippable, a tap, the
  // advance key, a click, the skip option or the held skip key end it early.
  int WaitMs(std::int32_t ms, int skippable);

  std::int32_t GetVariable(const char* name) const { return variables_.Get(name); }
  int SetVariable(const char* name, std::int32_t value) { return variables_.Set(name, value); }
  ScriptVariables& Variables() { return variables_; }

  // Drops the script, its name and any pending call return (variables stay).
  void ClearScriptState();

  bool HasScript() const { return hasScript_; }
  const char* ScriptName() const { return scriptName_; }
  ScriptBytes Script() const { return ScriptBytes(text_.data(), text_.size()); }
  std::uint32_t ReadPosition() const { return position_; }
  std::uint32_t StepFrames() const { return stepFrames_; }
  const ParsedCommand& Command() const { return command_; }
  CallReturn& Return() { return return_; }
  // A loaded game's place in the script just loaded (past its end: the end),
  // counting its frames from 0.
  void RestoreReadPosition(std::uint32_t position);

 private:
  // Each returns whether the run goes on with the next token in this frame.
  bool RunText(const char* text, std::uint32_t next);
  bool RunCommand(ScriptOpcode code, std::uint32_t tagPosition, std::uint32_t next);
  bool RunTimedTag(int done, std::uint32_t next);
  bool RunIf(std::uint32_t next);
  bool RunIfs(std::uint32_t next);
  bool RunJump(std::uint32_t next);
  bool RunJumpR(std::uint32_t next);
  bool RunReturn();
  bool RunTitleReturn();
  bool RunChoice(std::uint32_t next);
  void RunRnd();
  // Notes on standard error why the run stays on a token (first frame only).
  void ReportStall(const char* why) const;

  // JumpToScript for the script's own jumps, calls and returns: the script
  // already loaded is restarted without being read again.
  int JumpFromScript(const char* name, const char* label);
  void Advance(std::uint32_t next) { position_ = next; }
  // Frees the script and clears everything that belongs to it.
  void DropScript();

  ScriptServices& services_;
  std::vector<char> text_;
  // Built at the first label seek after a load, so a looping jump costs a
  // lookup, not a scan of the script.
  std::optional<ScriptLabelIndex> labels_;
  std::set<std::string> missingLabelsReported_;
  ScriptTagCache tags_;
  bool hasScript_ = false;
  char scriptName_[kScriptNameSize] = {};
  std::uint32_t position_ = 0;
  std::uint32_t stepFrames_ = 0;
  // Set by every jump and load, so the next token starts its count at 0 even
  // when it sits where the previous one did.
  bool jumped_ = false;
  // Script bytes read by jumps since the frame began.
  std::size_t bytesReadThisFrame_ = 0;
  ParsedCommand command_;
  CallReturn return_;
  std::uint32_t waitStart_ = 0;
  ScriptVariables variables_;
};
