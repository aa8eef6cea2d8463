#include "game/script/script_interpreter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "common/sjis_string.h"
#include "engine/runtime/engine_clock.h"
#include "game/input_actions.h"
#include "game/script/script_conditions.h"
#include "host/base/diagnostics.h"

namespace {

// A script that jumps in a circle without waiting would otherwise never give
// the frame back; past this many tokens the run resumes next frame.
constexpr int kTokensPerFrame = 4096;
// Each script read costs a pass over its bytes (and one more to index its
// labels), so a circle of calls between scripts also ends the frame once
// this much has been read; the run resumes next frame.
constexpr std::size_t kScriptBytesPerFrame = 16 * 1024;

// Tags that finish at once and let the run go on; a null handler has no effect.
struct InstantTag {
  ScriptOpcode code;
  void (ScriptServices::*handler)(const ParsedCommand&);
};
constexpr InstantTag kInstantTags[] = {
    {OP_CR, nullptr},
    {OP_REVERSAL, &ScriptServices::TagReversal},
    {OP_WIN_FRAME_TYPE, &ScriptServices::TagWinFrameType},
    {OP_WAIT_ICON, nullptr},
    {OP_WIN_FONT_SIZE, &ScriptServices::TagWinFontSize},
    {OP_WIN_TYPE, &ScriptServices::TagWinType},
    {OP_SYSTEM_ICON, nullptr},
    {OP_WIN_DISPLAY, nullptr},
    {OP_WIN_FONT_COLOR, &ScriptServices::TagWinFontColor},
    {OP_MESSAGE_SPEED, nullptr},
    {OP_WIN_RUBI, &ScriptServices::TagWinRubi},
    {OP_WIN_FONT_COLOR_END, &ScriptServices::TagWinFontColorEnd},
    {OP_BG_SET_COLOR, &ScriptServices::TagBgSetColor},
    {OP_BG_SET, &ScriptServices::TagBgSet},
    {OP_BG_SET_XY, &ScriptServices::TagBgSetXY},
    {OP_CHR_SET_XY, &ScriptServices::TagChrSetXY},
    {OP_CHR_SET, &ScriptServices::TagChrSet},
    {OP_CHR_DEL, &ScriptServices::TagChrDel},
    {OP_CHR_SET_PRY, &ScriptServices::TagChrSetPry},
    {OP_CHR_SET_ARGB, &ScriptServices::TagChrSetARGB},
    {OP_SND_PLAY, &ScriptServices::TagSndPlay},
    {OP_SND_STOP, &ScriptServices::TagSndStop},
    {OP_MOVIE_PLAY, &ScriptServices::TagMoviePlay},
    {OP_SLT_DEL, &ScriptServices::TagSltDel},
    {OP_SLT_ADD, &ScriptServices::TagSltAdd},
};

}  // namespace

int CScriptInterpreter::RunScriptFrame() {
  char token[kTextTokenCapacity];
  bytesReadThisFrame_ = 0;
  for (int budget = kTokensPerFrame; budget > 0 && hasScript_ && bytesReadThisFrame_ < kScriptBytesPerFrame;
       --budget) {
    const std::uint32_t start = position_;
    jumped_ = false;
    bool goOn = false;
    if (const ScriptTagCache::Entry* tag = tags_.Find(start)) {
      CopyParsedCommand(tag->command, command_);
      goOn = RunCommand(tag->code, start, tag->next);
    } else if (const std::uint32_t next = ReadNextToken(Script(), start, token, sizeof token); token[0] == '<') {
      ParseCommandTag(token, command_);
      const ScriptOpcode code = LookupCommand(command_.name);
      tags_.Store(start, next, code, command_);
      goOn = RunCommand(code, start, next);
    } else if (token[0] == '[') {
      Advance(next);
      goOn = true;
    } else if (token[0] == '\0' && next >= text_.size()) {
      ReportStall("the script ends here");
    } else {
      goOn = RunText(token, next);
    }
    if (jumped_ || position_ != start) {
      stepFrames_ = 0;
    } else {
      ++stepFrames_;
    }
    if (!goOn) break;
  }
  return 1;
}

bool CScriptInterpreter::RunText(const char* text, std::uint32_t next) {
  if (!services_.IsMessageWindowShown()) services_.ShowMessageWindow(1);
  if (services_.ShowMessageText(text, stepFrames_)) Advance(next);
  return false;
}

