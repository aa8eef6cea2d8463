#include "game/script/script_command.h"

#include "common/sjis_string.h"

const CommandName kCommandTable[kCommandCount] = {
    {"CR", OP_CR},
    {"KW", OP_KW},
    {"WinClear", OP_WIN_CLEAR},
    {"TW", OP_TW},
    {"Rnd", OP_RND},
    {"Reversal", OP_REVERSAL},
    {"TitleReturn", OP_TITLE_RETURN},
    {"TW200", OP_TW200},
    {"IF", OP_IF},
    {"Mov", OP_MOV},
    {"Jump", OP_JUMP},
    {"JumpR", OP_JUMP_R},
    {"Return", OP_RETURN},
    {"Inc", OP_INC},
    {"Ifs", OP_IFS},
    {"WinFrame", OP_WIN_FRAME},
    {"WinFrameType", OP_WIN_FRAME_TYPE},
    {"WaitIcon", OP_WAIT_ICON},
    {"WinFontSize", OP_WIN_FONT_SIZE},
    {"WinType", OP_WIN_TYPE},
    {"SystemIcon", OP_SYSTEM_ICON},
    {"WinDisplay", OP_WIN_DISPLAY},
    {"WinFontColor", OP_WIN_FONT_COLOR},
    {"MessageSpeed", OP_MESSAGE_SPEED},
    {"WinRubi", OP_WIN_RUBI},
    {"/WinFontColor", OP_WIN_FONT_COLOR_END},
    {"BgSetColor", OP_BG_SET_COLOR},
    {"BgSet", OP_BG_SET},
    {"BgSetXY", OP_BG_SET_XY},
    {"ChrSetXY", OP_CHR_SET_XY},
    {"ChrSet", OP_CHR_SET},
    {"ChrMove", OP_CHR_MOVE},
    {"ChrDel", OP_CHR_DEL},
    {"ChrSetPry", OP_CHR_SET_PRY},
    {"ChrSetARGB", OP_CHR_SET_ARGB},
    {"UpDate", OP_UPDATE},
    {"Effect", OP_EFFECT},
    {"SndPlay", OP_SND_PLAY},
    {"SndStop", OP_SND_STOP},
    {"MoviePlay", OP_MOVIE_PLAY},
    {"SltDel", OP_SLT_DEL},
    {"SltAdd", OP_SLT_ADD},
    {"SltRun", OP_SLT_RUN},
};

namespace {

char FoldAsciiLetter(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Only ">=" may stand inside a tag; every other '>' closes it.
bool ClosesTag(const char* p) { return p[0] == '>' && p[1] != '='; }

const char* SkipBlanks(const char* p) {
  while (*p == ' ') ++p;
  return p;
}

// Copies one argument (blanks dropped, double-byte characters kept whole) into
// slot, or just steps over it when slot is null; what does not fit is dropped
// from the first character that does not fit. Returns where it stopped: at
// the ',' or '>' that ends it, or at the NUL.
const char* CopyArgument(const char* p, char* slot) {
  std::size_t length = 0;
  bool full = slot == nullptr;
  while (*p != '\0' && *p != ',' && !ClosesTag(p)) {
    std::size_t width = (IsSjisLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') ? 2 : 1;
    if (*p != ' ' && !full) {
      if (length + width < kCommandArgSize) {
        for (std::size_t i = 0; i < width; ++i) slot[length++] = p[i];
      } else {
        full = true;
      }
    }
    p += width;
  }
  if (slot != nullptr) slot[length] = '\0';
  return p;
}

}  // namespace

int ParseCommandTag(const char* tag, ParsedCommand& out) {
  out.count = 0;
  out.name[0] = '\0';
  if (tag[0] != '<') return 0;

  const char* p = tag + 1;
  std::size_t length = 0;
  while (*p != '\0' && *p != ' ' && !ClosesTag(p)) {
    if (length + 1 < kCommandNameSize) out.name[length++] = *p;
    ++p;
  }
  out.name[length] = '\0';

  p = SkipBlanks(p);
  while (*p != '\0' && !ClosesTag(p)) {
    char* slot = nullptr;
    if (out.count < kCommandArgSlots) slot = out.args[out.count++];
    p = CopyArgument(p, slot);
    if (*p == ',') ++p;
    p = SkipBlanks(p);
  }
  return 1;
}

ScriptOpcode LookupCommand(const char* name) {
  if (name[0] == '\0') return OP_UNKNOWN;
  // Every token of a frame is looked up: names whose first letter differs are
  // passed over before the full comparison.
  const char first = FoldAsciiLetter(name[0]);
  for (const CommandName& entry : kCommandTable) {
    if (FoldAsciiLetter(entry.name[0]) == first && StrEqualNoCase(name, entry.name)) return entry.code;
  }
  return OP_UNKNOWN;
}
