#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "engine/runtime/runtime_globals.h"
#include "game/input_actions.h"
#include "engine/shell/scene_state.h"
#include "game/script/script_interpreter.h"
#include "host/time/time_api.h"
#include "recording_game.h"

namespace {

using Log = std::vector<std::string>;

const char kRecollection[] = "\x89\xf1\x91\x7a";

class InterpreterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostClockSetMode(HostClockMode::Virtual);
    HostClockSetVirtualNow(1000);
    SetDesignWidth(800);
    SetDesignHeight(600);
  }
  void TearDown() override { HostClockSetMode(HostClockMode::Real); }

  // Loads main.txt with the given text and drops the load's log lines.
  void Start(const std::string& text) {
    services.scripts["main.txt"] = Crlf(text);
    ASSERT_EQ(interpreter.JumpToScript("main.txt", ""), 1);
    services.Take();
  }
  // Runs one frame and returns what it did.
  Log Frame() {
    EXPECT_EQ(interpreter.RunScriptFrame(), 1);
    return services.Take();
  }

  RecordingGame services;
  CScriptInterpreter& interpreter = services.Interpreter();
};

TEST_F(InterpreterTest, GoOnTagsRunInOneFrameUntilTextOrWait) {
  const std::string text =
      "<Mov a,1>\n<BgSet bg_room>\n[here]\n<SndPlay bgm01, 01 ,LOOP>\nHello<CR>there<KW>\n<WinClear>\n"
      "<ChrSet 0,chr_a>\n<TW 0>\n<BgSet last>\n";
  Start(text);
  EXPECT_EQ(Frame(), (Log{"BgSet bg_room", "SndPlay bgm01,01,LOOP", "text Hello/there @0"}));
  EXPECT_EQ(interpreter.GetVariable("a"), 1);
  EXPECT_EQ(Frame(), (Log{"KW " + std::to_string(Crlf(text).find("<KW>")) + " @0"}));
  EXPECT_EQ(Frame(), (Log{"WinClear"}));
  EXPECT_EQ(Frame(), (Log{"ChrSet 0,chr_a"}));  // then TW 0 records its start
  EXPECT_EQ(Frame(), Log{});                   // TW 0 ends on its second frame
  EXPECT_EQ(Frame(), (Log{"BgSet last"}));
  // The end of the script holds the run without reading past it.
  EXPECT_EQ(Frame(), Log{});
  EXPECT_TRUE(interpreter.HasScript());
}

TEST_F(InterpreterTest, EveryCommandCodeIsDispatched) {
  services.transitionKind = kTransitionZoom;
  services.choiceLabel = "after";
  Start("<Reversal 1><WinFrameType 1><WaitIcon><WinFontSize 2><WinType NOVEL><SystemIcon><WinDisplay>"
        "<WinFontColor 1,2,3><MessageSpeed 1><WinRubi r,x></WinFontColor><BgSetColor 1,2,3><BgSet b>"
        "<BgSetXY 1,2><ChrSetXY 0,1,2><ChrSet 0,c><ChrDel ALL><ChrSetPry 0,1><ChrSetARGB 0,1,2,3,4>"
        "<SndPlay se01,s><SndStop bgm01><MoviePlay m><SltDel><SltAdd 0,a,t><CR><Rnd r,1,1><Mov m,2><Inc m>"
        "<IF after,m==0><Ifs x.txt,y,m==0><UpDate Zoom,1024,2048,500><ChrMove 0,1,0,0,1,1,0,0>");
  EXPECT_EQ(Frame(), (Log{"Reversal 1", "WinFrameType 1", "WinFontSize 2", "WinType NOVEL", "WinFontColor 1,2,3",
                          "WinRubi r,x", "/WinFontColor", "BgSetColor 1,2,3", "BgSet b", "BgSetXY 1,2",
                          "ChrSetXY 0,1,2", "ChrSet 0,c", "ChrDel ALL", "ChrSetPry 0,1", "ChrSetARGB 0,1,2,3,4",
                          "SndPlay se01,s", "SndStop bgm01", "MoviePlay m", "SltDel", "SltAdd 0,a,t",
                          "UpDate Zoom,1024,2048,500 @0", "ChrMove 0,1,0,0,1,1,0,0 @0"}));
  EXPECT_EQ(interpreter.GetVariable("r"), 1);
  EXPECT_EQ(interpreter.GetVariable("m"), 3);

  Start("<Effect Shake,XY><WinFrame OFF><WinFrame ON><KW><TW200><SltRun><BgSet no>[after]<BgSet yes>");
  EXPECT_EQ(Frame(), (Log{"Effect Shake,XY @0"}));
  EXPECT_EQ(Frame(), (Log{"ShowMessageWindow 0"}));
  EXPECT_EQ(Frame(), (Log{"ShowMessageWindow 1"}));
  EXPECT_EQ(Frame(), (Log{"KW 44 @0"}));
  services.input[ACTION_TAP] = 1;
  EXPECT_EQ(Frame(), Log{});  // TW200 skipped by the tap
  services.input[ACTION_TAP] = 0;
  EXPECT_EQ(Frame(), (Log{"SltRun @0"}));
  EXPECT_EQ(Frame(), (Log{"BgSet yes"}));
}

