#include <algorithm>
#include <climits>
#include <cstdlib>

#include "sprite_fixture.h"

namespace {

// Source and draw position of a tile: left, top, right, bottom, x, y.
using Piece = std::array<int, 6>;

Piece PieceOf(const LayerNode& tile) {
  return {tile.srcLeft, tile.srcTop, tile.srcRight, tile.srcBottom, tile.drawX, tile.drawY};
}

// The part is the source (40, 20)-(200, 100) in screen px (160 x 80) placed
// at (80, 40); effects run 1000 ms from time 0.
class EffectStep : public SpriteTest {
 protected:
  void SetUp() override {
    SpriteTest::SetUp();
    part = MakePart(50, 25, 200, 100, 100, 50);
  }
  void Start(int id, std::int32_t a = 0, std::int32_t b = 0, std::int32_t c = 0) {
    SetNow(0);
    ASSERT_EQ(part->StartEffect(id, 1000, a, b, c), 1);
    ASSERT_TRUE(part->IsEffectRunning()) << id;
  }
  int StepAt(std::uint32_t t) {
    SetNow(t);
    return part->StepEffect();
  }
  const LayerNode& Tile(int k) const { return part->FirstTile()[k]; }

  struct PieceCase {
    int id;
    int tile;
    Piece piece;
  };
  void CheckPieces(std::initializer_list<PieceCase> cases, std::uint32_t t, std::int32_t a = 0, std::int32_t b = 0,
                   std::int32_t c = 0) {
    for (const PieceCase& pc : cases) {
      Start(pc.id, a, b, c);
      EXPECT_EQ(StepAt(t), 0);
      EXPECT_EQ(PieceOf(Tile(pc.tile)), pc.piece) << "effect " << pc.id << " tile " << pc.tile;
    }
  }

