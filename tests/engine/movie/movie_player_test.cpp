#include "engine/movie/movie_player.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/runtime/engine_clock.h"
#include "engine/runtime/runtime_globals.h"
#include "engine/shell/game_engine.h"
#include "engine/sound/decoder_plugins.h"
#include "engine/sound/sound_mixer.h"
#include "host/module/module_api.h"
#include "host/time/time_api.h"
#include "tests/engine/movie/fake_display.h"
#include "tests/engine/movie/movie_fixture.h"
#include "tests/engine/movie/present_reference.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir_test.h"

namespace {

constexpr DisplayGeometry kVga{480, 640, 2, 960};
constexpr DisplayGeometry kQvga{240, 320, 2, 480};
constexpr DisplayGeometry kPaddedVga{480, 640, 2, 1024};

// A mixer whose slot 0 reports the position the test sets.
struct PositionMixer : CSoundMixer {
  std::int32_t position = 0;
  std::int32_t GetPlayPosition(int slot) override { return slot == 0 ? position : -1; }
};

class MoviePlayerTest : public TempDirTest {
 protected:
  void SetUp() override {
    HostClockSetMode(HostClockMode::Virtual);
    HostClockSetVirtualNow(5000);
    UseScreen(kVga);
  }
  void TearDown() override { HostClockSetMode(HostClockMode::Real); }