TEST_F(InterpreterTest, ATagRunAgainSeesWhatAFreshReadWouldGive) {
  // <KW> has no arguments, so its slots keep those of the tags before it,
  // and those differ from pass to pass.
  Start("[top]<Inc n><IF odd,n==1><ChrSet 0,even_arg><Jump wait>\n"
        "[odd]<Mov n,-1><BgSet odd_arg,x>\n"
        "[wait]<KW><Jump top>\n");
  for (int pass = 0; pass < 4; ++pass) {
    Frame();
    const ParsedCommand& command = interpreter.Command();
    EXPECT_STREQ(command.name, "KW") << pass;
    EXPECT_EQ(command.count, 0u) << pass;
    EXPECT_STREQ(command.args[0], pass % 2 == 0 ? "odd_arg" : "wait") << pass;
    EXPECT_STREQ(command.args[1], pass % 2 == 0 ? "x" : "even_arg") << pass;
  }
}

TEST_F(InterpreterTest, AnotherScriptAtTheSamePositionsRunsItsOwnTags) {
  services.scripts["a.txt"] = "<BgSet aaa><KW><Jump ,b.txt>";
  services.scripts["b.txt"] = "<BgSet bbb><KW><Jump ,a.txt>";
  ASSERT_EQ(interpreter.JumpToScript("a.txt", ""), 1);
  services.Take();
  const std::string kw = "KW " + std::to_string(std::string("<BgSet aaa>").size()) + " @0";
  EXPECT_EQ(Frame(), (Log{"BgSet aaa", kw}));
  for (const char* name : {"b", "a", "b"}) {
    const std::string script = std::string(name) + ".txt";
    EXPECT_EQ(Frame(), (Log{"MarkScriptSeen " + script, "BgSet " + std::string(3, name[0]), kw}));
  }
}

TEST_F(InterpreterTest, UnknownTagStallsEveryFrame) {
  Start("<BgSet a><Foo 1,2><BgSet b>");
  EXPECT_EQ(Frame(), (Log{"BgSet a"}));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Frame(), Log{});
  EXPECT_EQ(interpreter.ReadPosition(), 9u);
  EXPECT_EQ(interpreter.StepFrames(), 4u);
  EXPECT_STREQ(interpreter.Command().name, "Foo");
}

