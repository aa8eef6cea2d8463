// A save file: the whole-file check, a taken file written again (which must
// read back to the same bytes), the save screen's page drawn over it (its
// row, thumbnail fitted to the box, text lines and date, or the damaged
// mark), and a load onto a game with nothing to draw.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "engine/runtime/file_helpers.h"
#include "fuzz/fuzz_input.h"
#include "game/game.h"
#include "game/saves/save_file.h"

namespace {

void CheckRewrite(const std::uint8_t* data, std::size_t size) {
  SaveFile save;
  if (DecodeSaveFile(data, size, save) == 0) return;
  const std::vector<std::uint8_t> written = EncodeSaveFile(save);
  SaveFile again;
  if (DecodeSaveFile(written.data(), written.size(), again) == 0) std::abort();
  if (EncodeSaveFile(again) != written) std::abort();
}

// One game for the whole run, saving in a scratch folder.
CGame& ScratchGame() {
  static const std::unique_ptr<CGameApp> app = [] {
    std::unique_ptr<CGameApp> made = MakeGameApp();
    made->saveFolder = FuzzScratchFolder();
    return made;
  }();
  return *static_cast<CGame*>(app->game.get());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LimitAllocationsAsTheDevice();
  CheckRewrite(data, size);
  CGame& game = ScratchGame();
  const std::string path = game.Engine().saveFolder + SaveFileName(0);
  if (!ReplaceWholeFile(path.c_str(), data, static_cast<std::uint32_t>(size))) return 0;
  game.saveLoad.DrawPage(0);
  game.LoadGame(0);
  return 0;
}
