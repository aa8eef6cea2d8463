// A save's thumbnail as a menu item's icon: a 16-bit bitmap file image of
// any size. The first byte picks the screen: even 640 x 480, odd 320 x 240.
// An icon taken must fit the screen with its border, hold the rows as the
// bitmap stores them, be reused for the same size and go when cleared.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/menu/menu_tree.h"
#include "engine/runtime/runtime_globals.h"
#include "fuzz/fuzz_input.h"

namespace {

constexpr std::uint32_t kSlot = 40017;

std::uint16_t StoredPixel(const std::uint8_t* bitmap, std::size_t stride, std::size_t row, std::size_t column) {
  std::uint16_t pixel;
  std::memcpy(&pixel, bitmap + 54 + row * stride + column * 2, 2);
  return pixel;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LimitAllocationsAsTheDevice();
  if (size == 0) return 0;
  const bool small = (data[0] & 1) != 0;
  SetScreenWidth(small ? 320 : 640);
  SetScreenHeight(small ? 240 : 480);
  const std::uint8_t* bitmap = data + 1;
  const std::size_t bytes = size - 1;

  CMenuTree tree;
  MenuNode* root = tree.AddNode(nullptr, 0);
  tree.AddItem(root, kSlot, kMenuCommand, "slot");
  tree.SetItemIcon(nullptr, kSlot, bitmap, bytes);
  const MenuItem& item = root->items[0];
  if ((item.flags & kMenuHasIcon) == 0) {
    if (item.icon != nullptr) std::abort();
    return 0;
  }
  const MenuIcon& icon = *item.icon;
  if (icon.width == 0 || icon.width > GetScreenWidth() - 1 || icon.height == 0 || icon.height > GetScreenHeight() - 2) {
    std::abort();
  }
  const std::size_t stride = (icon.width * 2u + 3) & ~std::size_t{3};
  if (bytes < 54 + stride * icon.height) std::abort();
  if (icon.pixels.size() != std::size_t{icon.width} * icon.height) std::abort();
  if (icon.covered.size() != std::size_t{icon.width + 1u} * (icon.height + 2u)) std::abort();
  const std::size_t lastRow = icon.height - 1u;
  const std::size_t lastColumn = icon.width - 1u;
  if (icon.pixels.front() != StoredPixel(bitmap, stride, 0, 0) ||
      icon.pixels.back() != StoredPixel(bitmap, stride, lastRow, lastColumn)) {
    std::abort();
  }
  const MenuIcon* first = item.icon.get();
  tree.SetItemIcon(nullptr, kSlot, bitmap, bytes);
  if (item.icon.get() != first) std::abort();
  tree.SetItemIcon(nullptr, kSlot, nullptr, 0);
  if (item.icon != nullptr || (item.flags & kMenuHasIcon) != 0) std::abort();
  return 0;
}
