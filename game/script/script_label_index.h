// The labels of one loaded script, found in one pass, so that a jump costs a
// lookup instead of a scan of the whole script.
#pragma once

#include <cstdint>
#include <optional>
#include <functional>
#include <string>
#include <string_view>
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
  // Looked up by a folded name in a stack buffer: no allocation per jump.
  struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>()(key); }
  };
  std::unordered_map<std::string, std::uint32_t, KeyHash, std::equal_to<>> positions_;
  // The last label found: a loop asks for the same one over and over.
  mutable std::string lastKey_;
  mutable std::uint32_t lastPosition_ = 0;
};
