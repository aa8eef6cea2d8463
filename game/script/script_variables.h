// Script variables: signed 32-bit values by name (ASCII case ignored). Names
// that begin with "g_" (lower-case g) are global and outlive every game; all
// others are local to one play-through. Each list keeps creation order, the
// order in which saves and "system.dat" store them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr std::size_t kVariableNameSize = 32;

struct ScriptVariable {
  char name[kVariableNameSize] = {};  // at most 31 bytes; longer names are cut
  std::int32_t value = 0;
};

int IsGlobalVariableName(const char* name);

class ScriptVariables {
 public:
  // 0 when the variable does not exist.
  std::int32_t Get(const char* name) const;
  // 0 when an existing variable changed, 1 when a new one was appended.
  int Set(const char* name, std::int32_t value);

  void ClearLocals() { locals_.clear(); }
  void ClearGlobals() { globals_.clear(); }
  const std::vector<ScriptVariable>& Globals() const { return globals_; }
  const std::vector<ScriptVariable>& Locals() const { return locals_; }

 private:
  std::vector<ScriptVariable>& ListFor(const char* name) {
    return IsGlobalVariableName(name) ? globals_ : locals_;
  }
  const std::vector<ScriptVariable>& ListFor(const char* name) const {
    return IsGlobalVariableName(name) ? globals_ : locals_;
  }

  std::vector<ScriptVariable> globals_;
  std::vector<ScriptVariable> locals_;
};
