#include "engine/shell/key_map.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "engine/shell/input_state.h"
#include "host/window/window_api.h"

namespace {

using Counters = std::array<std::uint32_t, 15>;

// The device's keys as the host hands them over: arrows, Z (A), X (B),
// Enter (C), Escape (start).
constexpr std::int16_t kUp = VK_UP, kDown = VK_DOWN, kLeft = VK_LEFT, kRight = VK_RIGHT, kA = 'Z', kB = 'X',
                       kC = VK_RETURN, kStart = VK_ESCAPE;

struct Event {
  std::int16_t key;
  bool down = true;
};

class KeyMapTest : public ::testing::Test {
 protected:
  void SetUp() override { map.SetDefaultKeys({kUp, kDown, kLeft, kRight, kA, kB, kC, kStart}); }

  // Each event in turn into fresh counters.
  Counters Run(const std::vector<Event>& events, std::uint32_t mode = 0, std::uint32_t doubleClick = 0) {
    Counters counters{};
    for (const Event& e : events) {
      map.TranslateKey(counters.data(), static_cast<std::uint32_t>(e.key), e.down ? 1 : 0, mode, doubleClick);
    }
    return counters;
  }

  // Counters whose words (index, value) are set and every other word 0.
  static Counters With(std::initializer_list<std::pair<int, std::uint32_t>> words) {
    Counters counters{};
    for (const auto& [index, value] : words) counters[static_cast<std::size_t>(index)] = value;
    return counters;
  }

  CKeyMap map;
};

// Words: 0 up, 1 down, 2 left, 3 right, 4 start, 5 C, 6 A, 7 B, 8 D, 9 E,
// 10-13 direction latches, 14 start latch.
TEST_F(KeyMapTest, CursorModesShapeDirectionPresses) {
  struct Case {
    const char* what;
    std::uint32_t mode;
    std::vector<Event> events;
    Counters expected;
  };
  const Case cases[] = {
      {"0 counts every press", 0, {{kUp}, {kUp}, {kLeft}}, With({{0, 2}, {2, 1}})},
      {"1 counts only while the other directions are idle", 1, {{kUp}, {kLeft}, {kUp}}, With({{0, 2}})},
      {"1 counts again once the other is released", 1, {{kUp}, {kUp, false}, {kLeft}}, With({{2, 1}})},
      {"2: up, left, up counts left only", 2, {{kUp}, {kLeft}, {kUp}}, With({{2, 1}, {10, 1}})},
      {"2: up, up counts the second up", 2, {{kUp}, {kUp}}, With({{0, 1}, {10, 1}})},
      {"2: horizontal keys always count", 2, {{kRight}, {kRight}}, With({{3, 2}})},
      {"3: vertical keys always count", 3, {{kDown}, {kDown}}, With({{1, 2}})},
      {"3: right, up, right counts up only", 3, {{kRight}, {kUp}, {kRight}}, With({{0, 1}, {13, 1}})},
      {"4: up, up, down, down counts the 2nd and 4th", 4, {{kUp}, {kUp}, {kDown}, {kDown}},
       With({{0, 1}, {1, 1}, {11, 1}})},
      {"4: alternating keys never count", 4, {{kLeft}, {kRight}, {kLeft}}, With({{12, 1}})},
      {"5 counts no direction", 5, {{kUp}, {kUp}, {kLeft}}, With({})},
      {"large modes count no direction", 0xFFFFFFFF, {{kDown}, {kDown}}, With({})},
      {"modes leave the other keys alone", 5, {{kA}, {kB}, {kC}, {kStart}}, With({{4, 1}, {5, 1}, {6, 1}, {7, 1}})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.events, c.mode), c.expected) << c.what;
  }
}

TEST_F(KeyMapTest, DoubleClickCountsTheStartKeyFromItsSecondPress) {
  // start, start, left, start, start: the 2nd and the 5th press count.
  std::vector<Event> events = {{kStart}, {kStart}, {kLeft}, {kStart}};
  Counters counters = Run(events, 0, 1);
  EXPECT_EQ(counters[INPUT_START], 1u);
  EXPECT_EQ(counters[INPUT_START_LATCH], 1u);
  events.push_back({kStart});
  EXPECT_EQ(Run(events, 0, 1)[INPUT_START], 2u);
  // Without double-click every press counts and the latch stays clear.
  counters = Run(events, 0, 0);
  EXPECT_EQ(counters[INPUT_START], 4u);
  EXPECT_EQ(counters[INPUT_START_LATCH], 0u);
}