  static void UseScreen(const DisplayGeometry& display) {
    SetScreenWidth(static_cast<std::int32_t>(display.rows));
    SetScreenHeight(static_cast<std::int32_t>(display.columns));
  }
  std::string WriteMovie(const std::string& name, const Rzm2Header& header,
                         const std::vector<std::vector<std::uint8_t>>& records) {
    dir_.WriteFile(name, MovieFileBytes(header, records));
    return dir_.EnginePath(name);
  }
  // What the display shows after presenting record on a display that was
  // blank (or cleared to black).
  static std::vector<std::uint16_t> Expected(const Rzm2Header& header, const std::vector<std::uint8_t>& record,
                                             const DisplayGeometry& display, bool smooth, std::uint16_t blank) {
    const ReferenceFrame frame{header.storedWidth, header.storedHeight, DecodeMovieRecord(record)};
    return ExpectedDisplay(frame, !header.version2, smooth, display.rows, display.columns, blank);
  }
  // Pixels of the display that differ from expected.
  static std::size_t Differences(const FakeDisplay& fake, const DisplayGeometry& display,
                                 const std::vector<std::uint16_t>& expected) {
    std::size_t wrong = 0;
    for (std::uint32_t row = 0; row < display.rows; ++row) {
      for (std::uint32_t column = 0; column < display.columns; ++column) {
        wrong += fake.At(row, column) != expected[row * display.columns + column];
      }
    }
    return wrong;
  }
  void Advance(CMoviePlayer& player, std::uint32_t ms) {
    HostClockAdvance(ms);
    player.Advance();
  }
};

struct OpenCase {
  const char* what;
  bool version2;
  std::uint32_t width, height;
  DisplayGeometry display;
  std::uint32_t vgaQuality;
  bool direct;
};

TEST_F(MoviePlayerTest, OpenShowsFrameZeroAsTheReferencePlacesIt) {
  const OpenCase cases[] = {
      {"240 x 320 doubled", true, 240, 320, kVga, 0, false},
      {"240 x 320 doubled and smoothed", true, 240, 320, kVga, 1, false},
      {"240 x 320 on a small panel: decoded into it", true, 240, 320, kQvga, 0, true},
      {"480 x 640: decoded into the display", true, 480, 640, kVga, 0, true},
      {"480 x 640 on a padded panel: copied", true, 480, 640, kPaddedVga, 0, false},
      {"version 1 of 480 x 640: copied, never direct", false, 480, 640, kVga, 0, false},
      {"version 1 of 160 x 120: cleared, centred", false, 160, 120, kVga, 1, false},
      {"261 x 320: cleared, centred and cropped", true, 261, 320, kVga, 1, false},
      {"448 x 640: cleared, centred", true, 448, 640, kVga, 0, false},
  };
  for (const OpenCase& c : cases) {
    SCOPED_TRACE(c.what);
    UseScreen(c.display);
    FakeDisplay display(c.display);
    const Rzm2Header header = MovieHeader(c.version2, c.width, c.height, 15, 1);
    const auto records = BlockPictureRecords(3, c.width, c.height);
    const std::string path = WriteMovie("clip.rzm2", header, records);
    CMoviePlayer player;
    ASSERT_EQ(player.Open(path.c_str(), nullptr, 100, 1, c.vgaQuality), 1);
    EXPECT_EQ(player.IsDirect(), c.direct);
    const bool defined = (c.width == 240 && c.height == 320) || (c.width == 480 && c.height == 640);
    const auto expected = Expected(header, records[0], c.display, c.vgaQuality != 0, defined ? FakeDisplay::kBlank : 0);
    EXPECT_EQ(Differences(display, c.display, expected), 0u);
    EXPECT_EQ(display.CanaryDamage(), 0u);
  }
}

TEST_F(MoviePlayerTest, MoviesThatCannotPlayAreRefusedWithoutDrawing) {
  FakeDisplay display(kVga);
  const auto good = BlockPictureRecords(2, 240, 320);
  std::vector<std::uint8_t> truncated = MovieFileBytes(MovieHeader(true, 240, 320, 15, 1), good);
  truncated.resize(truncated.size() - 10);
  std::vector<std::uint8_t> absurdCount = MovieFileBytes(MovieHeader(true, 240, 320, 15, 1), good);
  absurdCount[8] = absurdCount[9] = absurdCount[10] = absurdCount[11] = 0xFF;
  const struct {
    const char* what;
    std::vector<std::uint8_t> bytes;
  } cases[] = {
      {"523 x 640: more macroblocks than the decoder takes", MovieFileBytes(MovieHeader(true, 523, 640, 15, 1), {})},
      {"time base 0", MovieFileBytes(MovieHeader(true, 240, 320, 15, 0), good)},
      {"rate 0", MovieFileBytes(MovieHeader(true, 240, 320, 0, 1), good)},
      {"truncated", truncated},
      {"absurd frame count", absurdCount},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    dir_.WriteFile("bad.rzm2", c.bytes);
    CMoviePlayer player;
    EXPECT_EQ(player.Open(dir_.EnginePath("bad.rzm2").c_str(), nullptr, 100, 1, 0), 0);
    EXPECT_EQ(display.Draws(), 0);
  }
  CMoviePlayer missing;
  EXPECT_EQ(missing.Open(dir_.EnginePath("none.rzm2").c_str(), nullptr, 100, 1, 0), 0);
}

TEST_F(MoviePlayerTest, WithoutSoundTheEngineClockPicksTheFrame) {
  const struct {
    std::uint32_t numerator, timeBase, ms;
    std::int64_t frame;
  } cases[] = {
      {15, 1, 2000, 30},
      {30, 2, 1000, 15},
      {30000, 2002, 1000, 14},
      {30000, 2002, 1002, 15},
  };
  FakeDisplay display(kVga);
  for (const auto& c : cases) {
    const std::string path = WriteMovie("clock.rzm2", MovieHeader(true, 32, 32, c.numerator, c.timeBase),
                                        BlockPictureRecords(40, 32, 32));
    CMoviePlayer player;
    ASSERT_EQ(player.Open(path.c_str(), nullptr, 100, 1, 0), 1);
    Advance(player, c.ms);
    EXPECT_EQ(player.CurrentFrame(), c.frame) << c.numerator << "/" << c.timeBase << " at " << c.ms;
  }
}

TEST_F(MoviePlayerTest, OnlyTheDueFrameIsDecodedAndShown) {
  FakeDisplay display(kVga);
  const Rzm2Header header = MovieHeader(true, 240, 320, 30, 1);
  const auto records = BlockPictureRecords(20, 240, 320);
  CMoviePlayer player;
  ASSERT_EQ(player.Open(WriteMovie("due.rzm2", header, records).c_str(), nullptr, 100, 1, 0), 1);
  Advance(player, 300);
  ASSERT_EQ(player.CurrentFrame(), 9);
  const std::uint32_t decoded = player.FramesDecoded();
  // Nothing new is due: nothing is decoded.
  Advance(player, 10);
  EXPECT_EQ(player.FramesDecoded(), decoded);
  Advance(player, 90);
  EXPECT_EQ(player.CurrentFrame(), 12);
  EXPECT_EQ(player.FramesDecoded(), decoded + 1);
  EXPECT_EQ(Differences(display, kVga, Expected(header, records[12], kVga, false, FakeDisplay::kBlank)), 0u);
  // Past the last frame the movie ends.
  HostClockAdvance(1000);
  EXPECT_EQ(player.Advance(), 0);
}

TEST_F(MoviePlayerTest, ARecordTheDecoderRefusesKeepsThePicture) {
  FakeDisplay display(kVga);
  const Rzm2Header header = MovieHeader(true, 240, 320, 10, 1);
  auto records = BlockPictureRecords(4, 240, 320);
  records[1].resize(records[1].size() / 2);       // cut short
  records[2] = BlockPictureRecord(224, 320, 2);   // another size
  CMoviePlayer player;
  ASSERT_EQ(player.Open(WriteMovie("bad.rzm2", header, records).c_str(), nullptr, 100, 1, 0), 1);
  const auto first = Expected(header, records[0], kVga, false, FakeDisplay::kBlank);
  for (std::int64_t frame = 1; frame <= 2; ++frame) {
    Advance(player, 100);
    ASSERT_EQ(player.CurrentFrame(), frame);
    EXPECT_EQ(player.Advance(), 1);
    EXPECT_EQ(Differences(display, kVga, first), 0u);
  }
  Advance(player, 100);
  EXPECT_EQ(Differences(display, kVga, Expected(header, records[3], kVga, false, FakeDisplay::kBlank)), 0u);
}

class SoundClockTest : public MoviePlayerTest {
 protected:
  void OpenWithTrack(CMoviePlayer& player, const char* trackName) {
    const std::string path = WriteMovie("clip.rzm2", MovieHeader(true, 32, 32, 30, 2), BlockPictureRecords(100, 32, 32));
    dir_.WriteFile(trackName, std::string("not really sound"));
    ASSERT_EQ(player.Open(path.c_str(), &mixer, 100, 1, 0), 1);
  }
  FakeDisplay display{kVga};
  PositionMixer mixer;
};

TEST_F(SoundClockTest, ThePlayPositionPicksTheFrame) {
  CMoviePlayer player;
  OpenWithTrack(player, "clip.mp3");
  ASSERT_TRUE(player.IsClockedBySound());
  mixer.position = 1000;
  Advance(player, 3000);  // the engine clock does not count
  EXPECT_EQ(player.CurrentFrame(), 15);
}

TEST_F(SoundClockTest, AnOggTrackIsFoundToo) {
  CMoviePlayer player;
  OpenWithTrack(player, "clip.ogg");
  EXPECT_TRUE(player.IsClockedBySound());
}

TEST_F(SoundClockTest, AFinishedTrackEndsTheMovie) {
  CMoviePlayer player;
  OpenWithTrack(player, "clip.mp3");
  mixer.position = 400;
  EXPECT_EQ(player.Advance(), 1);
  mixer.position = -1;
  EXPECT_EQ(player.Advance(), 0);
}

TEST_F(SoundClockTest, ATrackThatNeverPlaysHandsOverToTheClock) {
  for (const std::int32_t stuck : {-1, 0}) {
    SCOPED_TRACE(stuck);
    CMoviePlayer player;
    OpenWithTrack(player, "clip.mp3");
    mixer.position = stuck;
    Advance(player, 400);
    if (stuck == 0) {
      // Still waiting for the track to start: the first frame stays.
      EXPECT_EQ(player.CurrentFrame(), 0);
      Advance(player, 1600);
    }
    EXPECT_EQ(player.Advance(), 1);
    EXPECT_FALSE(player.IsClockedBySound());
    EXPECT_EQ(player.CurrentFrame(), stuck == 0 ? 30 : 6);
  }
}

class StartMovieTest : public MoviePlayerTest {
 protected:
  void SetUp() override {
    MoviePlayerTest::SetUp();
    engine.dataFolder = dir_.EnginePath("data.v2/");
    engine.options[MOV_VOL] = 50;
    engine.options[MASTER_VOL] = 80;
  }
  FakeDisplay display{kVga};
  CGameEngine engine;
};

TEST_F(StartMovieTest, TheNamePicksTheMovieInTheDataFolder) {
  const Rzm2Header newer = MovieHeader(true, 240, 320, 15, 1);
  const Rzm2Header older = MovieHeader(false, 160, 120, 15, 1);
  const auto newerRecords = BlockPictureRecords(2, 240, 320);
  const auto olderRecords = BlockPictureRecords(2, 160, 120);
  WriteMovie("data.v2/movie01.rzm", older, olderRecords);
  EXPECT_EQ(engine.StartMovie("op/movie01.txt"), 0);
  ASSERT_TRUE(engine.backBuffer->IsMoviePlaying());
  EXPECT_EQ(Differences(display, kVga, Expected(older, olderRecords[0], kVga, false, 0)), 0u);
  EXPECT_EQ(engine.backBuffer->StopMovie(), 1);

  WriteMovie("data.v2/movie01.rzm2", newer, newerRecords);
  display.Reset();
  EXPECT_EQ(engine.StartMovie("op/movie01.txt"), 0);
  EXPECT_EQ(Differences(display, kVga, Expected(newer, newerRecords[0], kVga, false, FakeDisplay::kBlank)), 0u);

  EXPECT_EQ(engine.StartMovie("movie02"), 1);
  EXPECT_FALSE(engine.backBuffer->IsMoviePlaying());
  EXPECT_EQ(engine.backBuffer->StopMovie(), 0);
}

TEST_F(StartMovieTest, PollingPlaysTheMovieToItsEnd) {
  WriteMovie("data.v2/short.rzm2", MovieHeader(true, 32, 32, 10, 1), BlockPictureRecords(3, 32, 32));
  ASSERT_EQ(engine.StartMovie("short"), 0);
  int polls = 0;
  while (engine.backBuffer->PollMovie() == 1 && polls < 1000) {
    HostClockAdvance(10);
    ++polls;
  }
  // Each poll also sleeps 1 ms: the 300 ms of three frames pass in 28 polls.
  EXPECT_EQ(polls, 28);
  EXPECT_FALSE(engine.backBuffer->IsMoviePlaying());
}

// The small-screen build: a 320 x 240 screen whose display access brackets
// every use of display memory.
class SmallScreenMovieTest : public MoviePlayerTest {
 protected:
  void SetUp() override {
    MoviePlayerTest::SetUp();
    UseScreen(kQvga);
  }
  std::string Movie(const Rzm2Header& header, const std::vector<std::vector<std::uint8_t>>& records) {
    return WriteMovie("clip.rzm2", header, records);
  }
};

TEST_F(SmallScreenMovieTest, MatchingFramesAreDecodedIntoTheDisplayOneBracketEach) {
  FakeDisplay display(kQvga);
  const Rzm2Header header = MovieHeader(true, 240, 320, 10, 1);
  const auto records = BlockPictureRecords(4, 240, 320);
  CMoviePlayer player;
  ASSERT_EQ(player.Open(Movie(header, records).c_str(), nullptr, 100, 1, 0), 1);
  ASSERT_TRUE(player.IsDirect());
  // No clear at open: frame 0's decode is the only access.
  EXPECT_EQ(display.Draws(), 1);
  EXPECT_EQ(display.Ends(), 1);
  for (std::int64_t frame = 1; frame <= 3; ++frame) {
    Advance(player, 100);
    ASSERT_EQ(player.CurrentFrame(), frame);
    EXPECT_EQ(display.Draws(), frame + 1);
    EXPECT_EQ(display.Ends(), frame + 1);
    EXPECT_EQ(Differences(display, kQvga, Expected(header, records[frame], kQvga, false, FakeDisplay::kBlank)), 0u);
  }
  // Nothing left to copy.
  player.PresentFrameV2();
  EXPECT_EQ(display.Draws(), 4);
  EXPECT_EQ(display.CanaryDamage(), 0u);
}

TEST_F(SmallScreenMovieTest, OtherMoviesAndPanelsGoThroughTheFrameBuffer) {
  const DisplayGeometry padded{240, 320, 2, 512};
  const struct {
    const char* what;
    bool version2;
    std::uint32_t width, height;
    DisplayGeometry display;
    int accessesAtOpen;  // clear, decode, present
    std::uint16_t blank;
  } cases[] = {
      {"padded rows: decoded, then copied", true, 240, 320, padded, 1, FakeDisplay::kBlank},
      {"version 1 of 240 x 320: copied turned", false, 240, 320, kQvga, 1, FakeDisplay::kBlank},
      {"version 1 of 160 x 120: cleared, centred", false, 160, 120, kQvga, 2, 0},
      {"version 2 of 160 x 120: cleared, centred", true, 160, 120, kQvga, 2, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDisplay display(c.display);
    const Rzm2Header header = MovieHeader(c.version2, c.width, c.height, 10, 1);
    const auto records = BlockPictureRecords(2, c.width, c.height);
    CMoviePlayer player;
    ASSERT_EQ(player.Open(Movie(header, records).c_str(), nullptr, 100, 1, 0), 1);
    EXPECT_FALSE(player.IsDirect());
    EXPECT_EQ(display.Draws(), c.accessesAtOpen);
    EXPECT_EQ(display.Ends(), c.accessesAtOpen);
    EXPECT_EQ(Differences(display, c.display, Expected(header, records[0], c.display, false, c.blank)), 0u);
    Advance(player, 100);
    EXPECT_EQ(display.Draws(), c.accessesAtOpen + 1);
    EXPECT_EQ(Differences(display, c.display, Expected(header, records[1], c.display, false, c.blank)), 0u);
    EXPECT_EQ(display.CanaryDamage(), 0u);
  }
}

TEST_F(SmallScreenMovieTest, FramesTheScreenCannotShowTouchNothing) {
  // 480 x 640 frames are decoded into a buffer of their own size and never
  // presented on a 320-wide screen; a record larger than the header's is not
  // decoded at all, so the panel keeps its picture.
  FakeDisplay display(kQvga);
  CMoviePlayer large;
  ASSERT_EQ(large.Open(Movie(MovieHeader(true, 480, 640, 10, 1), BlockPictureRecords(2, 480, 640)).c_str(), nullptr,
                       100, 1, 0),
            1);
  EXPECT_EQ(large.FramesDecoded(), 1u);
  Advance(large, 100);
  EXPECT_EQ(large.FramesDecoded(), 2u);
  EXPECT_EQ(display.Draws(), 0);
  EXPECT_EQ(display.Ends(), 0);
  EXPECT_EQ(display.CanaryDamage(), 0u);

  const Rzm2Header header = MovieHeader(true, 240, 320, 10, 1);
  auto records = BlockPictureRecords(3, 240, 320);
  records[1] = BlockPictureRecord(240, 336, 1);
  CMoviePlayer wrongSize;
  ASSERT_EQ(wrongSize.Open(Movie(header, records).c_str(), nullptr, 100, 1, 0), 1);
  ASSERT_TRUE(wrongSize.IsDirect());
  const int accesses = display.Draws();
  Advance(wrongSize, 100);
  ASSERT_EQ(wrongSize.CurrentFrame(), 1);
  EXPECT_EQ(display.Draws(), accesses);
  EXPECT_EQ(Differences(display, kQvga, Expected(header, records[0], kQvga, false, FakeDisplay::kBlank)), 0u);
  Advance(wrongSize, 100);
  EXPECT_EQ(Differences(display, kQvga, Expected(header, records[2], kQvga, false, FakeDisplay::kBlank)), 0u);
  EXPECT_EQ(display.CanaryDamage(), 0u);
}

TEST_F(SmallScreenMovieTest, WithoutATrackTheClockLeadsAndAFrozenClockHoldsTheFrame) {
  FakeDisplay display(kQvga);
  const Rzm2Header header = MovieHeader(true, 240, 320, 10, 1);
  const auto records = BlockPictureRecords(10, 240, 320);
  CMoviePlayer player;
  ASSERT_EQ(player.Open(Movie(header, records).c_str(), nullptr, 100, 1, 0), 1);
  EXPECT_FALSE(player.IsClockedBySound());
  Advance(player, 200);
  EXPECT_EQ(player.CurrentFrame(), 2);
  FreezeClock(1);
  Advance(player, 500);
  EXPECT_EQ(player.CurrentFrame(), 2);
  EXPECT_EQ(Differences(display, kQvga, Expected(header, records[2], kQvga, false, FakeDisplay::kBlank)), 0u);
  FreezeClock(0);
  Advance(player, 0);
  EXPECT_EQ(player.CurrentFrame(), 7);
}

TEST_F(SmallScreenMovieTest, ASuspendedDisplayIsNotWritten) {
  FakeDisplay display(kQvga);
  display.Refuse(true);
  const Rzm2Header header = MovieHeader(true, 160, 120, 10, 1);
  CMoviePlayer player;
  ASSERT_EQ(player.Open(Movie(header, BlockPictureRecords(2, 160, 120)).c_str(), nullptr, 100, 1, 0), 1);
  EXPECT_EQ(display.Draws(), 2);
  EXPECT_EQ(display.Ends(), 0);
  EXPECT_EQ(Differences(display, kQvga, std::vector<std::uint16_t>(240 * 320, FakeDisplay::kBlank)), 0u);
}

// What a screen shows of a movie, row by row of the display.
std::vector<std::uint16_t> Shown(const FakeDisplay& display, const DisplayGeometry& geometry) {
  std::vector<std::uint16_t> pixels;
  for (std::uint32_t row = 0; row < geometry.rows; ++row) {
    for (std::uint32_t column = 0; column < geometry.columns; ++column) pixels.push_back(display.At(row, column));
  }
  return pixels;
}

TEST_F(MoviePlayerTest, TheSmallScreensDirectFrameDoubledIsTheLargeScreensFrame) {
  const Rzm2Header header = MovieHeader(true, 240, 320, 10, 1);
  const std::string path = WriteMovie("clip.rzm2", header, BlockPictureRecords(2, 240, 320));
  std::vector<std::uint16_t> small;
  {
    UseScreen(kQvga);
    FakeDisplay display(kQvga);
    CMoviePlayer player;
    ASSERT_EQ(player.Open(path.c_str(), nullptr, 100, 1, 0), 1);
    ASSERT_TRUE(player.IsDirect());
    Advance(player, 100);
    small = Shown(display, kQvga);
  }
  UseScreen(kVga);
  FakeDisplay display(kVga);
  CMoviePlayer player;
  ASSERT_EQ(player.Open(path.c_str(), nullptr, 100, 1, 0), 1);
  ASSERT_FALSE(player.IsDirect());
  Advance(player, 100);
  std::size_t wrong = 0;
  for (std::uint32_t row = 0; row < kVga.rows; ++row) {
    for (std::uint32_t column = 0; column < kVga.columns; ++column) {
      wrong += display.At(row, column) != small[(row / 2) * kQvga.columns + column / 2];
    }
  }
  EXPECT_EQ(wrong, 0u);
}

TEST_F(MoviePlayerTest, ALargeScreenOnASmallPanelShowsItsClippedPart) {
  // The panel holds the first rows and columns of what the full panel shows.
  const struct {
    const char* what;
    bool version2;
    std::uint32_t width, height;
  } cases[] = {
      {"240 x 320 doubled", true, 240, 320},
      {"version 1 of 160 x 120, cleared and centred", false, 160, 120},
      {"480 x 640", true, 480, 640},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = WriteMovie("clip.rzm2", MovieHeader(c.version2, c.width, c.height, 10, 1),
                                        BlockPictureRecords(1, c.width, c.height));
    std::vector<std::uint16_t> full;
    {
      FakeDisplay display(kVga);
      CMoviePlayer player;
      ASSERT_EQ(player.Open(path.c_str(), nullptr, 100, 1, 0), 1);
      full = Shown(display, kVga);
    }
    FakeDisplay display(kQvga);
    CMoviePlayer player;
    ASSERT_EQ(player.Open(path.c_str(), nullptr, 100, 1, 0), 1);
    std::size_t wrong = 0;
    for (std::uint32_t row = 0; row < kQvga.rows; ++row) {
      for (std::uint32_t column = 0; column < kQvga.columns; ++column) {
        wrong += display.At(row, column) != full[row * kVga.columns + column];
      }
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(display.CanaryDamage(), 0u);
  }
}

}  // namespace

// With the real MP3 plug-in the sound track occupies slot 0 while the movie
// plays; every way the movie stops frees the slot.
class MovieSoundSlotTest : public StartMovieTest {
 protected:
  void SetUp() override {
    StartMovieTest::SetUp();
    HostSetModulePath(NOVEL_BINARY_DIR "/bin/novel_ce5");
    LoadMp3Plugin();
    ASSERT_TRUE(Mp3PluginReady());
    WriteMovie("data.v2/clip.rzm2", MovieHeader(true, 32, 32, 10, 1), BlockPictureRecords(100, 32, 32));
    dir_.WriteFile("data.v2/clip.mp3", ReadFileBytes(NOVEL_TEST_DATA_DIR "/sound/sine22_stereo.mp3"));
  }
  void TearDown() override {
    engine.backBuffer->StopMovie();
    engine.mixer->Close();
    FreeMp3Plugin();
    HostSetModulePath("");
    StartMovieTest::TearDown();
  }
};

TEST_F(MovieSoundSlotTest, StoppingTheMovieStopsItsSound) {
  ASSERT_EQ(engine.StartMovie("clip"), 0);
  EXPECT_NE(engine.mixer->GetChannel(0), nullptr);
  EXPECT_EQ(engine.backBuffer->StopMovie(), 1);
  EXPECT_EQ(engine.mixer->GetChannel(0), nullptr);
}

TEST_F(MovieSoundSlotTest, AMovieThatRunsOutOfFramesStopsItsSound) {
  WriteMovie("data.v2/clip.rzm2", MovieHeader(true, 32, 32, 10, 1), BlockPictureRecords(1, 32, 32));
  ASSERT_EQ(engine.StartMovie("clip"), 0);
  EXPECT_NE(engine.mixer->GetChannel(0), nullptr);
  // No device plays the track, so after a second the clock runs the movie.
  HostClockAdvance(1500);
  EXPECT_EQ(engine.backBuffer->PollMovie(), 0);
  EXPECT_FALSE(engine.backBuffer->IsMoviePlaying());
  EXPECT_EQ(engine.mixer->GetChannel(0), nullptr);
}
