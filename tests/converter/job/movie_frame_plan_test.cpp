// The job's figures from its settings: quality, frame step, stored size.
#include <gtest/gtest.h>

#include "converter/job/movie_frame_plan.h"

using reelpack::BaseJpegQuality;
using reelpack::FitMovieFrame;
using reelpack::FrameStep;

namespace {

TEST(MovieFramePlan, QualityOfEachIndex) {
  const int expected[] = {100, 95, 90, 85, 80, 75, 70, 65, 60, 55, 50, 45, 40, 35, 30, 25, 20, 15, 10, 5, 1};
  for (int index = 0; index <= 20; ++index) EXPECT_EQ(BaseJpegQuality(index), expected[index]) << index;
  EXPECT_EQ(BaseJpegQuality(-3), 100);
  EXPECT_EQ(BaseJpegQuality(21), 1);
}

TEST(MovieFramePlan, StepOfEachModeAndRate) {
  struct Case {
    int mode;
    double fps;
    std::uint32_t step;
  } cases[] = {{0, 30000.0 / 1001, 2}, {0, 14.0, 2}, {0, 13.99, 1}, {0, 15.0, 2}, {1, 30.0, 1}, {1, 60.0, 1},
               {2, 30.0, 3},           {2, 9.0, 3},  {2, 8.99, 1},  {3, 30.0, 1}};
  for (const Case& c : cases) EXPECT_EQ(FrameStep(c.mode, c.fps), c.step) << c.mode << " " << c.fps;
}

TEST(MovieFramePlan, StoredSizeFitsTheBoxAndTheEngine) {
  struct Case {
    int index, width, height;
    int boxWidth, boxHeight, pictureWidth, pictureLeft;
  } cases[] = {
      {0, 640, 448, 320, 224, 320, 0},  {1, 640, 448, 640, 448, 640, 0},  {0, 352, 240, 320, 218, 320, 0},
      {1, 352, 240, 640, 436, 640, 0},  {0, 640, 480, 320, 240, 320, 0},  {1, 640, 480, 640, 480, 640, 0},
      {0, 320, 240, 320, 240, 320, 0},  {1, 320, 240, 640, 480, 640, 0},
      // Taller than 4:3: the height stays, the picture narrows and is centred.
      {0, 352, 288, 320, 240, 293, 13}, {1, 352, 288, 640, 480, 586, 27}, {0, 176, 144, 320, 240, 293, 13},
      {0, 240, 320, 320, 240, 180, 70},
      // Very wide: at least one row.
      {0, 16000, 10, 320, 1, 320, 0},   {7, 640, 480, 320, 240, 320, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.index << ": " << c.width << " x " << c.height);
    const reelpack::MovieFrameGeometry frame = FitMovieFrame(c.index, c.width, c.height);
    EXPECT_EQ(frame.boxWidth, c.boxWidth);
    EXPECT_EQ(frame.boxHeight, c.boxHeight);
    EXPECT_EQ(frame.pictureWidth, c.pictureWidth);
    EXPECT_EQ(frame.pictureHeight, c.boxHeight);
    EXPECT_EQ(frame.pictureLeft, c.pictureLeft);
    // The engine plays frames of at most 1,200 macroblocks within 480 x 640.
    EXPECT_LE(frame.boxWidth, 640);
    EXPECT_LE(frame.boxHeight, 480);
    EXPECT_LE(((frame.boxWidth + 15) / 16) * ((frame.boxHeight + 15) / 16), 1200);
  }
}

}  // namespace