  std::unique_ptr<CSpritePart> part;
};

TEST_F(EffectStep, DelayedBlindsAndTheirTwinsAtHalfTime) {
  // 5 strips of 16, 18 steps: p = 9, openings 9, 9, 8, 8, 7 in strip order.
  CheckPieces({{5, 0, {40, 20, 200, 29, 80, 40}},
               {5, 4, {40, 84, 200, 91, 80, 104}},
               {9, 0, {40, 29, 200, 36, 80, 49}},
               {9, 4, {40, 91, 200, 100, 80, 111}},
               {133, 0, {40, 29, 200, 36, 80, 49}},
               {133, 4, {40, 91, 200, 100, 80, 111}},
               {137, 0, {40, 20, 200, 29, 80, 40}},
               {137, 4, {40, 84, 200, 91, 80, 104}}},
              500);
  // Columns: 10 strips of 16, 20 steps: p = 10, openings 10 down to 6.
  CheckPieces({{6, 0, {40, 20, 50, 100, 80, 40}},
               {6, 9, {184, 20, 190, 100, 224, 40}},
               {134, 0, {50, 20, 56, 100, 90, 40}},
               {134, 9, {190, 20, 200, 100, 230, 40}}},
              500);
}

TEST_F(EffectStep, BandsTakeTheirSizeFromTheParameters) {
  // paramA 32, B 2, paramC 9: 3 bands, 4 steps, p = 2, openings 18, 18, 9.
  CheckPieces({{11, 0, {40, 34, 200, 52, 80, 54}},
               {11, 2, {40, 107, 200, 116, 80, 127}},
               {139, 0, {40, 38, 200, 52, 80, 58}}},
              500, 40, 2, 10);
}

TEST_F(EffectStep, FadingStripsStartFromTheirSide) {
  // Columns of 40: 4 strips, 7 steps, p = 3; levels 192, 128, 64, 0 from
  // the starting side.
  struct Case {
    int id;
    std::int16_t first, last;
  };
  for (const Case& c : {Case{16, 192, 0}, Case{17, 0, 192}, Case{144, 64, 256}, Case{145, 256, 64}}) {
    Start(c.id, 50, 7, 64);
    StepAt(500);
    EXPECT_EQ(Tile(0).opacity, c.first) << c.id;
    EXPECT_EQ(Tile(3).opacity, c.last) << c.id;
    EXPECT_EQ(PieceOf(Tile(3)), (Piece{160, 20, 200, 100, 200, 40})) << c.id;
  }
  // Cells of 60: 3 x 2, cut at the part's right and bottom edges.
  Start(20, 75, 0, 64);
  StepAt(500);
  EXPECT_EQ(Tile(0).opacity, 192);
  EXPECT_EQ(Tile(5).opacity, 0);
  EXPECT_EQ(PieceOf(Tile(5)), (Piece{160, 80, 200, 100, 200, 100}));
  Start(21, 75, 0, 64);
  StepAt(500);
  EXPECT_EQ(Tile(0).opacity, 0);
  EXPECT_EQ(Tile(5).opacity, 192);
}

TEST_F(EffectStep, OpeningBlindsSlidesAndWipes) {
  CheckPieces({{25, 0, {40, 24, 200, 28, 80, 44}}, {153, 0, {40, 20, 200, 24, 80, 40}}}, 500);
  CheckPieces({{32, 0, {40, 20, 200, 100, 0, 40}},
               {33, 0, {40, 20, 200, 100, 160, 40}},
               {34, 0, {40, 20, 200, 100, 80, 0}},
               {35, 0, {40, 20, 200, 100, 80, 80}},
               {160, 0, {40, 20, 200, 100, 160, 40}},
               {161, 0, {40, 20, 200, 100, 0, 40}},
               {162, 0, {40, 20, 200, 100, 80, 80}},
               {163, 0, {40, 20, 200, 100, 80, 0}}},
              500);
  // At a quarter: rows of 10 placed from the screen origin.
  CheckPieces({{40, 0, {40, 20, 80, 30, 0, 0}},
               {40, 1, {160, 30, 200, 40, 120, 10}},
               {168, 0, {40, 20, 160, 30, 0, 0}},
               {168, 1, {80, 30, 200, 40, 40, 10}},
               {41, 1, {50, 80, 60, 100, 10, 60}},
               {169, 0, {40, 20, 50, 80, 0, 0}}},
              250, 10);
}

TEST_F(EffectStep, WaveFadesAndSingleTileEffects) {
  // Amplitude 10 at half time, phase 360: row r swings by 10 cos(3 r).
  Start(49, 20, 3, 2);
  StepAt(500);
  EXPECT_EQ(PieceOf(Tile(0)), (Piece{40, 20, 200, 21, 90, 40}));
  EXPECT_EQ(PieceOf(Tile(30)), (Piece{40, 50, 200, 51, 80, 70}));
  EXPECT_EQ(PieceOf(Tile(60)), (Piece{40, 80, 200, 81, 70, 100}));
  EXPECT_EQ(Tile(60).opacity, 128);

  struct Case {
    int id;
    std::int32_t a, b, c;
    std::int16_t opacity, brightness, level;
  };
  const Case cases[] = {
      {1, 0, 0, 0, 64, 256, 0},    {129, 0, 0, 0, 192, 256, 0}, {51, 12, 0, 0, 256, 256, 9},
      {60, 10, 0, 5, 64, 256, 0},  {63, 16, 4, 0, 256, 64, 4},  {63, 16, 4, 1, 256, 448, 4},
      {191, 16, 4, 0, 256, 192, 4}, {191, 16, 4, 1, 256, 320, 4},
  };
  for (const Case& c : cases) {
    Start(c.id, c.a, c.b, c.c);
    StepAt(250);
    EXPECT_EQ(PieceOf(Tile(0)), (Piece{40, 20, 200, 100, 80, 40})) << c.id;
    EXPECT_EQ(Tile(0).opacity, c.opacity) << c.id;
    EXPECT_EQ(Tile(0).brightness, c.brightness) << c.id << " " << c.c;
    EXPECT_EQ(Tile(0).effectLevel, c.level) << c.id;
  }
  Start(51, 12);
  StepAt(999);
  EXPECT_EQ(Tile(0).effectLevel, 1);
}

TEST_F(EffectStep, DissolveFlagsItsShareOfCellsAndRetiresThePart) {
  std::srand(7);
  Start(178);
  std::uint32_t level = 256;
  for (std::uint32_t t = 0; t < 1000; t += 37) {
    SetNow(t);
    ASSERT_EQ(part->Update(&level), 1);
    const auto flagged = std::count(std::begin(part->effect.cellFlags), std::end(part->effect.cellFlags), 1u);
    EXPECT_EQ(flagged, static_cast<std::int64_t>(64 * t / 1000)) << t;
    int empty = 0;
    for (int k = 0; k < 64; ++k) empty += Tile(k).srcRight == Tile(k).srcLeft;
    EXPECT_EQ(empty, flagged) << t;
  }
  EXPECT_EQ(PieceOf(Tile(9)).at(4), 40);
  EXPECT_EQ(PieceOf(Tile(9)).at(5), 30);
  SetNow(1000);
  EXPECT_EQ(part->Update(&level), 0);
  EXPECT_EQ(part->retired, 1u);
  EXPECT_EQ(part->FirstTile(), nullptr);
}

TEST_F(EffectStep, EndOfAnEffect) {
  std::uint32_t level = 256;
  // Duration 0 finishes at the first step: shown, or retired for n + 128.
  for (int id : {5, 133}) {
    auto p = MakePart(0, 0, 100, 100, 0, 0);
    p->StartEffect(id, 0, 0, 0, 0);
    EXPECT_TRUE(p->IsEffectRunning());
    EXPECT_EQ(p->Update(&level), id == 5 ? 1 : 0);
    EXPECT_FALSE(p->IsEffectRunning());
    EXPECT_EQ(p->FirstTile(), nullptr);
    EXPECT_EQ(p->retired, id == 5 ? 0u : 1u);
  }

  EXPECT_EQ(part->EndEffect(), 0);
  part->SetOpacity(100);
  Start(1);
  part->SetPosition(0, 0);
  EXPECT_EQ(part->EndEffect(), 1);
  EXPECT_EQ(part->posX1000, 80000);  // back where the effect started
  EXPECT_EQ(part->node.opacity, 256);
  EXPECT_EQ(part->retired, 0u);
  EXPECT_EQ(part->FirstTile(), nullptr);
  Start(129);
  EXPECT_EQ(part->EndEffect(), 1);
  EXPECT_EQ(part->retired, 1u);

  // Tiles freed by hand while the effect runs: the next step ends it.
  auto freed = MakePart(0, 0, 100, 100, 0, 0);
  freed->StartEffect(5, 1000, 0, 0, 0);
  freed->FreeEffectTiles();
  EXPECT_EQ(freed->Update(&level), 1);
  EXPECT_FALSE(freed->IsEffectRunning());
}

TEST_F(EffectStep, BrightnessFadesLeaveTheScreenLevel) {
  struct Case {
    int id, c;
    std::uint32_t level;
  };
  for (const Case& c : {Case{63, 0, 256}, Case{191, 1, 512}, Case{191, 0, 0}}) {
    auto p = MakePart(0, 0, 100, 100, 0, 0);
    std::uint32_t level = 77;
    p->StartEffect(c.id, 100, 16, 4, c.c);
    SetNow(50);
    p->Update(&level);
    EXPECT_EQ(level, 77u);
    SetNow(100);
    EXPECT_EQ(p->Update(&level), 0);  // both end with the part retired
    EXPECT_EQ(level, c.level) << c.id << " " << c.c;
    SetNow(0);
  }
}

TEST_F(EffectStep, UnknownIdsChangeNothing) {
  Start(5);
  StepAt(100);
  const LayerNode* tiles = part->FirstTile();
  const PartEffectState before = part->effect;
  for (int id : {0, 2, 7, 100, 192, 255, 256, -5, 1000}) {
    EXPECT_EQ(part->StartEffect(id, 500, 1, 1, 1), 1);
    EXPECT_EQ(part->FirstTile(), tiles) << id;
    EXPECT_EQ(part->effect.id, before.id) << id;
    EXPECT_EQ(part->effect.startMs, before.startMs) << id;
  }
  auto idle = MakePart(0, 0, 100, 100, 0, 0);
  idle->StartEffect(2, 500, 1, 1, 1);
  EXPECT_FALSE(idle->IsEffectRunning());
}

TEST_F(EffectStep, RestartDurationClampAndAllocationFailure) {
  // A second start replaces the running effect's tiles.
  Start(48, 20, 3, 2);
  Start(1);
  EXPECT_EQ(part->LastTile(), part->FirstTile());

  part->StartEffect(1, 100000, 0, 0, 0);
  EXPECT_EQ(part->effect.durationMs, 32767);
  EXPECT_EQ(StepAt(32766), 0);
  EXPECT_EQ(StepAt(32767), 1);

  // No tiles to be had: the part stays as it is and is drawn normally.
  Start(5);
  HostFailCall("LocalAlloc");
  EXPECT_EQ(part->StartEffect(133, 1000, 0, 0, 0), 1);
  HostClearFailures();
  EXPECT_FALSE(part->IsEffectRunning());
  EXPECT_EQ(part->FirstTile(), nullptr);
  std::uint32_t level = 256;
  EXPECT_EQ(part->Update(&level), 1);
  EXPECT_EQ(part->node.drawX, 80);
  EXPECT_EQ(part->retired, 0u);
}

TEST_F(EffectStep, BadParametersNeverBreakThePart) {
  const std::int32_t params[][3] = {{0, 0, 0},          {-1, -1, -1},         {1, 1, 1},
                                    {32767, 32767, 32767}, {100000, -100000, 7}, {-32768, 2, -32768},
                                    {INT_MAX, INT_MIN, INT_MAX}, {3, 0, 0}};
  const std::int32_t durations[] = {0, 1000, 1000000, -20};
  const std::uint32_t times[] = {0, 1, 500, 32766, 40000};
  std::uint32_t level = 256;
  for (int id = 0; id < 200; ++id) {
    if (!FindEffectFamily(id)) continue;
    for (const auto& p : params) {
      for (std::int32_t d : durations) {
        auto sprite = MakePart(0, 0, 800, 600, 0, 0);
        SetNow(0);
        sprite->StartEffect(id, d, p[0], p[1], p[2]);
        if (sprite->IsEffectRunning()) {
          EXPECT_GT(sprite->effect.columns, 0);
          EXPECT_LE(std::int64_t{sprite->effect.columns} * sprite->effect.rows, kMaxEffectTiles);
        }
        for (std::uint32_t t : times) {
          SetNow(t);
          sprite->Update(&level);
          RECT r;
          sprite->ComputeBounds(&r, true);
        }
        sprite->EndEffect();
      }
    }
  }
  // Parts of no size, or a negative one, have nothing to tile for most
  // effects; those that need tiles do not start.
  for (std::int32_t h : {0, -300}) {
    auto flat = MakePart(0, 0, 800, h, 0, 0);
    flat->StartEffect(48, 1000, 1, 1, 1);
    EXPECT_FALSE(flat->IsEffectRunning()) << h;
    flat->StartEffect(40, 1000, 1, 1, 1);
    EXPECT_FALSE(flat->IsEffectRunning()) << h;
  }
}

}  // namespace
