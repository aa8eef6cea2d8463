// The rectangles to redraw and present this frame. Redraw rectangles (kind 1)
// that overlap or touch are merged as they are added; present-only
// rectangles (kind 0, areas their owner drew already) are kept as given.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/runtime/local_heap_allocator.h"
#include "host/window/window_api.h"

class CDirtyRectList {
 public:
  void SetSize(std::int32_t width, std::int32_t height);
  // Clips r to the list's size (r is changed) and appends it, merging kind-1
  // rectangles; 0 when r was rejected, empty or already covered, or when
  // memory for it ran out (the list is then as it was).
  int Add(RECT* r, std::uint32_t kind);
  std::uint32_t Count() const { return static_cast<std::uint32_t>(nodes_.size()); }
  // The node's kind and rectangle; an index past the end gives kind 0 and an
  // empty rectangle.
  std::uint32_t GetAt(std::uint32_t index, RECT* out) const;
  // 1 when a kind-1 rectangle meets the closed rectangle given.
  int Intersects(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) const;
  void Clear() { nodes_.clear(); }
  // Removes the nodes r covers and joins r with those it meets or touches;
  // 0 when a node already covers r.
  int Merge(RECT* r);

 private:
  struct Node {
    RECT rect;
    std::uint32_t kind;
  };

  std::vector<Node, LocalHeapAllocator<Node>> nodes_;
  std::int32_t clipWidth_ = 320;
  std::int32_t clipHeight_ = 240;
};