bool CScriptInterpreter::RunCommand(ScriptOpcode code, std::uint32_t tagPosition, std::uint32_t next) {
  switch (code) {
    case OP_KW:
      return RunTimedTag(services_.WaitForReader(tagPosition, stepFrames_), next);
    case OP_WIN_CLEAR:
      services_.ClearMessagePage();
      Advance(next);
      return false;
    case OP_TW:
      return RunTimedTag(WaitMs(ParseArgValue(command_.args[0]), 1), next);
    case OP_TW200:
      return RunTimedTag(WaitMs(200, 1), next);
    case OP_RND:
      RunRnd();
      Advance(next);
      return true;
    case OP_MOV: {
      int value = 0;
      ParseInt(command_.args[1], &value);
      SetVariable(command_.args[0], value);
      Advance(next);
      return true;
    }
    case OP_INC: {
      // Wraps at the top of the range instead of overflowing.
      const std::uint32_t value = static_cast<std::uint32_t>(GetVariable(command_.args[0])) + 1u;
      SetVariable(command_.args[0], static_cast<std::int32_t>(value));
      Advance(next);
      return true;
    }
    case OP_TITLE_RETURN:
      return RunTitleReturn();
    case OP_IF:
      return RunIf(next);
    case OP_IFS:
      return RunIfs(next);
    case OP_JUMP:
      return RunJump(next);
    case OP_JUMP_R:
      return RunJumpR(next);
    case OP_RETURN:
      return RunReturn();
    case OP_WIN_FRAME:
      services_.ShowMessageWindow(ParseArgValue(command_.args[0]) != 0);
      Advance(next);
      return false;
    case OP_CHR_MOVE:
      return RunTimedTag(services_.TagChrMove(command_, stepFrames_), next);
    case OP_EFFECT:
      return RunTimedTag(services_.TagEffect(command_, stepFrames_), next);
    case OP_UPDATE:
      // A finished zoom leaves its frame on screen and lets the script go on.
      if (!services_.TagUpDate(command_, stepFrames_)) return false;
      Advance(next);
      return services_.TransitionKind() == kTransitionZoom;
    case OP_SLT_RUN:
      return RunChoice(next);
    default:
      for (const InstantTag& tag : kInstantTags) {
        if (tag.code != code) continue;
        if (tag.handler != nullptr) (services_.*tag.handler)(command_);
        Advance(next);
        return true;
      }
      ReportStall("unknown tag");
      return false;
  }
}

bool CScriptInterpreter::RunTimedTag(int done, std::uint32_t next) {
  if (done) Advance(next);
  return false;
}

int CScriptInterpreter::WaitMs(std::int32_t ms, int skippable) {
  const std::uint32_t now = GetClockMs();
  if (stepFrames_ == 0) {
    waitStart_ = now;
  } else if (std::llabs(static_cast<long long>(ms)) <= static_cast<long long>(now - waitStart_)) {
    return 1;
  }
  if (!skippable) return 0;
  const std::uint32_t* input = services_.InputWords();
  if (input[ACTION_TAP] == 1 || input[ACTION_ADVANCE_KEY] == 1 || input[ACTION_CLICK] == 1 ||
      services_.IsSkipping()) {
    return 1;
  }
  return input[ACTION_SKIP_KEY] != 0;
}

int CScriptInterpreter::JumpToScript(const char* name, const char* label) {
  jumped_ = true;
  if (StrLength(name) >= kScriptNameSize) {
    DiagnosticLine("script: the name \"%s\" is longer than %zu bytes; the script stops", name,
                 kScriptNameSize - 1);
    DropScript();
    return 0;
  }
  char wanted[kScriptNameSize];
  StrCopy(wanted, name);  // name may point into the return slot or the arguments
  DropScript();
  StrCopy(scriptName_, wanted);
  services_.MarkScriptSeen(scriptName_);
  if (!services_.ReadScript(scriptName_, text_)) {
    DiagnosticLine("script: \"%s\" cannot be read from the script archive; the script stops",
                 scriptName_);
    text_.clear();
    return 0;
  }
  bytesReadThisFrame_ += text_.size();
  hasScript_ = true;
  if (label[0] != '\0') SeekLabel(label);
  return 1;
}

void CScriptInterpreter::RestoreReadPosition(std::uint32_t position) {
  position_ = std::min(position, static_cast<std::uint32_t>(text_.size()));
  stepFrames_ = 0;
  jumped_ = true;
}

int CScriptInterpreter::JumpFromScript(const char* name, const char* label) {
  if (!hasScript_ || std::strcmp(name, scriptName_) != 0) return JumpToScript(name, label);
  // The script already loaded is restarted, not read again: a loop through
  // it would otherwise read the whole script at every pass.
  position_ = 0;
  stepFrames_ = 0;
  jumped_ = true;
  services_.MarkScriptSeen(scriptName_);
  if (label[0] != '\0') SeekLabel(label);
  return 1;
}

int CScriptInterpreter::SeekLabel(const char* label) {
  if (!labels_) labels_.emplace(Script());
  const std::optional<std::uint32_t> found = labels_->Find(label);
  if (!found) {
    // Once per label and load: a loop that keeps missing it would otherwise
    // write a line at every pass, thousands a frame.
    if (missingLabelsReported_.emplace(label).second) {
      DiagnosticLine("script: \"%s\" has no label [%s]", scriptName_, label);
    }
    return 0;
  }
  position_ = *found;
  jumped_ = true;
  return 1;
}

void CScriptInterpreter::ReportStall(const char* why) const {
  // Reported on the first frame only; the run stays on the token.
  if (stepFrames_ != 0) return;
  DiagnosticLine("script: %s at byte %u of \"%s\"; the script waits there", why, position_,
               scriptName_);
}

void CScriptInterpreter::DropScript() {
  std::vector<char>().swap(text_);
  labels_.reset();
  missingLabelsReported_.clear();
  tags_.Clear();
  hasScript_ = false;
  position_ = 0;
  stepFrames_ = 0;
  jumped_ = true;
}

void CScriptInterpreter::ClearScriptState() {
  DropScript();
  scriptName_[0] = '\0';
  return_ = CallReturn();
}
