#include "engine/menu/menu_tree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/runtime/runtime_globals.h"

namespace {

class MenuTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetScreenWidth(640);
    SetScreenHeight(480);
  }
  CMenuTree tree_;
};

// A 16-bit bitmap file image: headers then rows of the given stride.
std::vector<std::uint8_t> Bitmap(std::int32_t width, std::int32_t height, int bits = 16, int stridePad = -1) {
  const std::size_t stride = stridePad >= 0 ? static_cast<std::size_t>(stridePad) : ((width * 2 + 3) & ~3);
  std::vector<std::uint8_t> image(54 + stride * (height > 0 ? height : 0), 0);
  image[0] = 'B';
  image[1] = 'M';
  std::memcpy(&image[18], &width, 4);
  std::memcpy(&image[22], &height, 4);
  image[28] = static_cast<std::uint8_t>(bits);
  for (std::int32_t row = 0; row < height; ++row) {
    for (std::int32_t x = 0; x < width; ++x) {
      const auto pixel = static_cast<std::uint16_t>(row * 256 + x);
      std::memcpy(&image[54 + row * stride + x * 2], &pixel, 2);
    }
  }
  return image;
}

TEST_F(MenuTreeTest, NodeHoldsTwentyItemsAndNullNodeIsRefused) {
  MenuNode* root = tree_.AddNode(nullptr, 0);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(tree_.AddItem(root, 100 + i, kMenuCommand, "x"), i);
  EXPECT_EQ(tree_.AddItem(root, 999, kMenuCommand, "x"), 0);
  EXPECT_EQ(root->count, 20u);
  EXPECT_EQ(tree_.Item(nullptr, 999), nullptr);
  EXPECT_EQ(tree_.AddItem(nullptr, 1, kMenuCommand, "x"), -1);
  EXPECT_EQ(root->items[0].flags, kMenuEnabled);
}

TEST_F(MenuTreeTest, FindItemLooksAtOwnIdBeforeChildSubtree) {
  MenuNode* root = tree_.AddNode(nullptr, 0);
  tree_.AddItem(root, 0, kMenuSubmenu, "sub");
  tree_.AddItem(root, 7, kMenuCommand, "later");
  MenuNode* child = tree_.AddNode(root, 0);
  ASSERT_NE(child, nullptr);
  tree_.AddItem(child, 5, kMenuCommand, "deep");
  tree_.AddItem(child, 7, kMenuCommand, "deep seven");
  std::uint32_t index = 99;
  // Item 0 (id 0) has a child that holds 7 before the root's own item 1.
  EXPECT_EQ(tree_.FindItem(nullptr, 7, &index), child);
  EXPECT_EQ(index, 1u);
  EXPECT_EQ(tree_.FindItem(nullptr, 5, &index), child);
  EXPECT_EQ(tree_.FindItem(nullptr, 0, &index), root);
  EXPECT_EQ(index, 0u);
  EXPECT_EQ(tree_.FindItem(nullptr, 1234, &index), nullptr);
  EXPECT_EQ(tree_.AddNode(root, 5), nullptr) << "no item at that index";
}

TEST_F(MenuTreeTest, MarksByIdAndByIndex) {
  MenuNode* root = tree_.AddNode(nullptr, 0);
  tree_.AddItem(root, 10, kMenuCommand, "a");
  tree_.AddItem(root, 11, kMenuCommand, "b");
  tree_.SetChecked(nullptr, 11, 1);
  EXPECT_EQ(root->items[1].flags, kMenuEnabled | kMenuChecked);
  tree_.SetEnabled(nullptr, 0, kMenuByIndex | 0);
  EXPECT_EQ(root->items[0].flags, 0u);
  tree_.SetEnabled(nullptr, 0, kMenuByIndex | 2);
  tree_.SetChecked(nullptr, 1, kMenuByIndex | 0);
  EXPECT_EQ(root->items[0].flags, kMenuEnabled);
  EXPECT_EQ(root->items[1].flags, kMenuEnabled);
  // Ids and indexes not in the tree do nothing.
  tree_.SetChecked(nullptr, 4321, 1);
  tree_.SetChecked(nullptr, 2, kMenuByIndex | 1);
  EXPECT_EQ(root->items[0].flags | root->items[1].flags, kMenuEnabled);
}

TEST_F(MenuTreeTest, LongTextsAreCutOnACharacterBoundary) {
  MenuNode* root = tree_.AddNode(nullptr, 0);
  // 94 ASCII bytes, then a double-byte character that would straddle byte 95.
  std::string text(94, 'a');
  text += "\x83\x41\x83\x41";
  tree_.AddItem(root, 1, kMenuCommand, text.c_str());
  EXPECT_EQ(std::strlen(root->items[0].text), 94u);
  tree_.SetItemText(nullptr, 1, std::string(200, 'b').c_str());
  EXPECT_EQ(std::strlen(root->items[0].text), 95u);
}

