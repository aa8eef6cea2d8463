// One frame of the game screen over a 64 KiB script whose author forgot a
// waiting tag in a loop: the frame must stay far under the 16 ms a frame
// has. The loop jumps to a label at the end of the script, once within the
// script, once through a jump to the script that is already loaded and once
// through a call into it. The last loop calls another 64 KiB script: each
// call and return reads a script, and the frame ends after the first read.
#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/shell/game_app.h"
#include "game/game.h"

namespace {

struct EngineHolder {
  CGameApp engine;
};

// The game with its one script served from memory.
class LoopingGame : private EngineHolder, public CGame {
 public:
  explicit LoopingGame(std::string text) : CGame(EngineHolder::engine), text_(std::move(text)) {}
  bool ReadScript(const char* /*name*/, std::vector<char>& bytes) override {
    bytes.assign(text_.begin(), text_.end());
    return true;
  }

 private:
  std::string text_;
};

std::string LoopingScript(const std::string& loop) {
  std::string text;
  for (int line = 0; text.size() < 64 * 1024 - 64; ++line) {
    text += "[line" + std::to_string(line) + "]\r\n<Mov a,1>\r\n";
  }
  return text + "[loop]\r\n" + loop + "\r\n";
}

void RunLoop(benchmark::State& state, const std::string& loop) {
  LoopingGame game(LoopingScript(loop));
  CScriptInterpreter& interpreter = game.Interpreter();
  interpreter.JumpToScript("main.txt", "loop");
  for (auto _ : state) interpreter.RunScriptFrame();
}

void BM_LoopingJumpFrame(benchmark::State& state) { RunLoop(state, "<Jump loop>"); }
void BM_LoopingIfsToTheSameScriptFrame(benchmark::State& state) { RunLoop(state, "<Mov a,1><Ifs main.txt,loop,a==1>"); }
void BM_LoopingCallIntoTheSameScriptFrame(benchmark::State& state) {
  RunLoop(state, "<JumpR sub,main.txt><Jump loop>\r\n[sub]\r\n<Return>");
}
void BM_LoopingCallToAnotherScriptFrame(benchmark::State& state) {
  RunLoop(state, "<JumpR sub,other.txt><Jump loop>\r\n[sub]\r\n<Return>");
}

}  // namespace

BENCHMARK(BM_LoopingJumpFrame);
BENCHMARK(BM_LoopingIfsToTheSameScriptFrame);
BENCHMARK(BM_LoopingCallIntoTheSameScriptFrame);
BENCHMARK(BM_LoopingCallToAnotherScriptFrame);