TEST_F(InterpreterTest, TimedHandlersSeeTheStepFrameCount) {
  services.textFrames = 3;
  services.windowShown = 0;
  Start("Hello<KW>");
  EXPECT_EQ(Frame(), (Log{"ShowMessageWindow 1", "text Hello @0"}));
  EXPECT_EQ(Frame(), (Log{"text Hello @1"}));
  EXPECT_EQ(Frame(), (Log{"text Hello @2"}));
  EXPECT_EQ(interpreter.StepFrames(), 0u);
  services.readerFrames = 2;
  EXPECT_EQ(Frame(), (Log{"KW 5 @0"}));
  EXPECT_EQ(Frame(), (Log{"KW 5 @1"}));
  EXPECT_EQ(Frame(), Log{});

  services.timedFrames = 2;
  services.transitionKind = 1;
  Start("<UpDate Cross,500><BgSet a><UpDate Zoom,1,2,3><BgSet b>");
  EXPECT_EQ(Frame(), (Log{"UpDate Cross,500 @0"}));
  EXPECT_EQ(Frame(), (Log{"UpDate Cross,500 @1"}));
  EXPECT_EQ(Frame(), (Log{"BgSet a", "UpDate Zoom,1,2,3 @0"}));
  services.transitionKind = kTransitionZoom;
  EXPECT_EQ(Frame(), (Log{"UpDate Zoom,1,2,3 @1", "BgSet b"}));
}

TEST_F(InterpreterTest, WaitsEndOnTimeOrOnSkipInput) {
  Start("<TW 100><BgSet a>");
  EXPECT_EQ(Frame(), Log{});
  HostClockAdvance(99);
  EXPECT_EQ(Frame(), Log{});
  HostClockAdvance(1);
  EXPECT_EQ(Frame(), Log{});
  EXPECT_EQ(Frame(), (Log{"BgSet a"}));

  Start("<TW -50><BgSet a>");
  EXPECT_EQ(Frame(), Log{});
  HostClockAdvance(49);
  EXPECT_EQ(Frame(), Log{});
  HostClockAdvance(1);
  EXPECT_EQ(Frame(), Log{});
  EXPECT_EQ(interpreter.ReadPosition(), 8u) << "a negative wait lasts as long as a positive one";

  const struct {
    std::size_t word;
    std::uint32_t value;
    bool skips;
  } inputs[] = {
      {ACTION_TAP, 1, true},        {ACTION_ADVANCE_KEY, 1, true}, {ACTION_CLICK, 1, true},
      {ACTION_SKIP_KEY, 7, true},   {ACTION_ADVANCE_KEY, 2, false}, {ACTION_CLICK, 3, false},
      {ACTION_CANCEL, 1, false},    {ACTION_UP, 1, false},
  };
  for (const auto& c : inputs) {
    Start("<TW 5000>");
    services.input[c.word] = c.value;
    Frame();
    EXPECT_EQ(interpreter.ReadPosition() != 0, c.skips) << "word " << c.word << " = " << c.value;
    services.input[c.word] = 0;
  }
  Start("<TW200>");
  services.skipping = 1;
  Frame();
  EXPECT_EQ(interpreter.ReadPosition(), 7u);
}

TEST_F(InterpreterTest, WaitMsWithoutSkipIgnoresInput) {
  Start("<TW 100>");
  Frame();  // the first frame records the start
  services.input[ACTION_TAP] = 1;
  services.skipping = 1;
  EXPECT_EQ(interpreter.WaitMs(100, 0), 0);
  HostClockAdvance(100);
  EXPECT_EQ(interpreter.WaitMs(100, 0), 1);
}

