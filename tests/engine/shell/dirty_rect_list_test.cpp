#include <gtest/gtest.h>

#include <vector>

#include "engine/shell/dirty_rect_list.h"
#include "host/run/call_log.h"

namespace {

struct Added {
  RECT rect;
  std::uint32_t kind;
};

struct Node {
  RECT rect;
  std::uint32_t kind;
  bool operator==(const Node& other) const {
    return rect.left == other.rect.left && rect.top == other.rect.top && rect.right == other.rect.right &&
           rect.bottom == other.rect.bottom && kind == other.kind;
  }
};

void PrintTo(const Node& node, std::ostream* out) {
  *out << "(" << node.rect.left << "," << node.rect.top << "," << node.rect.right << "," << node.rect.bottom
       << " kind " << node.kind << ")";
}

std::vector<Node> Nodes(const CDirtyRectList& list) {
  std::vector<Node> nodes;
  for (std::uint32_t i = 0; i < list.Count(); ++i) {
    Node node{};
    node.kind = list.GetAt(i, &node.rect);
    nodes.push_back(node);
  }
  return nodes;
}

struct MergeCase {
  const char* name;
  std::vector<Added> added;
  std::vector<Node> expected;
};

TEST(DirtyRectList, AddsClipsAndMerges) {
  const MergeCase cases[] = {
      {"big then contained", {{{0, 0, 100, 100}, 1}, {{10, 10, 20, 20}, 1}}, {{{0, 0, 100, 100}, 1}}},
      {"contained then big", {{{10, 10, 20, 20}, 1}, {{0, 0, 100, 100}, 1}}, {{{0, 0, 100, 100}, 1}}},
      {"touching edges join", {{{0, 0, 10, 10}, 1}, {{10, 0, 20, 10}, 1}}, {{{0, 0, 20, 10}, 1}}},
      {"overlap becomes the union", {{{0, 0, 10, 10}, 1}, {{5, 5, 30, 20}, 1}}, {{{0, 0, 30, 20}, 1}}},
      {"apart stay apart", {{{0, 0, 10, 10}, 1}, {{50, 50, 60, 60}, 1}}, {{{0, 0, 10, 10}, 1}, {{50, 50, 60, 60}, 1}}},
      {"kind 0 never absorbs on add",
       {{{0, 0, 100, 100}, 0}, {{10, 10, 20, 20}, 0}},
       {{{0, 0, 100, 100}, 0}, {{10, 10, 20, 20}, 0}}},
      {"kind 0 is not absorbed when added", {{{0, 0, 100, 100}, 1}, {{10, 10, 20, 20}, 0}},
       {{{0, 0, 100, 100}, 1}, {{10, 10, 20, 20}, 0}}},
      {"later kind 1 covering a kind 0 removes it", {{{10, 10, 20, 20}, 0}, {{0, 0, 100, 100}, 1}},
       {{{0, 0, 100, 100}, 1}}},
      {"later kind 1 touching a kind 0 joins it", {{{0, 0, 10, 10}, 0}, {{10, 0, 20, 10}, 1}},
       {{{0, 0, 20, 10}, 1}}},
      {"kind 1 inside a kind 0 is dropped", {{{0, 0, 100, 100}, 0}, {{10, 10, 20, 20}, 1}},
       {{{0, 0, 100, 100}, 0}}},
      {"clipped at the top left", {{{-5, -5, 5, 5}, 1}}, {{{0, 0, 5, 5}, 1}}},
      {"clipped at the bottom right", {{{600, 400, 700, 500}, 1}}, {{{600, 400, 640, 480}, 1}}},
      {"wholly left is rejected", {{{-10, 0, -1, 10}, 1}}, {}},
      {"wholly below is rejected", {{{0, 481, 10, 490}, 1}}, {}},
      {"inverted is dropped", {{{20, 0, 10, 10}, 1}}, {}},
      {"empty is dropped", {{{10, 10, 10, 20}, 0}}, {}},
      {"touching the right edge only is empty after clipping", {{{640, 0, 700, 10}, 1}}, {}},
      // The walk does not go back: a node passed before the union grew stays.
      {"no second look at passed nodes",
       {{{0, 0, 10, 10}, 1}, {{5, 20, 30, 30}, 1}, {{12, 10, 25, 25}, 1}},
       {{{0, 0, 10, 10}, 1}, {{5, 10, 30, 30}, 1}}},
  };
  for (const MergeCase& test : cases) {
    SCOPED_TRACE(test.name);
    CDirtyRectList list;
    list.SetSize(640, 480);
    for (Added added : test.added) list.Add(&added.rect, added.kind);
    EXPECT_EQ(Nodes(list), test.expected);
  }
}

TEST(DirtyRectList, ClipsTo320By240UntilSized) {
  CDirtyRectList list;
  RECT rect{0, 0, 640, 480};
  EXPECT_EQ(list.Add(&rect, 1), 1);
  EXPECT_EQ(rect.right, 320);
  EXPECT_EQ(rect.bottom, 240);
}

TEST(DirtyRectList, AddReportsAppendAndChangesTheCallersRectangle) {
  CDirtyRectList list;
  list.SetSize(640, 480);
  RECT first{0, 0, 10, 10};
  EXPECT_EQ(list.Add(&first, 1), 1);
  RECT inside{2, 2, 5, 5};
  EXPECT_EQ(list.Add(&inside, 1), 0);
  RECT joining{5, 5, 20, 20};
  EXPECT_EQ(list.Add(&joining, 1), 1);
  EXPECT_EQ(joining.left, 0);
  EXPECT_EQ(joining.bottom, 20);
}

TEST(DirtyRectList, IntersectsUsesClosedBoundsAndOnlyRedrawNodes) {
  CDirtyRectList list;
  list.SetSize(640, 480);
  RECT redraw{10, 10, 20, 20};
  list.Add(&redraw, 1);
  RECT presentOnly{100, 100, 200, 200};
  list.Add(&presentOnly, 0);
  EXPECT_EQ(list.Intersects(20, 20, 30, 30), 1);  // corner touch counts
  EXPECT_EQ(list.Intersects(0, 0, 10, 10), 1);
  EXPECT_EQ(list.Intersects(21, 0, 30, 30), 0);
  EXPECT_EQ(list.Intersects(120, 120, 130, 130), 0);
}

TEST(DirtyRectList, GetAtPastTheEndAndClear) {
  CDirtyRectList list;
  RECT rect{1, 2, 3, 4};
  list.Add(&rect, 1);
  RECT out{9, 9, 9, 9};
  EXPECT_EQ(list.GetAt(1, &out), 0u);
  EXPECT_EQ(out.right, 0);
  list.Clear();
  EXPECT_EQ(list.Count(), 0u);
}

// Out of memory, a rectangle is refused and the list keeps what it had, the
// rectangles the new one would have joined included; the program goes on.
TEST(DirtyRectList, RunningOutOfMemoryRefusesTheRectangle) {
  CDirtyRectList list;
  list.SetSize(320, 240);
  std::vector<Node> expected;
  for (int i = 0; i < 16; ++i) {  // fills the first block of nodes
    RECT r{i * 20, 0, i * 20 + 10, 10};
    ASSERT_EQ(list.Add(&r, 1), 1);
    expected.push_back({r, 1});
  }
  HostFailCall("LocalAlloc");
  RECT joining{5, 5, 25, 20};
  EXPECT_EQ(list.Add(&joining, 1), 0);
  RECT apart{0, 100, 10, 110};
  EXPECT_EQ(list.Add(&apart, 0), 0);
  HostClearFailures();
  EXPECT_EQ(Nodes(list), expected);
  EXPECT_EQ(list.Add(&apart, 0), 1);
  EXPECT_EQ(list.Count(), 17u);
}

}  // namespace
