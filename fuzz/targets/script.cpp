// A script as the game runs it: its labels indexed, then frames of the game
// screen run over it, with every handler finishing at once, so that jumps,
// calls, conditions and loops are all taken. The script is "main.txt"; any
// other name it jumps to is missing. The game lives across inputs as the
// engine's does (building one per input, its 1.2 MiB store pool above all,
// cost most of the run); each input starts a new game with the stores and
// every variable emptied, so nothing of the previous script is left to read.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/runtime/engine_clock.h"
#include "engine/shell/game_app.h"
#include "fuzz/fuzz_input.h"
#include "game/game.h"
#include "game/script/script_label_index.h"
#include "host/time/time_api.h"

namespace {

struct EngineHolder {
  CGameApp engine;
};

class FuzzGame : private EngineHolder, public CGame {
 public:
  FuzzGame() : CGame(EngineHolder::engine) {}
  void StartOver(ScriptBytes script) {
    script_ = script;
    seen.ClearSeenNames();
    seen.ClearReadMarks();
    Interpreter().Variables().ClearGlobals();
    StartNewGame();
  }
  bool ReadScript(const char* name, std::vector<char>& bytes) override {
    if (std::string(name) != kFirstScript) return false;
    bytes.assign(script_.begin(), script_.end());
    return true;
  }

 private:
  ScriptBytes script_;
};

constexpr int kFrames = 32;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LimitAllocationsAsTheDevice();
  HostClockSetMode(HostClockMode::Virtual);
  SetClockSource(GetTickCount);
  // An exact copy, so a read past the script's end is caught.
  const std::vector<char> text(data, data + size);
  const ScriptBytes script(text.data(), text.size());
  ScriptLabelIndex(script).Find("start");

  static FuzzGame game;
  game.StartOver(script);
  CScriptInterpreter& interpreter = game.Interpreter();
  for (int frame = 0; frame < kFrames; ++frame) {
    HostClockSetVirtualNow(1000 + 16 * static_cast<std::uint32_t>(frame));
    interpreter.RunScriptFrame();
  }
  return 0;
}