TEST_F(InterpreterTest, MovIncAndRndSetVariables) {
  Start("<Mov v,ON><Mov w,-12><Mov h,0x10><Inc n><Inc w><Mov big,2147483647><Inc big><TW 9999>");
  Frame();
  EXPECT_EQ(interpreter.GetVariable("v"), 0) << "Mov takes a plain number: ON is 0";
  EXPECT_EQ(interpreter.GetVariable("w"), -11);
  EXPECT_EQ(interpreter.GetVariable("h"), 16);
  EXPECT_EQ(interpreter.GetVariable("n"), 1);
  EXPECT_EQ(interpreter.GetVariable("big"), -2147483647 - 1);

  std::set<std::int32_t> seen;
  for (unsigned seed = 1; seed <= 300; ++seed) {
    std::srand(seed);
    Start("<Rnd dice,1,6><Rnd flip,ON,OFF><Rnd same,5,5><Rnd low,3,2><TW 9999>");
    Frame();
    const std::int32_t dice = interpreter.GetVariable("dice");
    ASSERT_GE(dice, 1);
    ASSERT_LE(dice, 6);
    seen.insert(dice);
    ASSERT_GE(interpreter.GetVariable("flip"), 0);
    ASSERT_LE(interpreter.GetVariable("flip"), 1);
    ASSERT_EQ(interpreter.GetVariable("same"), 5);
    ASSERT_GE(interpreter.GetVariable("low"), 2);
    ASSERT_LE(interpreter.GetVariable("low"), 3);
  }
  EXPECT_EQ(seen.size(), 6u);
}

TEST_F(InterpreterTest, IfJumpsInsideTheScript) {
  const struct {
    const char* setup;
    const char* condition;
    const char* result;
  } cases[] = {
      {"<Mov a,1>", "a==1", "yes"},
      {"<Mov a,1>", "a==2", "no"},
      {"<Mov a,1>", "a==2,|,b==0", "yes"},
      {"<Mov a,1>", "a==1,&,b==1", "no"},
      {"<Mov a,1>", "(a==0),&,b==0,|,a>=1", "yes"},
      {"<Mov a,10>", "a==10", "yes"},
      {"<Mov a,1>", "a==ON", "no"},
      {"<Mov ON,1>", "a==ON", "yes"},
  };
  for (const auto& c : cases) {
    Start(std::string(c.setup) + "<IF target," + c.condition + "><BgSet no><TW 9999>\n[TARGET]\n<BgSet yes><TW 9999>");
    EXPECT_EQ(Frame(), (Log{std::string("BgSet ") + c.result})) << c.setup << " " << c.condition;
  }
  Start("<IF target><BgSet next><TW 9999>[target]<BgSet yes>");
  EXPECT_EQ(Frame(), (Log{"BgSet next"})) << "with fewer than two arguments IF just goes on";
  Start("<IF nowhere,unset==0><BgSet next><TW 9999>");
  EXPECT_EQ(Frame(), (Log{"BgSet next"})) << "a missing label lets the run go on after the IF";
}

TEST_F(InterpreterTest, JumpAndIfsChangeScripts) {
  services.scripts["sub.txt"] = Crlf("<BgSet sub_top><TW 9999>\n[top]\n<BgSet sub_label><TW 9999>\n");
  Start("<Jump skip><BgSet no>[skip]<BgSet here><Jump TOP,sub.txt>");
  EXPECT_EQ(Frame(), (Log{"BgSet here", "MarkScriptSeen sub.txt", "BgSet sub_label"}));
  EXPECT_STREQ(interpreter.ScriptName(), "sub.txt");

  Start("<Mov a,2><Ifs sub.txt,top,a==2><BgSet no>");
  EXPECT_EQ(Frame(), (Log{"MarkScriptSeen sub.txt", "BgSet sub_label"}));
  Start("<Mov a,2><Ifs sub.txt,top,a==3><BgSet no><TW 9999>");
  EXPECT_EQ(Frame(), (Log{"BgSet no"}));
  Start("<Ifs sub.txt,top><BgSet next><TW 9999>");
  EXPECT_EQ(Frame(), (Log{"BgSet next"})) << "with fewer than three arguments Ifs just goes on";
  Start("<Jump nowhere,sub.txt>");
  EXPECT_EQ(Frame(), (Log{"MarkScriptSeen sub.txt", "BgSet sub_top"})) << "a missing label leaves the top";
}