TEST_F(KeyMapTest, KeyUpClearsOnlyTheMatchingPressCounters) {
  Counters counters{};
  for (std::int16_t key : {kUp, kLeft, kA, kStart, kStart}) map.TranslateKey(counters.data(), key, 1, 0, 0);
  map.TranslateKey(counters.data(), kStart, 0, 0, 0);
  map.TranslateKey(counters.data(), 'Q', 0, 0, 0);  // bound to nothing
  EXPECT_EQ(counters, With({{0, 1}, {2, 1}, {6, 1}}));
}

TEST_F(KeyMapTest, AKeyUpBeforeAnyKeyDownClearsThePressesAndCountsAsOne) {
  // A key held since before start-up: its release is the first event.
  Counters counters = With({{0, 3}, {5, 2}, {9, 1}, {12, 1}});
  map.TranslateKey(counters.data(), kC, 0, 0, 0);
  EXPECT_EQ(counters, With({{5, 1}, {12, 1}}));
  // Once a key went down, key-ups only clear.
  map.TranslateKey(counters.data(), kUp, 1, 0, 0);
  map.TranslateKey(counters.data(), kC, 0, 0, 0);
  EXPECT_EQ(counters, With({{0, 1}, {12, 1}}));
}

TEST_F(KeyMapTest, ParseKeyNameTakesNamesOfDefaultsAndTwoHexDigits) {
  map.SetKey(KEY_SLOT_B, "41");  // names mean the defaults, not the current codes
  struct Case {
    const char* text;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"key_b", kB}, {"Up", kUp},   {"START", kStart}, {"KEY_C", kC}, {"5", -1},   {"ABC", -1},
      {"", -1},      {"0D", 13},    {"1G", 16},        {"G1", 1},     {"GG", 0},   {"ff", 255},
      {"KEY_D", -1}, {"KEY_E", -1}, {" 26", -1},       {"26", 0x26},  {"5A", 'Z'},
  };
  for (const Case& c : cases) EXPECT_EQ(map.ParseKeyName(c.text), c.expected) << '"' << c.text << '"';
}

TEST_F(KeyMapTest, RebindingTakesTheNamedCodeOrFallsBackToTheSlotsDefault) {
  EXPECT_EQ(map.SetKey(KEY_SLOT_C, "20"), 0x20);
  EXPECT_EQ(map.SetKey(KEY_SLOT_UP, "ABC"), -1);
  EXPECT_EQ(map.Code(KEY_SLOT_UP), kUp);
  // A and B swapped by name: the names mean the defaults.
  map.SetKey(KEY_SLOT_A, "KEY_B");
  map.SetKey(KEY_SLOT_B, "KEY_A");
  EXPECT_EQ(map.Code(KEY_SLOT_A), kB);
  EXPECT_EQ(map.Code(KEY_SLOT_B), kA);
  EXPECT_EQ(Run({{kB}, {' '}, {kC}}), With({{5, 1}, {6, 1}}));
  // D and E are unbound until a value binds them.
  EXPECT_EQ(map.Code(KEY_SLOT_D), 0);
  map.SetKey(KEY_SLOT_E, "45");
  EXPECT_EQ(Run({{'E'}}), With({{9, 1}}));
}

TEST_F(KeyMapTest, OneCodeInTwoSlotsCountsInBoth) {
  map.SetKey(KEY_SLOT_D, "UP");
  map.SetKey(KEY_SLOT_START, "UP");
  EXPECT_EQ(Run({{kUp}}), With({{0, 1}, {4, 1}, {8, 1}}));
  Counters counters = Run({{kUp}});
  map.TranslateKey(counters.data(), kUp, 0, 0, 0);
  EXPECT_EQ(counters, With({}));
}

}  // namespace
