#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/script/script_command.h"
#include "game/script/script_label_index.h"
#include "game/script/script_tokenizer.h"

namespace {

ScriptBytes Bytes(const std::string& script) { return ScriptBytes(script.data(), script.size()); }

// Every token of the script, read the way the interpreter reads them. The
// script is copied into a buffer of its exact size so that the sanitizer
// build catches any read past its end.
std::vector<std::string> Tokens(const std::string& script) {
  std::vector<char> exact(script.begin(), script.end());
  const ScriptBytes bytes(exact.data(), exact.size());
  std::vector<std::string> tokens;
  char token[kTextTokenCapacity];
  std::uint32_t position = 0;
  while (position < bytes.size()) {
    const std::uint32_t next = ReadNextToken(bytes, position, token, sizeof token);
    EXPECT_GT(next, position) << "no progress at " << position;
    if (next <= position) break;
    if (token[0] != '\0') tokens.emplace_back(token);
    position = next;
  }
  return tokens;
}

struct TagCase {
  const char* tag;
  const char* name;
  std::vector<std::string> args;
};

TEST(ParseCommandTag, SplitsNamesAndArguments) {
  const TagCase cases[] = {
      {"<A>", "A", {}},
      {"<A >", "A", {}},
      {"<A x,>", "A", {"x"}},
      {"<A x, >", "A", {"x"}},
      {"<A x,,y>", "A", {"x", "", "y"}},
      {"<SndPlay   bgm01 , 0 1 ,LOOP >", "SndPlay", {"bgm01", "01", "LOOP"}},
      {"<IF L,a >= 3>", "IF", {"L", "a>=3"}},
      {"<IF L,a>3>", "IF", {"L", "a"}},
      {"<ChrSet,0,a>", "ChrSet,0,a", {}},
      {"<>", "", {}},
      {"<Mov \x89\xf1\x91\x7a,1>", "Mov", {"\x89\xf1\x91\x7a", "1"}},
      {"<SltAdd 0,\x82\xa0\x81\x40\x82\xa2>", "SltAdd", {"0", "\x82\xa0\x81\x40\x82\xa2"}},
      {"<SltAdd 0,\"a b,c\">", "SltAdd", {"0", "\"ab", "c\""}},  // quotes are plain bytes
      {"<A x", "A", {"x"}},
      {"<A", "A", {}},
  };
  for (const TagCase& c : cases) {
    ParsedCommand command;
    EXPECT_EQ(ParseCommandTag(c.tag, command), 1) << c.tag;
    EXPECT_STREQ(command.name, c.name) << c.tag;
    ASSERT_EQ(command.count, c.args.size()) << c.tag;
    for (std::size_t i = 0; i < c.args.size(); ++i) EXPECT_EQ(command.args[i], c.args[i]) << c.tag;
  }
}

// Names and arguments longer than their fields keep what fits (a double-byte
// character whole or not at all); arguments past the last slot are read over.
TEST(ParseCommandTag, OverlongNamesArgumentsAndExtraArgumentsStayInTheirFields) {
  const std::string longName(40, 'N');
  const std::string longArg(40, 'a');
  const std::string wideArg = std::string(kCommandArgSize - 2, 'w') + "\x82\xa0";
  std::string manyArgs = "<Mov ";
  for (int k = 0; k < 20; ++k) manyArgs += std::to_string(k) + ",";
  manyArgs += "last>";
  const std::string nameTag = "<" + longName + " x>";
  const std::string argTag = "<Mov " + longArg + ",1>";
  const std::string wideTag = "<Mov " + wideArg + ">";
  const TagCase cases[] = {
      {nameTag.c_str(), nullptr, {"x"}},
      {argTag.c_str(), "Mov", {longArg.substr(0, kCommandArgSize - 1), "1"}},
      {wideTag.c_str(), "Mov", {wideArg.substr(0, kCommandArgSize - 2)}},
  };
  for (const TagCase& c : cases) {
    ParsedCommand command;
    ASSERT_EQ(ParseCommandTag(c.tag, command), 1) << c.tag;
    EXPECT_EQ(std::string(command.name), c.name ? c.name : longName.substr(0, kCommandNameSize - 1));
    ASSERT_EQ(command.count, c.args.size()) << c.tag;
    for (std::size_t i = 0; i < c.args.size(); ++i) EXPECT_EQ(command.args[i], c.args[i]) << c.tag;
  }
  ParsedCommand command;
  ASSERT_EQ(ParseCommandTag(manyArgs.c_str(), command), 1);
  EXPECT_EQ(command.count, kCommandArgSlots);
  EXPECT_STREQ(command.args[kCommandArgSlots - 1], "15");
}

TEST(ParseCommandTag, TextThatIsNotATagGivesNothing) {
  ParsedCommand command;
  ParseCommandTag("<A x,y>", command);
  EXPECT_EQ(ParseCommandTag("[label]", command), 0);
  EXPECT_STREQ(command.name, "");
  EXPECT_EQ(command.count, 0u);
  EXPECT_STREQ(command.args[1], "y") << "unfilled slots keep earlier text";
}

TEST(ParseCommandTag, CutsOversizedPiecesInsteadOfOverrunning) {
  ParsedCommand command;
  const std::string longName(40, 'N');
  ParseCommandTag(("<" + longName + ">").c_str(), command);
  EXPECT_EQ(std::string(command.name), std::string(31, 'N'));

  // 30 bytes then a double-byte character: the pair does not fit and is not split.
  const std::string longArg = std::string(30, 'a') + "\x82\xa0" + "zz";
  ParseCommandTag(("<A " + longArg + ",b>").c_str(), command);
  ASSERT_EQ(command.count, 2u);
  EXPECT_EQ(std::string(command.args[0]), std::string(30, 'a'));
  EXPECT_STREQ(command.args[1], "b");

  std::string many = "<A ";
  for (int i = 0; i < 20; ++i) many += std::to_string(i) + ",";
  many += ">";
  ParseCommandTag(many.c_str(), command);
  EXPECT_EQ(command.count, 16u);
  EXPECT_STREQ(command.args[15], "15");
}

TEST(LookupCommand, MapsAllNamesWithoutRegardToCase) {
  ASSERT_EQ(std::size(kCommandTable), 43u);
  for (const CommandName& entry : kCommandTable) {
    std::string lower = entry.name;
    std::string upper = entry.name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(LookupCommand(entry.name), entry.code) << entry.name;
    EXPECT_EQ(LookupCommand(lower.c_str()), entry.code) << lower;
    EXPECT_EQ(LookupCommand(upper.c_str()), entry.code) << upper;
  }
  EXPECT_EQ(LookupCommand("bgset"), OP_BG_SET);
  EXPECT_EQ(LookupCommand("TW200"), OP_TW200);
  EXPECT_EQ(LookupCommand("/winfontcolor"), OP_WIN_FONT_COLOR_END);
  EXPECT_EQ(LookupCommand(""), OP_UNKNOWN);
  EXPECT_EQ(LookupCommand("ChrSet,0,a"), OP_UNKNOWN);
  EXPECT_EQ(LookupCommand("BgSe"), OP_UNKNOWN);
}

struct TokenCase {
  const char* what;
  std::string script;
  std::vector<std::string> tokens;
};

TEST(ReadNextToken, CutsScriptsIntoTokens) {
  const TokenCase cases[] = {
      {"CR tag inside text", "text<CR>more<KW>", {"text/more", "<KW>"}},
      {"CR tag in any case", "a<cr>b<KW>", {"a/b", "<KW>"}},
      {"CR LF joins text", "line one\r\nline two<KW>\r\n", {"line oneline two", "<KW>"}},
      {"// inside text", "a//b<KW>", {"a//b", "<KW>"}},
      {"comment line", "// note\r\n<BgSet x>\r\n", {"<BgSet x>"}},
      {"comment with lone LF", "// note\n<A>", {"<A>"}},
      {"empty comment", "//\r\n<A>", {"<A>"}},
      {"blanks and tabs", "  \t<A>\r\n[lbl]\r\n", {"<A>", "[lbl]"}},
      {"lone LF starts text", "<A>\n<B>", {"<A>", "\n", "<B>"}},
      {">= stays in the tag", "<IF L,a>=3>x<A>", {"<IF L,a>=3>", "x", "<A>"}},
      {"> closes the tag", "<IF L,a>3>", {"<IF L,a>", "3>"}},
      {"label inside text", "t[a]//c<A>[b]", {"t[a]//c", "<A>", "[b]"}},
      {"double-byte text", "\x82\xa0\x82\xa2<KW>", {"\x82\xa0\x82\xa2", "<KW>"}},
      {"double-byte pair in a tag", "<A \x83\x3e>", {"<A \x83\x3e>"}},
      {"full-width space is text", "\x81\x40<A>", {"\x81\x40", "<A>"}},
      {"single slash", "/x<A>", {"/x", "<A>"}},
      {"single slash at the end", "<A>/", {"<A>", "/"}},
      {"text at the end", "<A>abc", {"<A>", "abc"}},
      {"open tag at the end", "<A x", {"<A x"}},
      {"open CR tag in text", "a<CR", {"a/"}},
      {"open label at the end", "[lbl", {"[lbl"}},
      {"comment at the end", "<A>// note", {"<A>"}},
      {"lead byte at the end", "ab\x82", {"ab\x82"}},
  };
  for (const TokenCase& c : cases) EXPECT_EQ(Tokens(c.script), c.tokens) << c.what;
}

TEST(ReadNextToken, ReturnsWhereTheNextTokenStarts) {
  const std::string script = "text<CR>more<KW>[a]\r\n";
  char token[kTextTokenCapacity];
  EXPECT_EQ(ReadNextToken(Bytes(script), 0, token, sizeof token), 12u) << "at the KW tag";
  EXPECT_EQ(ReadNextToken(Bytes(script), 12, token, sizeof token), 16u);
  EXPECT_EQ(ReadNextToken(Bytes(script), 16, token, sizeof token), 19u);
  EXPECT_EQ(ReadNextToken(Bytes(script), 19, token, sizeof token), script.size());
  EXPECT_STREQ(token, "");
  EXPECT_EQ(ReadNextToken(Bytes(script), 999, token, sizeof token), script.size());
}

TEST(ReadNextToken, CutsLongTokensToTheBuffer) {
  const std::string text(300, 'x');
  const std::string script = text + "<KW>";
  char token[kTokenCapacity];
  EXPECT_EQ(ReadNextToken(Bytes(script), 0, token, sizeof token), 300u);
  EXPECT_EQ(std::strlen(token), kTokenCapacity - 1);

  const std::string tag = "<A " + std::string(400, 'y') + ">rest";
  EXPECT_EQ(ReadNextToken(Bytes(tag), 0, token, sizeof token), tag.size() - 4);
  EXPECT_EQ(std::strlen(token), kTokenCapacity - 1);

  // A double-byte character that would end one byte past the buffer is left
  // out whole, and so is everything after it.
  const std::string wide = "<A " + std::string(kTokenCapacity - 5, 'y') + "\x82\xa0z>rest";
  EXPECT_EQ(ReadNextToken(Bytes(wide), 0, token, sizeof token), wide.size() - 4);
  EXPECT_EQ(std::string(token), wide.substr(0, kTokenCapacity - 2));
  // A tag that fits exactly is kept whole.
  const std::string exact = "<A " + std::string(kTokenCapacity - 5, 'y') + ">";
  EXPECT_EQ(ReadNextToken(Bytes(exact), 0, token, sizeof token), exact.size());
  EXPECT_EQ(std::string(token), exact);
}

std::optional<std::uint32_t> FindLabel(ScriptBytes script, const char* label) {
  return ScriptLabelIndex(script).Find(label);
}

TEST(FindLabel, FindsTheFirstLabelOfThatName) {
  const std::string script = "<A>\r\n[start]\r\n<B>\r\n[Start]\r\n<C>\r\n";
  EXPECT_EQ(FindLabel(Bytes(script), "START"), std::optional<std::uint32_t>(12));
  EXPECT_EQ(FindLabel(Bytes(script), "start"), std::optional<std::uint32_t>(12));
  EXPECT_EQ(FindLabel(Bytes(script), "missing"), std::nullopt);
  EXPECT_EQ(FindLabel(Bytes(""), "start"), std::nullopt);
}

TEST(FindLabel, OneIndexAnswersEveryLookupInTurn) {
  // A loop asks for the same label again and again, then for others.
  const std::string script = "[a]<A>\r\n[b]<B>\r\n[A]<C>\r\n";
  const ScriptLabelIndex index(Bytes(script));
  const struct {
    const char* label;
    std::optional<std::uint32_t> position;
  } lookups[] = {{"a", 3}, {"a", 3}, {"B", 11}, {"missing", std::nullopt}, {"A", 3},
                 {"b", 11}, {"", std::nullopt}, {"bb", std::nullopt}, {"b", 11}};
  for (const auto& lookup : lookups) EXPECT_EQ(index.Find(lookup.label), lookup.position) << lookup.label;
}

TEST(FindLabel, IgnoresLabelsInsideTextAndCutsAt0x5D) {
  const std::string text = "t[a]<KW>\r\n[a]\r\n";
  EXPECT_EQ(FindLabel(Bytes(text), "a"), std::optional<std::uint32_t>(13));

  // 0x81 0x5D is a double-byte character whose second byte is ']'.
  const std::string cut = "[x\x81\x5dy]<A>";
  EXPECT_EQ(FindLabel(Bytes(cut), "x\x81"), std::optional<std::uint32_t>(4));
  EXPECT_EQ(FindLabel(Bytes(cut), "x\x81\x5dy"), std::nullopt);

  // Case folds ASCII only: a double-byte character's second byte stays as it is.
  const std::string wide = "[\x82\x61" "b]";
  EXPECT_EQ(FindLabel(Bytes(wide), "\x82\x61" "B"), std::optional<std::uint32_t>(5));
  EXPECT_EQ(FindLabel(Bytes(wide), "\x82\x41" "b"), std::nullopt);
}

TEST(FindLabel, StopsAtTheEndOfAnUnterminatedScript) {
  std::vector<char> exact = {'[', 'a', ']', 'x', 'y', '/'};
  EXPECT_EQ(FindLabel(ScriptBytes(exact.data(), exact.size()), "b"), std::nullopt);
  exact = {'/', '/', 'a'};
  EXPECT_EQ(FindLabel(ScriptBytes(exact.data(), exact.size()), "a"), std::nullopt);
}

}  // namespace