// A loop the author left without a waiting tag keeps looping, a bounded
// number of tokens a frame, and never reads its own script again.
TEST_F(InterpreterTest, JumpsCallsAndReturnsWithinTheLoadedScriptDoNotReadIt) {
  Start("<BgSet top>[a]<Mov x,1><Jump b,main.txt><BgSet no>[b]<JumpR c,main.txt><Ifs main.txt,a,x==1>"
        "[c]<Return>");
  const int reads = services.scriptReads;
  services.scripts["main.txt"] = Crlf("<BgSet changed><TW 9999>[a][b]");
  const Log first = Frame();
  ASSERT_GE(first.size(), 2u);
  EXPECT_EQ(first[0], "BgSet top");
  EXPECT_EQ(first[1], "MarkScriptSeen main.txt");
  EXPECT_EQ(std::count(first.begin(), first.end(), "BgSet no"), 0);
  EXPECT_EQ(services.scriptReads, reads);
  const Log second = Frame();
  EXPECT_GT(second.size(), 100u) << "the next frame loops on";
  EXPECT_EQ(std::count(second.begin(), second.end(), "MarkScriptSeen main.txt"), std::ssize(second));
  EXPECT_EQ(services.scriptReads, reads);

  services.scripts["other.txt"] = Crlf("<BgSet other><TW 9999>");
  Start("<Jump top,other.txt>");
  EXPECT_EQ(Frame(), (Log{"MarkScriptSeen other.txt", "BgSet other"})) << "another script is read";
}

// A circle of calls between two scripts reads one of them at every step;
// the frame ends once its reads add up to 16 KiB, and the next goes on.
TEST_F(InterpreterTest, ACircleOfCallsBetweenScriptsReadsABoundedAmountAFrame) {
  std::string padding;
  while (padding.size() < 4096) padding += "[pad" + std::to_string(padding.size()) + "]";
  services.scripts["sub.txt"] = Crlf("[s]<Return>" + padding);
  Start("[a]<JumpR s,sub.txt><Jump a>" + padding);
  for (int frame = 0; frame < 3; ++frame) {
    const int reads = services.scriptReads;
    const Log log = Frame();
    EXPECT_GE(services.scriptReads - reads, 2) << "frame " << frame;
    EXPECT_LE(services.scriptReads - reads, 5) << "frame " << frame;
    EXPECT_EQ(std::ssize(log), services.scriptReads - reads) << "every read marks its script seen";
  }
}

TEST_F(InterpreterTest, JumpRAndReturnUseOneSlot) {
  services.scripts["sub.txt"] = Crlf("<BgSet sub_top>\n[top]\n<BgSet in_sub><Return>");
  Start("<JumpR top,sub.txt><BgSet back><TW 9999>");
  EXPECT_EQ(Frame(), (Log{"MarkScriptSeen sub.txt", "BgSet in_sub", "MarkScriptSeen main.txt", "BgSet back"}));
  EXPECT_STREQ(interpreter.Return().name, "");

  // A call from inside a call overwrites the slot: the outer return point is lost.
  services.scripts["sub.txt"] = Crlf("[a]<JumpR b,sub2.txt><BgSet after_inner><Return><BgSet stuck>");
  services.scripts["sub2.txt"] = Crlf("[b]<Return>");
  Start("<JumpR a,sub.txt><BgSet never>");
  EXPECT_EQ(Frame(), (Log{"MarkScriptSeen sub.txt", "MarkScriptSeen sub2.txt", "MarkScriptSeen sub.txt",
                          "BgSet after_inner"}));
  EXPECT_EQ(Frame(), Log{}) << "Return without a call and outside recollection stalls";
  EXPECT_EQ(interpreter.StepFrames(), 2u);
  EXPECT_STREQ(interpreter.ScriptName(), "sub.txt");
}

TEST_F(InterpreterTest, ReturnFromARecollectionSceneGoesBackToItsScreen) {
  Start(std::string("<Mov ") + kRecollection + ",1><Mov g_keep,1><Return><BgSet never>");
  const Log log = Frame();
  EXPECT_EQ(log.back(), "SetBackgroundColor 16777215");
  EXPECT_EQ(services.sceneState, SCENE_RECOLLECTION);
  EXPECT_EQ(services.subState, 0u);
  EXPECT_FALSE(interpreter.HasScript());
  EXPECT_EQ(interpreter.GetVariable(kRecollection), 0);
  EXPECT_EQ(interpreter.GetVariable("g_keep"), 1);
  EXPECT_EQ(Frame(), Log{}) << "no script: nothing runs";
}

