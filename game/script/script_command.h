// Script tags: the command codes their names map to, and a tag split into its
// name and arguments.
#pragma once

#include <cstddef>
#include <cstdint>

enum ScriptOpcode : std::uint32_t {
  OP_UNKNOWN = 0,
  OP_CR = 16,
  OP_KW = 17,
  OP_WIN_CLEAR = 18,
  OP_TW = 19,
  OP_RND = 22,
  OP_REVERSAL = 24,
  OP_TITLE_RETURN = 26,
  OP_TW200 = 31,
  OP_IF = 32,
  OP_MOV = 33,
  OP_JUMP = 35,
  OP_JUMP_R = 36,
  OP_RETURN = 37,
  OP_INC = 40,
  OP_IFS = 44,
  OP_WIN_FRAME = 48,
  OP_WIN_FRAME_TYPE = 49,
  OP_WAIT_ICON = 53,
  OP_WIN_FONT_SIZE = 54,
  OP_WIN_TYPE = 55,
  OP_SYSTEM_ICON = 56,
  OP_WIN_DISPLAY = 57,
  OP_WIN_FONT_COLOR = 58,
  OP_MESSAGE_SPEED = 59,
  OP_WIN_RUBI = 60,
  OP_WIN_FONT_COLOR_END = 61,
  OP_BG_SET_COLOR = 80,
  OP_BG_SET = 81,
  OP_BG_SET_XY = 82,
  OP_CHR_SET_XY = 96,
  OP_CHR_SET = 97,
  OP_CHR_MOVE = 98,
  OP_CHR_DEL = 99,
  OP_CHR_SET_PRY = 100,
  OP_CHR_SET_ARGB = 101,
  OP_UPDATE = 112,
  OP_EFFECT = 116,
  OP_SND_PLAY = 130,
  OP_SND_STOP = 131,
  OP_MOVIE_PLAY = 144,
  OP_SLT_DEL = 160,
  OP_SLT_ADD = 161,
  OP_SLT_RUN = 162,
};

struct CommandName {
  const char* name;
  ScriptOpcode code;
};
inline constexpr std::size_t kCommandCount = 43;
extern const CommandName kCommandTable[kCommandCount];

// Scripts keep to these sizes; longer pieces are cut and extra arguments
// dropped, so a careless script can never write past the slots.
inline constexpr std::size_t kCommandNameSize = 32;
inline constexpr std::size_t kCommandArgSize = 32;
inline constexpr std::size_t kCommandArgSlots = 16;

struct ParsedCommand {
  char name[kCommandNameSize] = {};
  // Slots past count keep the text of earlier tags; handlers of commands
  // given too few arguments read those, as scripts have always seen.
  char args[kCommandArgSlots][kCommandArgSize] = {};
  std::uint32_t count = 0;
};

// Splits a tag such as "<ChrSet 0,chr_a>" into its name and arguments. The
// name ends at the first blank or closing '>'; arguments are split at ',' and
// every blank inside the tag is dropped. A '>' followed by '=' does not close
// the tag. Returns 1 when the text begins with '<', else 0 with an empty name.
int ParseCommandTag(const char* tag, ParsedCommand& out);

// The code of a command name, ASCII case ignored; 0 for an unknown or empty name.
ScriptOpcode LookupCommand(const char* name);
