#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "game/script/script_conditions.h"
#include "game/script/script_variables.h"

namespace {

TEST(ParseArgValue, KeywordsAndNumbers) {
  const struct {
    const char* text;
    std::int32_t value;
  } cases[] = {
      {"ON", 1}, {"on", 1}, {"OFF", 0}, {"Off", 0}, {"12", 12}, {"-3", -3},
      {"+7", 7}, {"0x1F", 31}, {"1a2", 102}, {"", 0}, {"ONE", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseArgValue(c.text), c.value) << c.text;
}

TEST(ScriptVariables, GlobalsByPrefixAndNamesWithoutCase) {
  ScriptVariables variables;
  EXPECT_EQ(variables.Get("route"), 0);
  EXPECT_EQ(variables.Set("route", 1), 1);
  EXPECT_EQ(variables.Set("ROUTE", 2), 0);
  EXPECT_EQ(variables.Get("Route"), 2);
  EXPECT_EQ(variables.Set("g_clear_flg", 1), 1);
  EXPECT_EQ(variables.Set("G_local", 5), 1) << "only a lower-case g makes a global";
  EXPECT_EQ(variables.Set("g_EDY", 1), 1);

  ASSERT_EQ(variables.Globals().size(), 2u);
  EXPECT_STREQ(variables.Globals()[0].name, "g_clear_flg");
  EXPECT_STREQ(variables.Globals()[1].name, "g_EDY");
  ASSERT_EQ(variables.Locals().size(), 2u);
  EXPECT_STREQ(variables.Locals()[0].name, "route");
  EXPECT_STREQ(variables.Locals()[1].name, "G_local");

  variables.ClearLocals();
  EXPECT_EQ(variables.Get("route"), 0);
  EXPECT_EQ(variables.Get("G_CLEAR_FLG"), 0) << "the prefix is case-sensitive: this is a local name";
  EXPECT_EQ(variables.Get("g_CLEAR_FLG"), 1);
}

TEST(EvaluateCondition, ComparesNumbersAndVariables) {
  ScriptVariables variables;
  variables.Set("a", 5);
  variables.Set("b", 3);
  variables.Set("\x89\xf1\x91\x7a", 1);
  const struct {
    const char* text;
    int result;
  } cases[] = {
      {"a==5", 1},   {"a!=5", 0},   {"a>=5", 1},   {"a>=6", 0},   {"a<5", 0},
      {"a<6", 1},    {"a<=5", 1},   {"a>4", 1},    {"a>5", 0},    {"a=5", 1},
      {"a=!5", 1},   {"a==6", 0},   {"(a==5)", 1}, {"(a==5", 1},  {"(a!=5)x", 0},
      {"a==b", 0},   {"b<a", 1},    {"a==0x5", 1}, {"5==a", 1},   {"10>a", 1},
      {"a==ON", 0},  {"ON==0", 1},  {"-1==0", 1},  {"x==0", 1},   {"a", 0},
      {"\x89\xf1\x91\x7a==1", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(EvaluateCondition(c.text, variables), c.result) << c.text;
}

ParsedCommand Command(const std::vector<std::string>& args) {
  ParsedCommand command;
  for (const std::string& arg : args) std::snprintf(command.args[command.count++], kCommandArgSize, "%s", arg.c_str());
  return command;
}

TEST(EvaluateConditionChain, CombinesStrictlyLeftToRight) {
  ScriptVariables variables;
  variables.Set("x", 1);
  const struct {
    std::vector<std::string> args;
    int result;
  } cases[] = {
      {{"L", "x==1"}, 1},
      {{"L", "x==0"}, 0},
      {{"L", "x==1", "|", "y==1"}, 1},
      {{"L", "x==0", "|", "y==0"}, 1},
      {{"L", "x==0", "|", "y==1"}, 0},
      {{"L", "x==1", "&", "y==0"}, 1},
      {{"L", "x==1", "&", "y==1"}, 0},
      {{"L", "x==0", "&", "x==1"}, 0},
      // (false and true) or true
      {{"L", "x==0", "&", "x==1", "|", "y==0"}, 1},
      // (true or false) and false: no precedence of and over or
      {{"L", "x==1", "|", "y==1", "&", "y==1"}, 0},
      // an argument that is neither '|' nor '&' keeps the mode
      {{"L", "x==0", "?", "x==1"}, 1},
      {{"L", "x==1", "&&", "x==1", "x", "y==1"}, 0},
      {{"L"}, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EvaluateConditionChain(Command(c.args), 1, variables), c.result) << ::testing::PrintToString(c.args);
  }
}

}  // namespace
