// A ".rzm2" movie: its header and index checked and read ahead, and played
// through the player into display memory for a few seconds of engine clock,
// every frame record decoded on the movie path.
#include <cstdint>
#include <vector>

#include "engine/movie/movie_player.h"
#include "engine/movie/movie_read_ahead.h"
#include "engine/runtime/runtime_globals.h"
#include "engine/shell/display_access.h"
#include "fuzz/fuzz_input.h"
#include "engine/runtime/file_helpers.h"
#include "host/time/time_api.h"

namespace {

constexpr std::uint32_t kRows = 640;
constexpr std::uint32_t kColumns = 480;
std::vector<std::uint16_t> gDisplay(kRows * kColumns);

void ReadProperties(GXDisplayProperties* out) {
  *out = GXDisplayProperties{kColumns, kRows, 2, static_cast<std::int32_t>(kColumns * 2), 16, kfDirect565};
}
void* BeginDraw() { return gDisplay.data(); }
int EndDraw() { return 1; }
void DetectScreenMode(CScreenMode*) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LimitAllocationsAsTheDevice();
  HostClockSetMode(HostClockMode::Virtual);
  SetScreenWidth(static_cast<std::int32_t>(kRows));
  SetScreenHeight(static_cast<std::int32_t>(kColumns));
  SetDisplayAccess(DisplayAccess{&ReadProperties, &BeginDraw, &EndDraw, &DetectScreenMode});
  const std::string path = WriteFuzzFile(data, size, ".rzm2");

  CMovieReadAhead reader;
  if (reader.Open(AnsiToWideStatic(path.c_str()), 65536)) {
    reader.Start();
    for (std::uint32_t frame = 0; frame < reader.Header().frameCount && frame < 64; ++frame) {
      std::uint32_t recordBytes = 0;
      reader.GetFrame(frame, &recordBytes);
    }
    reader.Close();
  }

  CMoviePlayer player;
  if (player.Open(path.c_str(), nullptr, 100, 1, 1)) {
    for (int tick = 0; tick < 100 && player.Advance(); ++tick) HostClockAdvance(33);
  }
  return 0;
}
