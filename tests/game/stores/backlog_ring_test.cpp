#include "game/stores/backlog_ring.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string TextOf(const CBacklogRing& ring, std::int32_t n) {
  char text[kBacklogTextSize] = {};
  return ring.GetBacklogEntry(n, nullptr, nullptr, &text) < 0 ? "-" : text;
}

// The size mode the engine object sets.
constexpr std::uint32_t kEngineSizeMode = 96;

TEST(BacklogRing, FortyPagesKeepTheNewest32NewestFirst) {
  CBacklogRing ring{kEngineSizeMode};
  for (int page = 1; page <= 40; ++page) {
    ring.AddBacklogEntry(("v" + std::to_string(page)).c_str(), "speaker", ("page " + std::to_string(page)).c_str());
  }
  EXPECT_EQ(ring.KeptCount(), 32u);
  EXPECT_EQ(TextOf(ring, 0), "page 40");
  EXPECT_EQ(TextOf(ring, 31), "page 9");
  char voice[kBacklogVoiceSize] = {};
  char speaker[kBacklogSpeakerSize] = {};
  EXPECT_EQ(ring.GetBacklogEntry(1, &voice, &speaker, nullptr), 2);
  EXPECT_STREQ(voice, "v39");
  EXPECT_STREQ(speaker, "speaker");
  EXPECT_EQ(ring.GetBacklogEntry(32, &voice, nullptr, nullptr), -1);
  EXPECT_EQ(ring.GetBacklogEntry(-1, nullptr, nullptr, nullptr), -1);
  ring.Clear();
  EXPECT_EQ(TextOf(ring, 0), "-");
}

TEST(BacklogRing, TheRingWrapsPastItsLastSlot) {
  const std::uint32_t sizeMode = 3;
  CBacklogRing ring{sizeMode};
  for (int page = 1; page <= 100; ++page) ring.AddBacklogEntry("", "", std::to_string(page).c_str());
  EXPECT_EQ(ring.KeptCount(), 96u);
  EXPECT_EQ(TextOf(ring, 0), "100");
  EXPECT_EQ(TextOf(ring, 95), "5");
  EXPECT_EQ(TextOf(ring, 96), "-");
}

TEST(BacklogRing, SizeModesGiveTheirCaps) {
  const struct {
    std::uint32_t mode;
    std::uint32_t cap;
  } cases[] = {{0, 32}, {1, 48}, {2, 64}, {3, 96}, {96, 32}, {4, 32}};
  for (const auto& c : cases) {
    EXPECT_EQ(CBacklogRing::KeptCap(c.mode), c.cap) << c.mode;
    CBacklogRing ring{c.mode};
    for (int page = 0; page < 100; ++page) ring.AddBacklogEntry("", "", "x");
    EXPECT_EQ(ring.KeptCount(), c.cap) << c.mode;
  }
  // The ring reads the option word as it is when a page is added.
  std::uint32_t mode = kEngineSizeMode;
  CBacklogRing ring{mode};
  for (int page = 0; page < 40; ++page) ring.AddBacklogEntry("", "", "x");
  mode = 3;
  for (int page = 0; page < 10; ++page) ring.AddBacklogEntry("", "", "x");
  EXPECT_EQ(ring.KeptCount(), 42u);
}

TEST(BacklogRing, OverLongFieldsAreCutAtACharacterBoundary) {
  // Each field one byte short of a double-byte character at its end.
  const struct {
    std::size_t field;
    int which;  // 0 text, 1 speaker, 2 voice
  } cases[] = {{kBacklogTextSize, 0}, {kBacklogSpeakerSize, 1}, {kBacklogVoiceSize, 2}};
  for (const auto& c : cases) {
    const std::string keep(c.field - 2, 'k');
    const std::string source = keep + "\x93\xfa" + std::string(600, 'z');
    CBacklogRing ring{kEngineSizeMode};
    ring.AddBacklogEntry(c.which == 2 ? source.c_str() : "", c.which == 1 ? source.c_str() : "",
                         c.which == 0 ? source.c_str() : "");
    char text[kBacklogTextSize];
    char speaker[kBacklogSpeakerSize];
    char voice[kBacklogVoiceSize];
    ASSERT_EQ(ring.GetBacklogEntry(0, &voice, &speaker, &text), 1);
    const char* got = c.which == 0 ? text : c.which == 1 ? speaker : voice;
    EXPECT_EQ(std::string(got), keep) << c.field;
  }
}

}  // namespace
