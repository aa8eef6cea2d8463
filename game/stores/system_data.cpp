#include "game/stores/system_data.h"

#include <cstring>
#include <string>

#include "common/sjis_string.h"
#include "engine/runtime/file_helpers.h"
#include "game/stores/byte_image.h"
#include "host/base/diagnostics.h"
#include "host/memory/memory_api.h"

namespace {

constexpr char kMagic[4] = {'S', 'T', 'S', '0'};

// A block's count and byte length, the length filled in once the body is out.
std::size_t OpenBlock(std::vector<std::uint8_t>& out, std::uint32_t count) {
  PutWord(out, count);
  PutWord(out, 0);
  return out.size();
}

void CloseBlock(std::vector<std::uint8_t>& out, std::size_t bodyStart) {
  const auto length = static_cast<std::uint32_t>(out.size() - bodyStart);
  for (int i = 0; i < 4; ++i) out[bodyStart - 4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
}

struct StoredSet {
  std::string name;
  std::vector<std::uint32_t> positions;
};

struct SystemImage {
  std::vector<ScriptVariable> globals;
  std::vector<std::string> seen[kSeenListCount];
  std::vector<StoredSet> sets;
};

bool ParseImage(ImageReader& in, SystemImage& image) {
  in.Word();  // the magic, not checked
  const std::uint32_t globals = in.Count(5);
  for (std::uint32_t i = 0; i < globals && in.ok(); ++i) {
    ScriptVariable& variable = image.globals.emplace_back();
    StrCopy(variable.name, in.Name().c_str());
    variable.value = static_cast<std::int32_t>(in.Word());
  }
  for (auto& list : image.seen) {
    const std::uint32_t count = in.Count(1);
    in.Word();  // byte length
    for (std::uint32_t i = 0; i < count && in.ok(); ++i) list.push_back(in.Name());
  }
  const std::uint32_t sets = in.Count(1);
  in.Word();  // byte length
  for (std::uint32_t i = 0; i < sets && in.ok(); ++i) {
    StoredSet& set = image.sets.emplace_back();
    set.name = in.Name();
    const std::uint32_t count = in.Count(4);
    for (std::uint32_t p = 0; p < count && in.ok(); ++p) set.positions.push_back(in.Word());
  }
  return in.ok();
}

}  // namespace

std::vector<std::uint8_t> BuildSystemData(const ScriptVariables& variables, const CSeenStores& stores) {
  std::vector<std::uint8_t> out(kMagic, kMagic + sizeof kMagic);
  PutWord(out, static_cast<std::uint32_t>(variables.Globals().size()));
  for (const ScriptVariable& variable : variables.Globals()) {
    PutName(out, variable.name);
    PutWord(out, static_cast<std::uint32_t>(variable.value));
  }
  for (int list = 0; list < kSeenListCount; ++list) {
    const std::size_t body = OpenBlock(out, stores.SeenCount(list));
    for (std::uint32_t n = 0; const char* name = stores.SeenName(list, n); ++n) PutName(out, name);
    CloseBlock(out, body);
  }
  std::uint32_t sets = 0;
  while (stores.ReadMarkSetAt(sets) != nullptr) ++sets;
  const std::size_t body = OpenBlock(out, sets);
  for (std::uint32_t i = 0; i < sets; ++i) {
    const ReadMarkSet& set = *stores.ReadMarkSetAt(i);
    PutName(out, set.name);
    PutWord(out, set.count);
    for (std::uint32_t p = 0; p < set.count; ++p) PutWord(out, set.positions[p]);
  }
  CloseBlock(out, body);
  return out;
}

int ApplySystemData(const std::uint8_t* bytes, std::size_t size, ScriptVariables& variables, CSeenStores& stores) {
  ImageReader in(bytes, size);
  SystemImage image;
  if (!ParseImage(in, image)) return 0;
  variables.ClearGlobals();
  for (const ScriptVariable& variable : image.globals) variables.Set(variable.name, variable.value);
  stores.ClearSeenNames();
  for (int list = 0; list < kSeenListCount; ++list) {
    for (const std::string& name : image.seen[list]) stores.AddSeenName(list, name.c_str());
  }
  stores.ClearReadMarks();
  for (const StoredSet& set : image.sets) {
    stores.RestoreReadMarkSet(set.name.c_str(), set.positions.data(), static_cast<std::uint32_t>(set.positions.size()));
  }
  return 1;
}

int WriteSystemDataFile(const char* path, const ScriptVariables& variables, const CSeenStores& stores) {
  const std::vector<std::uint8_t> image = BuildSystemData(variables, stores);
  return ReplaceWholeFile(path, image.data(), static_cast<std::uint32_t>(image.size()));
}

int ReadSystemDataFile(const char* path, ScriptVariables& variables, CSeenStores& stores) {
  std::uint32_t size = 0;
  void* block = ReadWholeFile(path, &size, 0);
  if (block == nullptr) return 0;
  const int applied = ApplySystemData(static_cast<const std::uint8_t*>(block), size, variables, stores);
  if (!applied) {
    // The next write replaces the file; a copy keeps what a player could
    // still recover.
    DiagnosticLine("%s is damaged; kept as %s.bad", path, path);
    ReplaceWholeFile((std::string(path) + ".bad").c_str(), block, size);
  }
  LocalFree(block);
  return applied;
}
