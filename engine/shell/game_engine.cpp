#include "engine/shell/game_engine.h"

#include "engine/movie/movie_paths.h"

int CGameEngine::StartMovie(const char* name) {
  const std::string movieName = WithExtension(name ? name : "", "");
  const auto volume = static_cast<int>(std::uint64_t{options[MOV_VOL]} * options[MASTER_VOL] / 100);
  if (backBuffer->PlayMovie(dataFolder, movieName.c_str(), mixer.get(), volume, 1, options[VGA_QUALITY])) return 0;
  backBuffer->StopMovie();
  return 1;
}

void CGameEngine::ApplyPictureEffect(int n, int effect) {
  CImage* picture = pictureSlots.Get(n);
  if (picture == nullptr) return;
  switch (effect) {
    case kPictureEffectInvert:
      picture->InvertColors();
      break;
    case kPictureEffectGrey:
      picture->ApplyGrey();
      break;
    case kPictureEffectSepia:
      picture->ApplySepia();
      break;
    default:
      break;
  }
}
