// The pop-up menu's content: a tree of nodes of up to 20 items (commands,
// submenus and separators), each with its check, enabled and icon marks. A
// save's thumbnail rides on its item as an icon record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

inline constexpr std::uint32_t kMenuItemsPerNode = 20;
inline constexpr std::uint32_t kMenuCommand = 0;
inline constexpr std::uint32_t kMenuSubmenu = 1;
inline constexpr std::uint32_t kMenuSeparator = 2;
inline constexpr std::uint32_t kMenuChecked = 0x1;
inline constexpr std::uint32_t kMenuEnabled = 0x2;
inline constexpr std::uint32_t kMenuHasIcon = 0x1000;
// In the flags of SetChecked/SetEnabled: idOrIndex is an index in the node.
inline constexpr std::uint32_t kMenuByIndex = 0x100;

// A thumbnail in the order of a bottom-up 16-bit bitmap, with room for the
// (width + 1) x (height + 2) screen pixels it covers while shown.
struct MenuIcon {
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::vector<std::uint16_t> pixels;
  std::vector<std::uint16_t> covered;
};

struct MenuNode;

struct MenuItem {
  MenuNode* child = nullptr;
  char text[96] = {};
  std::uint32_t kind = kMenuCommand;
  std::uint32_t id = 0;
  std::uint32_t flags = 0;
  std::unique_ptr<MenuIcon> icon;
};

struct MenuNode {
  MenuNode* parent = nullptr;
  std::uint32_t count = 0;
  MenuItem items[kMenuItemsPerNode];
};

class CMenuTree {
 public:
  CMenuTree() = default;
  ~CMenuTree() { FreeTree(nullptr); }
  CMenuTree(const CMenuTree&) = delete;
  CMenuTree& operator=(const CMenuTree&) = delete;

  // A null parent makes the root; otherwise the node becomes the child of
  // the parent's item at index (null when there is no such item).
  MenuNode* AddNode(MenuNode* parent, std::uint32_t index);
  // The new item's index, enabled; 0 without adding when the node is full,
  // -1 for a null node. The text is cut on a character boundary.
  int AddItem(MenuNode* node, std::uint32_t id, std::uint32_t kind, const char* text);
  // Depth first from node (the root when null): each item's own id before
  // its child subtree. The holding node, or null.
  MenuNode* FindItem(MenuNode* node, std::uint32_t id, std::uint32_t* outIndex) const;
  void SetChecked(MenuNode* node, std::uint32_t idOrIndex, std::uint32_t flags);
  void SetEnabled(MenuNode* node, std::uint32_t idOrIndex, std::uint32_t flags);
  void SetItemText(MenuNode* node, std::uint32_t id, const char* text);
  // bitmap: a 16-bit bitmap file image of size bytes, or null to clear the
  // icon. A header or size that does not fit gives no icon, and so does an
  // icon that would not leave one column and two rows of the screen free.
  void SetItemIcon(MenuNode* node, std::uint32_t id, const std::uint8_t* bitmap, std::size_t size);
  // The same from width x height top-down pixels (null clears the icon).
  void SetItemIconImage(MenuNode* node, std::uint32_t id, const std::uint16_t* pixels, std::int32_t width,
                        std::int32_t height);
  // Frees a subtree; null frees the whole tree.
  void FreeTree(MenuNode* node);

  MenuNode* Root() const { return root_; }
  // The item with id, or null.
  MenuItem* Item(MenuNode* node, std::uint32_t id) const;

 private:
  MenuItem* ItemByIdOrIndex(MenuNode* node, std::uint32_t idOrIndex, std::uint32_t flags) const;
  void FreeNode(MenuNode* node);
  // The item's icon record for a width x height icon, reused when its size
  // matches; null, with the icon cleared, when it would not fit the screen.
  MenuIcon* PrepareIcon(MenuItem& item, std::int32_t width, std::int32_t height);

  MenuNode* root_ = nullptr;
};
