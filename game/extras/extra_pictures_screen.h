// The extra pictures screen: three categories of illustrations, all always
// available, opened full size in the picture viewer.
#pragma once

#include <cstdint>

class CGame;

class CExtraPicturesScreen {
 public:
  explicit CExtraPicturesScreen(CGame& game) : game_(game) {}

  // One frame; the engine's sub-state selects the step.
  void RunFrame();
  // Rebuilds the whole screen on a category and page (a page past the
  // category's count is page 0).
  void SetUp(std::uint32_t category, std::uint32_t page);

 private:
  void RunCursor();
  void Activate(std::uint32_t position);

  CGame& game_;
};
