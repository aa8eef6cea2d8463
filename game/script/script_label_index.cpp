#include "game/script/script_label_index.h"

#include "common/sjis_string.h"

namespace {

// Two names fold to the same key exactly when StrEqualNoCase holds for them.
// Writes at most capacity bytes of the key; returns its length, or capacity + 1
// when the name is longer.
std::size_t FoldName(const char* name, char* key, std::size_t capacity) {
  std::size_t length = 0;
  for (std::size_t i = 0; name[i] != '\0'; ++i) {
    if (length + 2 > capacity) return capacity + 1;
    char c = name[i];
    if (IsSjisLeadByte(static_cast<unsigned char>(c))) {
      key[length++] = c;
      if (name[i + 1] == '\0') break;
      key[length++] = name[++i];
      continue;
    }
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    key[length++] = c;
  }
  return length;
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
    char key[kTokenCapacity];
    positions_.try_emplace(std::string(key, FoldName(name, key, sizeof key)), position);
  }
}

std::optional<std::uint32_t> ScriptLabelIndex::Find(const char* label) const {
  char key[kTokenCapacity];
  const std::size_t length = FoldName(label, key, sizeof key);
  // Longer than any label a token can hold.
  if (length > sizeof key) return std::nullopt;
  const std::string_view folded(key, length);
  if (!lastKey_.empty() && folded == lastKey_) return lastPosition_;
  const auto found = positions_.find(folded);
  if (found == positions_.end()) return std::nullopt;
  lastKey_.assign(folded);
  lastPosition_ = found->second;
  return found->second;
}
