// The labels of one loaded script, found in one pass, so that a jump costs a
// lookup instead of a scan of the whole script.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

#include "game/script/script_tokenizer.h"

class ScriptLabelIndex {
 public:
  // Indexes every label of script; the first of each name wins.
  explicit ScriptLabelIndex(ScriptBytes script);

  // The position just after the first label of that name (ASCII case
  // ignored, double-byte characters compared as they stand), or nothing.
  std::optional<std::uint32_t> Find(const char* label) const;

 private:
  std::unordered_map<std::string, std::uint32_t> positions_;
};
