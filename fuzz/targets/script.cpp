// A script as the game runs it: its labels indexed, then frames of the game
// screen run over it, with every handler finishing at once, so that jumps,
// calls, conditions and loops are all taken. The script is "main.txt"; any
// other name it jumps to is missing.
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
  explicit FuzzGame(ScriptBytes script) : CGame(EngineHolder::engine), script_(script) {}
  bool ReadScript(const char* name, std::vector<char>& bytes) override {
    if (std::string(name) != "main.txt") return false;
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

  FuzzGame game(script);
  CScriptInterpreter& interpreter = game.Interpreter();
  interpreter.JumpToScript("main.txt", "");
  for (int frame = 0; frame < kFrames; ++frame) {
    HostClockSetVirtualNow(1000 + 16 * static_cast<std::uint32_t>(frame));
    interpreter.RunScriptFrame();
  }
  return 0;
}