TEST_F(InterpreterTest, TitleReturnNeedsMenu) {
  Start("<TitleReturn menus><BgSet never>");
  EXPECT_EQ(Frame(), Log{});
  EXPECT_EQ(Frame(), Log{});
  EXPECT_TRUE(interpreter.HasScript());

  Start("<TitleReturn Menu><BgSet never>");
  const Log log = Frame();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], "SetSceneState 0,4");
  EXPECT_EQ(log.back(), "SetBackgroundColor 16777215");
  EXPECT_FALSE(interpreter.HasScript());
}

TEST_F(InterpreterTest, ChoiceSeeksTheChosenLabel) {
  services.choiceFrames = 3;
  services.choiceLabel = "GO_RIGHT";
  Start("<SltRun>[go_left]<BgSet left><TW 9999>[go_right]<BgSet right><TW 9999>");
  EXPECT_EQ(Frame(), (Log{"SltRun @0"}));
  EXPECT_EQ(Frame(), (Log{"SltRun @1"}));
  EXPECT_EQ(Frame(), (Log{"SltRun @2"}));
  EXPECT_EQ(Frame(), (Log{"BgSet right"}));

  services.choiceFrames = 1;
  services.choiceLabel = "gone";
  Start("<SltRun><BgSet next><TW 9999>");
  Frame();
  EXPECT_EQ(Frame(), (Log{"BgSet next"})) << "a chosen label the script lacks goes on after SltRun";
}

TEST_F(InterpreterTest, AJumpRestartsTheStepCountEvenOnTheSamePosition) {
  // The jump lands on its own tag: the count restarts, and the endless loop
  // still gives the frame back.
  Start("[L]<Jump L>");
  EXPECT_EQ(Frame(), Log{});
  EXPECT_EQ(interpreter.ReadPosition(), 3u);
  EXPECT_EQ(interpreter.StepFrames(), 0u);

  services.scripts["sub.txt"] = Crlf("[t]<TW 100>");
  Start("<Jump t,sub.txt>");
  Frame();
  EXPECT_EQ(interpreter.StepFrames(), 1u);
  interpreter.JumpToScript("sub.txt", "t");
  EXPECT_EQ(interpreter.StepFrames(), 0u);
  HostClockAdvance(100);
  Frame();  // first frame again: the wait starts over
  EXPECT_EQ(interpreter.ReadPosition(), 3u);
}

TEST_F(InterpreterTest, AScriptThatCannotBeLoadedStopsTheInterpreter) {
  Start("<Jump top,missing.txt><BgSet never>");
  EXPECT_EQ(Frame(), (Log{"MarkScriptSeen missing.txt"})) << "a missing script still counts as seen";
  EXPECT_FALSE(interpreter.HasScript());
  EXPECT_STREQ(interpreter.ScriptName(), "missing.txt");
  EXPECT_EQ(Frame(), Log{});

  const std::string longest(19, 'n');
  services.scripts[longest + ".txt"] = "<BgSet ok>";
  EXPECT_EQ(interpreter.JumpToScript((longest + ".txt").c_str(), ""), 1);
  EXPECT_EQ(Frame(), (Log{"MarkScriptSeen " + longest + ".txt", "BgSet ok"}));

  services.scripts[longest + "x.txt"] = "<BgSet too_long>";
  EXPECT_EQ(interpreter.JumpToScript((longest + "x.txt").c_str(), ""), 0);
  EXPECT_FALSE(interpreter.HasScript());
  EXPECT_EQ(Frame(), Log{}) << "a name of 24 bytes is refused before anything is read";
}

