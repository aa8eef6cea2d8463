#include "game/script/script_variables.h"

#include "common/sjis_string.h"

int IsGlobalVariableName(const char* name) { return name[0] == 'g' && name[1] == '_'; }

std::int32_t ScriptVariables::Get(const char* name) const {
  for (const ScriptVariable& variable : ListFor(name)) {
    if (StrEqualNoCase(variable.name, name)) return variable.value;
  }
  return 0;
}

int ScriptVariables::Set(const char* name, std::int32_t value) {
  std::vector<ScriptVariable>& list = ListFor(name);
  for (ScriptVariable& variable : list) {
    if (StrEqualNoCase(variable.name, name)) {
      variable.value = value;
      return 0;
    }
  }
  ScriptVariable& added = list.emplace_back();
  StrCopy(added.name, name);
  added.value = value;
  return 1;
}
