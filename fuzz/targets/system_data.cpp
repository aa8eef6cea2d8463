// "system.dat": the image applied to fresh stores; when it is taken, the
// stores written again must be taken too and give the same image.
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "game/stores/system_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LimitAllocationsAsTheDevice();
  ScriptVariables variables;
  CSeenStores stores;
  if (ApplySystemData(data, size, variables, stores) == 0) return 0;
  const std::vector<std::uint8_t> written = BuildSystemData(variables, stores);
  ScriptVariables again;
  CSeenStores againStores;
  if (ApplySystemData(written.data(), written.size(), again, againStores) == 0) std::abort();
  if (BuildSystemData(again, againStores) != written) std::abort();
  return 0;
}
