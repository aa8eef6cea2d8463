#include "engine/shell/dirty_rect_list.h"

#include <algorithm>
#include <new>

namespace {

bool Covers(const RECT& outer, const RECT& inner) {
  return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
         outer.bottom >= inner.bottom;
}

bool MeetsOrTouches(const RECT& a, const RECT& b) {
  return !(a.left > b.right || a.right < b.left || a.top > b.bottom || a.bottom < b.top);
}

}  // namespace

void CDirtyRectList::SetSize(std::int32_t width, std::int32_t height) {
  clipWidth_ = width;
  clipHeight_ = height;
}

int CDirtyRectList::Add(RECT* r, std::uint32_t kind) {
  if (r->right < 0 || r->left > clipWidth_ || r->bottom < 0 || r->top > clipHeight_) return 0;
  r->left = std::max<LONG>(r->left, 0);
  r->top = std::max<LONG>(r->top, 0);
  r->right = std::min<LONG>(r->right, clipWidth_);
  r->bottom = std::min<LONG>(r->bottom, clipHeight_);
  // An empty or inverted rectangle has nothing to redraw or present.
  if (r->left >= r->right || r->top >= r->bottom) return 0;
  // Room first: a merge removes the nodes it joins, which must not be lost.
  try {
    if (nodes_.size() == nodes_.capacity()) nodes_.reserve(std::max<std::size_t>(16, 2 * nodes_.capacity()));
  } catch (const std::bad_alloc&) {
    return 0;
  }
  if (kind == 1 && !Merge(r)) return 0;
  nodes_.push_back(Node{*r, kind});
  return 1;
}

int CDirtyRectList::Merge(RECT* r) {
  for (std::size_t i = 0; i < nodes_.size();) {
    const RECT node = nodes_[i].rect;
    if (Covers(node, *r)) return 0;
    if (Covers(*r, node)) {
      nodes_.erase(nodes_.begin() + static_cast<std::ptrdiff_t>(i));
    } else if (MeetsOrTouches(*r, node)) {
      // Nodes already passed are not looked at again.
      *r = RECT{std::min(r->left, node.left), std::min(r->top, node.top), std::max(r->right, node.right),
                std::max(r->bottom, node.bottom)};
      nodes_.erase(nodes_.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
  return 1;
}

std::uint32_t CDirtyRectList::GetAt(std::uint32_t index, RECT* out) const {
  if (index >= nodes_.size()) {
    *out = RECT{0, 0, 0, 0};
    return 0;
  }
  *out = nodes_[index].rect;
  return nodes_[index].kind;
}

int CDirtyRectList::Intersects(std::int32_t left, std::int32_t top, std::int32_t right,
                               std::int32_t bottom) const {
  for (const Node& node : nodes_) {
    if (node.kind == 1 && node.rect.left <= right && node.rect.top <= bottom && node.rect.right >= left &&
        node.rect.bottom >= top) {
      return 1;
    }
  }
  return 0;
}
