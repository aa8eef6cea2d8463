#include "engine/menu/menu_tree.h"

#include <cstring>

#include "common/sjis_string.h"
#include "engine/runtime/runtime_globals.h"

namespace {

constexpr std::size_t kBitmapHeaders = 54;

std::int32_t ReadInt32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24));
}

}  // namespace

MenuNode* CMenuTree::AddNode(MenuNode* parent, std::uint32_t index) {
  if (parent != nullptr && index >= parent->count) return nullptr;
  auto* node = new MenuNode;
  node->parent = parent;
  if (parent == nullptr) {
    FreeTree(nullptr);
    root_ = node;
  } else {
    if (parent->items[index].child != nullptr) FreeTree(parent->items[index].child);
    parent->items[index].child = node;
  }
  return node;
}

int CMenuTree::AddItem(MenuNode* node, std::uint32_t id, std::uint32_t kind, const char* text) {
  if (node == nullptr) return -1;
  if (node->count >= kMenuItemsPerNode) return 0;
  MenuItem& item = node->items[node->count];
  item.id = id;
  item.kind = kind;
  item.flags = kMenuEnabled;
  StrCopy(item.text, text != nullptr ? text : "");
  return static_cast<int>(node->count++);
}

MenuNode* CMenuTree::FindItem(MenuNode* node, std::uint32_t id, std::uint32_t* outIndex) const {
  if (node == nullptr) node = root_;
  if (node == nullptr) return nullptr;
  for (std::uint32_t i = 0; i < node->count; ++i) {
    if (node->items[i].id == id) {
      if (outIndex != nullptr) *outIndex = i;
      return node;
    }
    if (node->items[i].child != nullptr) {
      if (MenuNode* found = FindItem(node->items[i].child, id, outIndex)) return found;
    }
  }
  return nullptr;
}

MenuItem* CMenuTree::Item(MenuNode* node, std::uint32_t id) const {
  std::uint32_t index = 0;
  MenuNode* holder = FindItem(node, id, &index);
  return holder != nullptr ? &holder->items[index] : nullptr;
}

MenuItem* CMenuTree::ItemByIdOrIndex(MenuNode* node, std::uint32_t idOrIndex, std::uint32_t flags) const {
  if ((flags & kMenuByIndex) == 0) return Item(node, idOrIndex);
  if (node == nullptr) node = root_;
  if (node == nullptr || idOrIndex >= node->count) return nullptr;
  return &node->items[idOrIndex];
}

void CMenuTree::SetChecked(MenuNode* node, std::uint32_t idOrIndex, std::uint32_t flags) {
  if (MenuItem* item = ItemByIdOrIndex(node, idOrIndex, flags)) {
    item->flags = (flags & 1) != 0 ? item->flags | kMenuChecked : item->flags & ~kMenuChecked;
  }
}

void CMenuTree::SetEnabled(MenuNode* node, std::uint32_t idOrIndex, std::uint32_t flags) {
  if (MenuItem* item = ItemByIdOrIndex(node, idOrIndex, flags)) {
    item->flags = (flags & 2) != 0 ? item->flags | kMenuEnabled : item->flags & ~kMenuEnabled;
  }
}

void CMenuTree::SetItemText(MenuNode* node, std::uint32_t id, const char* text) {
  if (MenuItem* item = Item(node, id)) StrCopy(item->text, text != nullptr ? text : "");
}

void CMenuTree::SetItemIcon(MenuNode* node, std::uint32_t id, const std::uint8_t* bitmap, std::size_t size) {
  MenuItem* item = Item(node, id);
  if (item == nullptr) return;
  const bool sixteenBits = bitmap != nullptr && size >= kBitmapHeaders && (bitmap[28] | (bitmap[29] << 8)) == 16;
  const std::int32_t width = sixteenBits ? ReadInt32(bitmap + 18) : 0;
  const std::int32_t height = sixteenBits ? ReadInt32(bitmap + 22) : 0;
  const std::size_t stride = (static_cast<std::size_t>(width > 0 ? width : 0) * 2 + 3) & ~std::size_t{3};
  const bool inData = height > 0 && stride * static_cast<std::size_t>(height) <= size - kBitmapHeaders;
  MenuIcon* icon = inData ? PrepareIcon(*item, width, height) : PrepareIcon(*item, 0, 0);
  if (icon == nullptr) return;
  for (std::size_t row = 0; row < icon->height; ++row) {
    std::memcpy(&icon->pixels[row * icon->width], bitmap + kBitmapHeaders + row * stride, icon->width * 2u);
  }
}

void CMenuTree::SetItemIconImage(MenuNode* node, std::uint32_t id, const std::uint16_t* pixels, std::int32_t width,
                                 std::int32_t height) {
  MenuItem* item = Item(node, id);
  if (item == nullptr) return;
  MenuIcon* icon = pixels != nullptr ? PrepareIcon(*item, width, height) : PrepareIcon(*item, 0, 0);
  if (icon == nullptr) return;
  // The record keeps bitmap order: the bottom row first.
  for (std::size_t row = 0; row < icon->height; ++row) {
    std::memcpy(&icon->pixels[row * icon->width], pixels + (icon->height - 1 - row) * icon->width, icon->width * 2u);
  }
}

MenuIcon* CMenuTree::PrepareIcon(MenuItem& item, std::int32_t width, std::int32_t height) {
  if (width <= 0 || width > GetScreenWidth() - 1 || height <= 0 || height > GetScreenHeight() - 2) {
    item.icon.reset();
    item.flags &= ~kMenuHasIcon;
    return nullptr;
  }
  const auto w = static_cast<std::uint16_t>(width);
  const auto h = static_cast<std::uint16_t>(height);
  if (item.icon == nullptr || item.icon->width != w || item.icon->height != h) {
    item.icon = std::make_unique<MenuIcon>();
    item.icon->width = w;
    item.icon->height = h;
    item.icon->pixels.resize(static_cast<std::size_t>(w) * h);
    item.icon->covered.resize(static_cast<std::size_t>(w + 1) * (h + 2));
  }
  item.flags |= kMenuHasIcon;
  return item.icon.get();
}

void CMenuTree::FreeNode(MenuNode* node) {
  for (std::uint32_t i = 0; i < node->count; ++i) {
    if (node->items[i].child != nullptr) FreeNode(node->items[i].child);
  }
  delete node;
}

void CMenuTree::FreeTree(MenuNode* node) {
  if (node == nullptr) {
    if (root_ != nullptr) FreeNode(root_);
    root_ = nullptr;
    return;
  }
  if (node->parent != nullptr) {
    for (std::uint32_t i = 0; i < node->parent->count; ++i) {
      if (node->parent->items[i].child == node) node->parent->items[i].child = nullptr;
    }
  } else if (node == root_) {
    root_ = nullptr;
  }
  FreeNode(node);
}
