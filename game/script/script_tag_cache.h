// The tags of the loaded script as the interpreter last parsed them, by
// position: a loop that never waits reads the same few tags every pass, and
// a frame may run thousands of them.
#pragma once

#include <cstdint>
#include <vector>

#include "game/script/script_command.h"

class ScriptTagCache {
 public:
  struct Entry {
    std::uint32_t position = kNoPosition;
    std::uint32_t next = 0;
    ScriptOpcode code = OP_UNKNOWN;
    ParsedCommand command;
  };

  ScriptTagCache() : entries_(kEntries) {}

  // The tag parsed at position, or null.
  const Entry* Find(std::uint32_t position) const;
  void Store(std::uint32_t position, std::uint32_t next, ScriptOpcode code, const ParsedCommand& command);
  // For a script that is dropped or replaced.
  void Clear();

 private:
  static constexpr std::uint32_t kNoPosition = 0xFFFFFFFF;
  static constexpr std::size_t kEntries = 32;
  std::vector<Entry> entries_;
};

// What ParseCommandTag would leave in out for the tag parsed into `parsed`:
// the name and the tag's own arguments; slots past its count keep their text.
void CopyParsedCommand(const ParsedCommand& parsed, ParsedCommand& out);