TEST_F(InterpreterTest, AMissingLabelIsReportedOncePerLoad) {
  const std::string line = "script: \"main.txt\" has no label [nowhere]\n";
  const std::string other = "script: \"main.txt\" has no label [gone]\n";
  for (int load = 0; load < 2; ++load) {
    SCOPED_TRACE(load);
    testing::internal::CaptureStderr();
    Start("[a]<Jump nowhere><Jump gone><Jump a>");
    Frame();
    Frame();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), line + other) << "two loops' frames, each label once";
  }
}

TEST_F(InterpreterTest, SeekLabelLeavesThePositionOnAMissingLabel) {
  Start("<BgSet a>[x]<TW 9999>");
  Frame();
  const std::uint32_t position = interpreter.ReadPosition();
  EXPECT_EQ(interpreter.SeekLabel("y"), 0);
  EXPECT_EQ(interpreter.ReadPosition(), position);
  EXPECT_EQ(interpreter.SeekLabel("X"), 1);
  EXPECT_EQ(interpreter.ReadPosition(), 12u);
}

// The interpreter's own part of a reset, set up before each reset below.
void FillGameState(CScriptInterpreter& interpreter, RecordingGame& services) {
  services.scripts["main.txt"] = "<BgSet a><JumpR t,sub.txt>";
  services.scripts["sub.txt"] = "[t]<KW>";
  interpreter.JumpToScript("main.txt", "");
  interpreter.RunScriptFrame();
  interpreter.SetVariable("local", 3);
  interpreter.SetVariable("g_clear_flg", 1);
  services.Take();
}

void ExpectScriptStateCleared(CScriptInterpreter& interpreter) {
  EXPECT_FALSE(interpreter.HasScript());
  EXPECT_TRUE(interpreter.Script().empty());
  EXPECT_EQ(interpreter.ReadPosition(), 0u);
  EXPECT_EQ(interpreter.StepFrames(), 0u);
  EXPECT_STREQ(interpreter.ScriptName(), "");
  EXPECT_STREQ(interpreter.Return().name, "");
  EXPECT_EQ(interpreter.Return().position, 0u);
  EXPECT_EQ(interpreter.GetVariable("local"), 0);
  EXPECT_TRUE(interpreter.Variables().Locals().empty());
  EXPECT_EQ(interpreter.GetVariable("g_clear_flg"), 1) << "globals outlive every game";
}

TEST_F(InterpreterTest, ReturnToTitleClearsTheGame) {
  FillGameState(interpreter, services);
  ASSERT_STREQ(interpreter.Return().name, "main.txt");
  services.ReturnToTitle();
  ExpectScriptStateCleared(interpreter);
  EXPECT_EQ(services.Take(), (Log{"ReturnToTitle", "SetSaveEntryEnabled 0", "StopMovie", "StopAllSounds", "FreeRuleTransition",
                                  "FreeAllPartSlots", "FreeAllPictureSlots", "DestroyMessageWindow",
                                  "FreeSaveThumbnail", "ClearSceneRecords", "ClearSoundRecords",
                                  "ClearChoiceRecords", "ClearBacklog", "ClearMessageTexts", "DropPreviousChoice",
                                  "InvalidateDesignRect 0,0,800,600", "SetMessageFontColor 16777215",
                                  "SetSceneState 0,4"}));
}

TEST_F(InterpreterTest, NewGameStartsFromAClearState) {
  FillGameState(interpreter, services);
  services.ResetForNewGame();
  ExpectScriptStateCleared(interpreter);
  EXPECT_EQ(services.Take(), (Log{"FreeSaveThumbnail", "ClearMessageTexts", "ClearBacklog", "ClearSceneRecords",
                                  "ClearSoundRecords", "ClearChoiceRecords", "ClearSaveHeader",
                                  "SetMessageFontColor 16777215", "SetMessageFontSize 0", "SetBackgroundColor 0",
                                  "DropPreviousChoice", "ResetWindowParts", "SetSaveEntryEnabled 1",
                                  "SetSceneState 99,0"}));
}

}  // namespace
