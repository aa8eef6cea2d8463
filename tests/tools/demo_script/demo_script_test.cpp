// The demo game's script converter: the real scripts come out as code page 932
// with CR LF line ends, and each script the engine would misread is refused
// with a message that says why.
#include <cctype>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "game/script/script_command.h"
#include "game/script/script_tokenizer.h"
#include "support/scoped_temp_dir.h"

namespace {

const std::string kSourceDir = std::string(NOVEL_TEST_DATA_DIR) + "/../..";
const std::string kConverter = kSourceDir + "/tools/demo_script/demo_script.py";

const char* const kStoryScripts[] = {
    "main.txt",   "sub.txt",    "EVY020.txt", "EVY022.txt", "EVY026.txt",  "EDB002.txt",  "EDY.txt",
    "EVR019.txt", "EVR020.txt", "EVR025.txt", "EDB003.txt", "EDR.txt",     "EVM021.txt",  "EVM022.txt",
    "EVM024.txt", "EDB004.txt", "EDM.txt",    "EVSS011.txt", "EVSS012.txt", "EDB005.txt", "EDSS.txt",
    "EVSH009.txt", "EVSH012.txt", "EDB006.txt", "EDSH.txt",  "EDB001.txt",
};

struct Conversion {
  int status;
  std::string messages;
};

// Runs the converter over scripts into folder "out" of dir.
Conversion Convert(const ScopedTempDir& dir, const std::string& names, const std::vector<std::string>& scripts) {
  std::string command = "python3 '" + kConverter + "' --names '" + names + "' --out '" + dir.HostPath("out") + "'";
  for (const std::string& script : scripts) command += " '" + script + "'";
  command += " 2>'" + dir.HostPath("messages") + "'";
  const int status = std::system(command.c_str());
  return {status, dir.ReadFile("messages").value_or("")};
}

// Converts the story's scripts into dir's folder "out".
Conversion ConvertStory(const ScopedTempDir& dir) {
  std::vector<std::string> scripts;
  for (const char* name : kStoryScripts) scripts.push_back(kSourceDir + "/demo/scripts/" + name);
  return Convert(dir, kSourceDir + "/demo/names.txt", scripts);
}

TEST(DemoScript, TheStoryScriptsConvertToCodePage932WithCrLf) {
  ScopedTempDir dir("demo_script");
  const Conversion run = ConvertStory(dir);
  ASSERT_EQ(run.status, 0) << run.messages;
  EXPECT_EQ(run.messages, "");
  for (const char* name : kStoryScripts) {
    const std::string script = dir.ReadFile(std::string("out/") + name).value_or("");
    ASSERT_FALSE(script.empty()) << name;
    for (std::size_t at = script.find('\n'); at != std::string::npos; at = script.find('\n', at + 1))
      ASSERT_TRUE(at > 0 && script[at - 1] == '\r') << name << " has a lone LF at byte " << at;
  }
  // "回想" in code page 932, as every recollection script sets it.
  EXPECT_NE(dir.ReadFile("out/EDY.txt")->find("<Mov \x89\xf1\x91\x7a,1>"), std::string::npos);
  // The guide's name plate "【トバル】".
  EXPECT_NE(dir.ReadFile("out/main.txt")->find("\x81\x79\x83\x67\x83\x6f\x83\x8b\x81\x7a"), std::string::npos);
}

// The engine's own reader finds only known commands in the converted story,
// and one play-through of main.txt and sub.txt uses every command there is.
TEST(DemoScript, TheEngineReadsTheStoryAndFindsEveryCommand) {
  ScopedTempDir dir("demo_script");
  ASSERT_EQ(ConvertStory(dir).status, 0);
  std::set<ScriptOpcode> storyCommands;
  for (const char* name : kStoryScripts) {
    const std::string script = dir.ReadFile(std::string("out/") + name).value_or("");
    const ScriptBytes bytes(script.data(), script.size());
    char token[kTextTokenCapacity];
    for (std::uint32_t at = 0; at < script.size();) {
      at = ReadNextToken(bytes, at, token, sizeof token);
      const bool storyScript = std::string(name) == "main.txt" || std::string(name) == "sub.txt";
      // Inside message text the reader has already turned each <CR> into '/'.
      if (token[0] != '<') {
        if (storyScript && token[0] != '[' && std::string(token).find('/') != std::string::npos)
          storyCommands.insert(LookupCommand("CR"));
        continue;
      }
      ParsedCommand command;
      ParseCommandTag(token, command);
      const ScriptOpcode opcode = LookupCommand(command.name);
      EXPECT_NE(opcode, 0) << name << ": " << token;
      if (storyScript) storyCommands.insert(opcode);
    }
  }
  EXPECT_EQ(storyCommands.size(), kCommandCount);
}

struct BrokenScript {
  const char* what;
  const char* main;  // main.txt, UTF-8
  const char* message;
};

const BrokenScript kBrokenScripts[] = {
    {"character outside the code page", "<BgSet bg.bmp>\n𠮷野家です。<KW>\n", "main.txt:2: character U+20BB7"},
    {"unknown command", "<BgSet bg.bmp>\n<Fade 500>\n", "main.txt:2: unknown command <Fade 500>"},
    {"tag longer than 255 bytes",
     "<Mov aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa,aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa,aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa,aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa,"
     "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa,aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa,aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa,aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa>\n",
     "main.txt:1: tag of 261 bytes, more than 255"},
    {"command name longer than 31 bytes", "<WinFontColorWinFontColorWinFontCo>\n", "longer than 31 bytes"},
    {"more than 16 arguments", "<Mov a,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16>\n", "Mov has 17 arguments, more than 16"},
    {"argument longer than 31 bytes", "<Mov abcdefghijabcdefghijabcdefghijab,1>\n", "longer than 31 bytes"},
    {"choice text longer than 31 bytes",
     "[a]\n<SltAdd 1,a,ながいながいながいながいながいな>\n", "argument ながいながいながいながいながいな of SltAdd"},
    {"ASCII blank inside a tag", "[a]\n<SltAdd 1,a,East road>\n", "main.txt:2: ASCII blank inside"},
    {"'>' in a condition", "[a]\n<IF a,count>1>\n", "'>' can only be written as '>='"},
    {"negative literal in a condition", "[a]\n<IF a,count==-1>\n", "negative number"},
    {"non-ASCII label", "[ラベル]\n<KW>\n", "main.txt:1: label [ラベル] must be ASCII"},
    {"missing label", "<Jump nowhere>\n", "main.txt:1: label nowhere is not in main.txt"},
    {"missing label in another script", "<JumpR top,sub.txt>\n", "main.txt:1: label top is not in sub.txt"},
    {"missing script", "[a]\n<Ifs other.txt,a,x==1>\n", "main.txt:2: script other.txt is not in the set"},
    {"JumpR without a script", "[a]\n<JumpR a>\n", "JumpR takes 2 arguments"},
    {"TitleReturn other than MENU", "<TitleReturn TITLE>\n", "TitleReturn takes only MENU"},
    {"picture the data lacks", "<BgSet bg_none.bmp>\n", "main.txt:1: picture bg_none is not in the data's names list"},
    {"sound the data lacks", "<SndPlay se01,boom>\n", "main.txt:1: sound boom is not in the data's names list"},
    {"rule picture the data lacks", "<UpDate ImageCross,500,rule99>\n", "rule picture rule99 is not in"},
    {"movie the data lacks", "<MoviePlay nomovie>\n", "movie nomovie is not in"},
    {"voice name longer than 23 bytes", "<SndPlay voice01,abcdefghijabcdefghijabcd>\n", "longer than 23 bytes"},
    {"character slot past the five", "<ChrSetXY 5,0,0>\n", "ChrSetXY needs a character slot 0 to 4"},
    {"unknown UpDate kind", "<UpDate Wipe,500>\n", "UpDate kind Wipe"},
    {"unknown Effect kind", "<Effect Flash>\n", "Effect kind Flash"},
    {"page of four lines", "一<CR>二<CR>三<CR>四<KW>\n<WinClear>\n", "main.txt:1: page of 4 lines, more than 3"},
    {"page continued after KW to four lines", "一<CR>二<KW>\n三<CR>四<CR>五<KW>\n<WinClear>\n", "main.txt:2: page of 4 lines"},
    {"line wider than 28 characters", "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへ<KW>\n",
     "wider than 28 full-width characters"},
    {"page text over 159 bytes",
     "あいうえおかきくけこさしすせそたちつてとなにぬねのはひ<CR>"
     "あいうえおかきくけこさしすせそたちつてとなにぬねのはひ<CR>あいうえおかきくけこさしすせそたちつてとなにぬねのはひ<KW>\n",
     "main.txt:1: page text of 164 bytes, more than 159"},
    {"speaker name longer than 31 bytes", "【とてもながいなまえのとてもながいひと】こんにちは<KW>\n",
     "longer than 31 bytes"},
    {"speaker on a NOVEL page", "<WinType NOVEL>\n【トバル】こんにちは<KW>\n", "speaker name on a NOVEL page"},
    {"label inside message text", "こんにちは\n[a]\n<KW>\n", "main.txt:2: a label or comment inside message text"},
    {"comment inside message text", "こんにちは\n// note\n<KW>\n", "main.txt:2: a label or comment inside message text"},
    {"text not ended by a tag", "<KW>\nこんにちは\n", "end it with a tag"},
};

class DemoScriptRefuses : public ::testing::TestWithParam<BrokenScript> {};

TEST_P(DemoScriptRefuses, TheBrokenScriptWithItsMessage) {
  const BrokenScript& broken = GetParam();
  ScopedTempDir dir("demo_script");
  const std::string names = dir.WriteFile("names.txt", "bg\nse_chime\n");
  const std::string main = dir.WriteFile("main.txt", broken.main);
  const std::string sub = dir.WriteFile("sub.txt", "[other]\n<Return>\n");
  const Conversion run = Convert(dir, names, {main, sub});
  EXPECT_NE(run.status, 0) << broken.what;
  EXPECT_NE(run.messages.find(broken.message), std::string::npos) << broken.what << ": " << run.messages;
  EXPECT_FALSE(dir.ReadFile("out/main.txt").has_value()) << broken.what << ": nothing is written";
}

std::string CaseName(const ::testing::TestParamInfo<BrokenScript>& info) {
  std::string name;
  for (const char* c = info.param.what; *c != '\0'; ++c) name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Table, DemoScriptRefuses, ::testing::ValuesIn(kBrokenScripts), CaseName);

}  // namespace
