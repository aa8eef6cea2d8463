#include "game/script/script_label_index.h"

#include "common/sjis_string.h"

namespace {

// Two names fold to the same key exactly when StrEqualNoCase holds for them.
std::string FoldName(const char* name) {
  std::string key;
  for (std::size_t i = 0; name[i] != '\0'; ++i) {
    char c = name[i];
    if (IsSjisLeadByte(static_cast<unsigned char>(c))) {
      key += c;
      if (name[i + 1] == '\0') break;
      key += name[++i];
      continue;
    }
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    key += c;
  }
  return key;
}

}  // namespace

ScriptLabelIndex::ScriptLabelIndex(ScriptBytes script) {
  char token[kTokenCapacity];
  std::uint32_t position = 0;
  while (position < script.size()) {
    position = ReadNextToken(script, position, token, sizeof token);
    if (token[0] != '[') continue;
    char* name = token + 1;
    for (char* end = name; *end != '\0'; ++end) {
      if (*end == ']') {
        *end = '\0';
        break;
      }
    }
    positions_.try_emplace(FoldName(name), position);
  }
}

std::optional<std::uint32_t> ScriptLabelIndex::Find(const char* label) const {
  const auto found = positions_.find(FoldName(label));
  if (found == positions_.end()) return std::nullopt;
  return found->second;
}
