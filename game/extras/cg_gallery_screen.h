// The CG gallery: the event pictures the game has shown, by character tab,
// opened full size in the picture viewer; linked to the music room and the
// recollection screen.
#pragma once

#include <cstdint>

class CGame;
class CSeenStores;

// Whether the game has shown the picture: its name with ".bmp" in the
// pictures' seen-list, letter case aside.
bool WasPictureShown(const CSeenStores& seen, const char* name);

class CCgGalleryScreen {
 public:
  explicit CCgGalleryScreen(CGame& game) : game_(game) {}

  // One frame; the engine's sub-state selects the step.
  void RunFrame();
  // Rebuilds the whole screen on a tab and page (a page past the tab's
  // count is page 0).
  void SetUp(std::uint32_t tab, std::uint32_t page);

 private:
  void RunCursor();
  void Activate(std::uint32_t position);

  CGame& game_;
};
