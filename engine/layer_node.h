// The drawable record at the head of every part sprite and effect tile; the
// compositor walks a list of them. Only the link and the empty-node mark are
// used by the shell (the draw-list heads are empty nodes).
#pragma once

#include <cstdint>

struct LayerNode {
  LayerNode* next = nullptr;
  std::uint32_t size = 0;
  std::uint32_t kind = 0;  // 0: an empty node (a draw-list head), nothing to draw
};
