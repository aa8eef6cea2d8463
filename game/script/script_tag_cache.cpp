#include "game/script/script_tag_cache.h"

#include <cstring>

const ScriptTagCache::Entry* ScriptTagCache::Find(std::uint32_t position) const {
  const Entry& entry = entries_[position % kEntries];
  return entry.position == position ? &entry : nullptr;
}

void ScriptTagCache::Store(std::uint32_t position, std::uint32_t next, ScriptOpcode code,
                           const ParsedCommand& command) {
  Entry& entry = entries_[position % kEntries];
  entry.position = position;
  entry.next = next;
  entry.code = code;
  CopyParsedCommand(command, entry.command);
}

void ScriptTagCache::Clear() {
  for (Entry& entry : entries_) entry.position = kNoPosition;
}

void CopyParsedCommand(const ParsedCommand& parsed, ParsedCommand& out) {
  std::memcpy(out.name, parsed.name, sizeof out.name);
  for (std::uint32_t i = 0; i < parsed.count && i < kCommandArgSlots; ++i) {
    std::memcpy(out.args[i], parsed.args[i], sizeof out.args[i]);
  }
  out.count = parsed.count;
}
