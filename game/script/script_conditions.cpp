#include "game/script/script_conditions.h"

#include <cstring>

#include "common/sjis_string.h"

namespace {

bool IsOperatorChar(char c) { return c == '=' || c == '!' || c == '>' || c == '<'; }

// Copies [begin, end) into dst as a NUL-terminated text, cut to fit.
template <std::size_t N>
void CopyRange(char (&dst)[N], const char* begin, const char* end) {
  std::size_t length = 0;
  while (begin < end && length + 1 < N) dst[length++] = *begin++;
  dst[length] = '\0';
}

std::int32_t OperandValue(const char* operand, const ScriptVariables& variables) {
  if (operand[0] >= '0' && operand[0] <= '9') {
    int value = 0;
    ParseInt(operand, &value);
    return value;
  }
  return variables.Get(operand);
}

int Compare(const char* op, std::int32_t left, std::int32_t right) {
  if (std::strcmp(op, "!=") == 0) return left != right;
  if (std::strcmp(op, ">") == 0) return left > right;
  if (std::strcmp(op, ">=") == 0) return left >= right;
  if (std::strcmp(op, "<") == 0) return left < right;
  if (std::strcmp(op, "<=") == 0) return left <= right;
  return left == right;
}

}  // namespace

std::int32_t ParseArgValue(const char* text) {
  if (StrEqualNoCase(text, "ON")) return 1;
  if (StrEqualNoCase(text, "OFF")) return 0;
  int value = 0;
  ParseInt(text, &value);
  return value;
}

int EvaluateCondition(const char* text, const ScriptVariables& variables) {
  const char* begin = text;
  const char* end = text + std::strlen(text);
  if (*begin == '(') {
    ++begin;
    const char* close = std::strchr(begin, ')');
    if (close != nullptr) end = close;
  }

  const char* p = begin;
  while (p < end && !IsOperatorChar(*p)) {
    p += (IsSjisLeadByte(static_cast<unsigned char>(*p)) && p + 1 < end) ? 2 : 1;
  }
  const char* opBegin = p;
  while (p < end && IsOperatorChar(*p)) ++p;

  char left[kCommandArgSize];
  char op[kCommandArgSize];
  char right[kCommandArgSize];
  CopyRange(left, begin, opBegin);
  CopyRange(op, opBegin, p);
  CopyRange(right, p, end);
  return Compare(op, OperandValue(left, variables), OperandValue(right, variables));
}

int EvaluateConditionChain(const ParsedCommand& command, std::uint32_t first,
                           const ScriptVariables& variables) {
  bool andMode = false;
  int result = 0;
  for (std::uint32_t i = first; i < command.count; i += 2) {
    if (andMode ? result != 0 : result == 0) result = EvaluateCondition(command.args[i], variables);
    if (i + 1 < command.count) {
      const char joiner = command.args[i + 1][0];
      if (joiner == '|') andMode = false;
      if (joiner == '&') andMode = true;
    }
  }
  return result;
}
