// The flow commands: conditions, jumps, calls and returns, random values, the
// return to the title and the choice jump.
#include <cstdlib>
#include <string>
#include <utility>

#include "common/sjis_string.h"
#include "engine/shell/scene_state.h"
#include "game/script/script_conditions.h"
#include "game/script/script_interpreter.h"

namespace {
constexpr std::uint32_t kWhite = 0x00FFFFFF;
}

// A jump to a label the script lacks is reported by SeekLabel and the run
// goes on after the jumping tag.
bool CScriptInterpreter::RunIf(std::uint32_t next) {
  if (command_.count >= 2 && EvaluateConditionChain(command_, 1, variables_) &&
      SeekLabel(command_.args[0])) {
    return true;
  }
  Advance(next);
  return true;
}

bool CScriptInterpreter::RunIfs(std::uint32_t next) {
  if (command_.count >= 3 && EvaluateConditionChain(command_, 2, variables_)) {
    JumpFromScript(command_.args[0], command_.args[1]);
    return true;
  }
  Advance(next);
  return true;
}

bool CScriptInterpreter::RunJump(std::uint32_t next) {
  if (command_.count >= 2) {
    JumpFromScript(command_.args[1], command_.args[0]);
  } else if (!SeekLabel(command_.args[0])) {
    Advance(next);
  }
  return true;
}

// One return slot: a call from inside a called script overwrites it.
bool CScriptInterpreter::RunJumpR(std::uint32_t next) {
  StrCopy(return_.name, scriptName_);
  return_.position = next;
  JumpFromScript(command_.args[1], command_.args[0]);
  return true;
}

bool CScriptInterpreter::RunReturn() {
  if (return_.name[0] != '\0') {
    char name[kReturnNameSize];
    StrCopy(name, return_.name);
    const std::uint32_t position = return_.position;
    return_.name[0] = '\0';
    if (JumpFromScript(name, "")) position_ = position;
    return true;
  }
  if (GetVariable(kRecollectionVariable) != 0) {
    services_.ReturnToTitle();
    services_.SetSceneState(SCENE_RECOLLECTION, 0);
    services_.SetBackgroundColor(kWhite);
    return false;
  }
  ReportStall("Return without a call");
  return false;
}

bool CScriptInterpreter::RunTitleReturn() {
  if (!StrEqualNoCase(command_.args[0], "MENU")) {
    ReportStall("TitleReturn without MENU");
    return false;
  }
  services_.ReturnToTitle();
  services_.SetBackgroundColor(kWhite);
  return false;
}

bool CScriptInterpreter::RunChoice(std::uint32_t next) {
  std::string label;
  if (!services_.RunChoice(stepFrames_, label)) return false;
  // No label: nothing was chosen, and the script goes on after the tag.
  if (label.empty() || !SeekLabel(label.c_str())) Advance(next);
  return false;
}

// Bounds given the wrong way round are swapped, so the range is never empty.
void CScriptInterpreter::RunRnd() {
  std::int32_t low = ParseArgValue(command_.args[1]);
  std::int32_t high = ParseArgValue(command_.args[2]);
  if (high < low) std::swap(low, high);
  const std::int64_t span = static_cast<std::int64_t>(high) - low + 1;
  SetVariable(command_.args[0], static_cast<std::int32_t>(low + std::rand() % span));
}