TEST_F(MenuTreeTest, IconIsReusedReallocatedAndCleared) {
  MenuNode* root = tree_.AddNode(nullptr, 0);
  tree_.AddItem(root, 1, kMenuCommand, "slot");
  std::vector<std::uint8_t> image = Bitmap(3, 2);  // stride 8: one padding pixel per row
  tree_.SetItemIcon(nullptr, 1, image.data(), image.size());
  MenuItem& item = root->items[0];
  ASSERT_NE(item.icon, nullptr);
  EXPECT_EQ(item.flags & kMenuHasIcon, kMenuHasIcon);
  EXPECT_EQ(item.icon->pixels, (std::vector<std::uint16_t>{0, 1, 2, 256, 257, 258}));
  EXPECT_EQ(item.icon->covered.size(), 4u * 4u);
  const MenuIcon* first = item.icon.get();
  tree_.SetItemIcon(nullptr, 1, image.data(), image.size());
  EXPECT_EQ(item.icon.get(), first) << "same size reuses the record";
  image = Bitmap(4, 4);
  tree_.SetItemIcon(nullptr, 1, image.data(), image.size());
  EXPECT_EQ(item.icon->width, 4);
  EXPECT_EQ(item.icon->covered.size(), 5u * 6u);
  tree_.SetItemIcon(nullptr, 1, nullptr, 0);
  EXPECT_EQ(item.icon, nullptr);
  EXPECT_EQ(item.flags & kMenuHasIcon, 0u);
}

TEST_F(MenuTreeTest, MalformedBitmapsGiveNoIcon) {
  MenuNode* root = tree_.AddNode(nullptr, 0);
  tree_.AddItem(root, 1, kMenuCommand, "slot");
  struct Case {
    const char* what;
    std::vector<std::uint8_t> image;
    std::size_t cut;
  } cases[] = {
      {"24 bits", Bitmap(8, 8, 24), 0},
      {"zero width", Bitmap(0, 8), 0},
      {"negative height", Bitmap(8, -8), 0},
      {"as wide as the screen", Bitmap(640, 2), 0},
      {"taller than the screen less two", Bitmap(2, 479), 0},
      {"truncated pixels", Bitmap(8, 8), 1},
      {"padding missing from the last row", Bitmap(3, 2, 16, 6), 0},
      {"headers only in part", Bitmap(8, 8), 8 * 8 * 2 + 1},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> good = Bitmap(2, 2);
    tree_.SetItemIcon(nullptr, 1, good.data(), good.size());
    ASSERT_NE(root->items[0].icon, nullptr);
    tree_.SetItemIcon(nullptr, 1, c.image.data(), c.image.size() - c.cut);
    EXPECT_EQ(root->items[0].icon, nullptr) << c.what;
    EXPECT_EQ(root->items[0].flags & kMenuHasIcon, 0u) << c.what;
  }
  std::vector<std::uint8_t> edge = Bitmap(639, 478);
  tree_.SetItemIcon(nullptr, 1, edge.data(), edge.size());
  EXPECT_NE(root->items[0].icon, nullptr) << "the largest icon that leaves its border on screen";
}

TEST_F(MenuTreeTest, IconFromTopDownPixelsKeepsBitmapOrderAndTheSameBounds) {
  MenuNode* root = tree_.AddNode(nullptr, 0);
  tree_.AddItem(root, 1, kMenuCommand, "slot");
  const std::vector<std::uint16_t> topDown = {10, 11, 12, 20, 21, 22};  // 3 x 2, top row first
  tree_.SetItemIconImage(nullptr, 1, topDown.data(), 3, 2);
  MenuItem& item = root->items[0];
  ASSERT_NE(item.icon, nullptr);
  EXPECT_EQ(item.icon->pixels, (std::vector<std::uint16_t>{20, 21, 22, 10, 11, 12}));
  const MenuIcon* first = item.icon.get();
  tree_.SetItemIconImage(nullptr, 1, topDown.data(), 3, 2);
  EXPECT_EQ(item.icon.get(), first);
  const std::vector<std::uint16_t> wide(640 * 2);
  for (const auto& [w, h] : {std::pair{640, 2}, {2, 479}, {0, 2}, {2, -1}}) {
    tree_.SetItemIconImage(nullptr, 1, topDown.data(), 3, 2);
    tree_.SetItemIconImage(nullptr, 1, wide.data(), w, h);
    EXPECT_EQ(item.icon, nullptr) << w << " x " << h;
    EXPECT_EQ(item.flags & kMenuHasIcon, 0u);
  }
  tree_.SetItemIconImage(nullptr, 1, topDown.data(), 3, 2);
  tree_.SetItemIconImage(nullptr, 1, nullptr, 3, 2);
  EXPECT_EQ(item.icon, nullptr);
}

TEST_F(MenuTreeTest, FreeingASubtreeDetachesIt) {
  MenuNode* root = tree_.AddNode(nullptr, 0);
  tree_.AddItem(root, 0, kMenuSubmenu, "sub");
  MenuNode* child = tree_.AddNode(root, 0);
  tree_.AddItem(child, 3, kMenuCommand, "c");
  tree_.FreeTree(child);
  EXPECT_EQ(root->items[0].child, nullptr);
  EXPECT_EQ(tree_.FindItem(nullptr, 3, nullptr), nullptr);
  tree_.FreeTree(nullptr);
  EXPECT_EQ(tree_.Root(), nullptr);
}

}  // namespace
