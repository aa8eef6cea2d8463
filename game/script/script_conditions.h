// Argument values and the conditions of IF and Ifs.
#pragma once

#include <cstdint>

#include "game/script/script_command.h"
#include "game/script/script_variables.h"

// "ON" gives 1 and "OFF" 0 (ASCII case ignored); anything else is a number.
std::int32_t ParseArgValue(const char* text);

// One comparison "lhs OP rhs", optionally in parentheses. OP is ==, !=, >, >=,
// < or <=; any other run of those characters means equal. An operand that
// begins with a digit is a number, anything else names a variable. 1 or 0.
int EvaluateCondition(const char* text, const ScriptVariables& variables);

// Conditions in arguments first, first + 2, ... joined by the arguments between
// them ('|' or, '&' and), combined strictly left to right.
int EvaluateConditionChain(const ParsedCommand& command, std::uint32_t first,
                           const ScriptVariables& variables);
