// "system.dat": the image applied to the stores; when it is taken, the
// stores written again must be taken too and give the same image. The stores
// live across inputs as the game's do (a fresh 1.2 MiB pool per input cost
// most of the run), so each image must also replace the previous one whole.
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "game/stores/system_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LimitAllocationsAsTheDevice();
  static CSeenStores stores;
  static CSeenStores againStores;
  ScriptVariables variables;
  if (ApplySystemData(data, size, variables, stores) == 0) return 0;
  const std::vector<std::uint8_t> written = BuildSystemData(variables, stores);
  ScriptVariables again;
  if (ApplySystemData(written.data(), written.size(), again, againStores) == 0) std::abort();
  if (BuildSystemData(again, againStores) != written) std::abort();
  return 0;
}
