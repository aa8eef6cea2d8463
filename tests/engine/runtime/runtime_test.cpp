#include <gtest/gtest.h>

#include <cstdint>

#include "engine/runtime/engine_clock.h"
#include "engine/runtime/entry_list.h"
#include "engine/runtime/plugin_version.h"
#include "engine/runtime/polar.h"
#include "host/memory/memory_api.h"
#include "host/time/time_api.h"

namespace {

TEST(EngineClock, FrozenClockHoldsOneTimeThenMovesOn) {
  HostClockSetMode(HostClockMode::Virtual);
  SetClockSource(timeGetTime);
  std::uint32_t start = GetClockMs();
  FreezeClock(1);
  Sleep(40);
  EXPECT_EQ(start, GetClockMs());
  EXPECT_EQ(start, GetClockMs());
  FreezeClock(0);
  EXPECT_EQ(start + 40, GetClockMs());
}

TEST(EngineClock, BuildsInstallTheirOwnSource) {
  SetClockSource([]() -> std::uint32_t { return 1234; });
  EXPECT_EQ(1234u, GetClockMs());
  // Without a source the clock stands at its last value.
  SetClockSource(nullptr);
  HostClockSetMode(HostClockMode::Virtual);
  Sleep(40);
  EXPECT_EQ(1234u, GetClockMs());
}

TEST(Polar, TruncatesTowardZero) {
  struct Case {
    int angle, radius, x, y;
  };
  const Case cases[] = {{0, 100, 100, 0}, {90, 100, 0, 100}, {180, 100, -100, 0}, {45, 100, 70, 70},
                        {-90, 10, 0, -10}, {30, 7, 6, 3}};
  for (const Case& c : cases) {
    std::int32_t x = 1, y = 1;
    PolarToXY(c.angle, c.radius, &x, &y);
    EXPECT_EQ(c.x, x) << c.angle;
    EXPECT_EQ(c.y, y) << c.angle;
  }
}

TEST(PluginVersion, KeepsAtMost127Bytes) {
  SetOggPluginVersion("ogg 1.2");
  char out[128];
  GetOggPluginVersion(out, sizeof out);
  EXPECT_STREQ("ogg 1.2", out);
  std::string longText(300, 'v');
  SetOggPluginVersion(longText.c_str());
  GetOggPluginVersion(out, sizeof out);
  EXPECT_EQ(127u, std::string(out).size());
}

EntryNode* NewNode(std::uint32_t value, const char* text) {
  auto* node = new (LocalAlloc(LPTR, sizeof(EntryNode))) EntryNode;
  node->value = value;
  node->firstBuffer = LocalAlloc(LPTR, 8);
  static_cast<char*>(node->firstBuffer)[0] = text[0];
  node->secondBuffer = LocalAlloc(LPTR, 4);
  return node;
}

TEST(EntryList, WalksBackFromTheLastNode) {
  EntryList list;
  EntryList::Init(&list);
  EXPECT_EQ(64, list.limit);
  std::uint32_t value = 0;
  EXPECT_EQ(nullptr, EntryList::GetFromEnd(&list, 0, &value));

  EntryNode* a = NewNode(10, "a");
  EntryNode* b = NewNode(20, "b");
  EntryNode* c = NewNode(30, "c");
  a->next = b;
  b->previous = a;
  b->next = c;
  c->previous = b;
  list.first = a;

  struct Case {
    int index;
    char first;
    std::uint32_t value;
  };
  const Case cases[] = {{-3, 'c', 30}, {0, 'c', 30}, {1, 'b', 20}, {2, 'a', 10}};
  for (const Case& k : cases) {
    void* buffer = EntryList::GetFromEnd(&list, k.index, &value);
    ASSERT_NE(nullptr, buffer) << k.index;
    EXPECT_EQ(k.first, static_cast<char*>(buffer)[0]);
    EXPECT_EQ(k.value, value);
  }
  EXPECT_EQ(nullptr, EntryList::GetFromEnd(&list, 3, &value));
  EntryList::Clear(&list);  // the sanitizer build checks every block is freed
  EXPECT_EQ(nullptr, list.first);
}

}  // namespace
