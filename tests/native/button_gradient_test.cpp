// The skinned button's colour table and how its rows pick a step.
#include <gtest/gtest.h>

#include <tuple>

#include "ui/controls/button_gradient.h"

namespace {

std::tuple<int, int, int> Rgb(GradientColour c) { return {c.red, c.green, c.blue}; }

TEST(ButtonGradient, StepZeroIsWhiteInEveryColumn) {
  for (bool hover : {false, true}) {
    for (bool active : {false, true}) {
      EXPECT_EQ(Rgb(GradientStepColour(hover, active, 0)), std::make_tuple(255, 255, 255))
          << "hover " << hover << " active " << active;
    }
  }
}

TEST(ButtonGradient, LastStepOfEachColumn) {
  EXPECT_EQ(Rgb(GradientStepColour(true, true, 63)), std::make_tuple(240, 240, 234));
  EXPECT_EQ(Rgb(GradientStepColour(true, false, 63)), std::make_tuple(240, 240, 243));
  EXPECT_EQ(Rgb(GradientStepColour(false, true, 63)), std::make_tuple(234, 234, 240));
  EXPECT_EQ(Rgb(GradientStepColour(false, false, 63)), std::make_tuple(234, 234, 243));
}

TEST(ButtonGradient, StepsRoundDownLikeIntegerDivision) {
  // Step 3: /3 already moves, /4 and /5 not yet.
  EXPECT_EQ(Rgb(GradientStepColour(true, true, 3)), std::make_tuple(255, 255, 254));
  EXPECT_EQ(Rgb(GradientStepColour(false, false, 3)), std::make_tuple(254, 254, 255));
  // Step 14: 14/3 = 4, 14/4 = 3, 14/5 = 2.
  EXPECT_EQ(Rgb(GradientStepColour(true, true, 14)), std::make_tuple(252, 252, 251));
  EXPECT_EQ(Rgb(GradientStepColour(true, false, 14)), std::make_tuple(252, 252, 253));
  EXPECT_EQ(Rgb(GradientStepColour(false, true, 14)), std::make_tuple(251, 251, 252));
  EXPECT_EQ(Rgb(GradientStepColour(false, false, 14)), std::make_tuple(251, 251, 253));
}

TEST(ButtonGradient, EveryColumnDarkensMonotonically) {
  for (bool hover : {false, true}) {
    for (bool active : {false, true}) {
      for (int step = 1; step < kGradientSteps; ++step) {
        const GradientColour before = GradientStepColour(hover, active, step - 1);
        const GradientColour now = GradientStepColour(hover, active, step);
        EXPECT_LE(now.red, before.red);
        EXPECT_LE(now.blue, before.blue);
        EXPECT_EQ(now.red, now.green);
      }
    }
  }
}

TEST(ButtonGradient, StepsOutsideTheTableAreClamped) {
  EXPECT_EQ(Rgb(GradientStepColour(false, false, -5)), std::make_tuple(255, 255, 255));
  EXPECT_EQ(Rgb(GradientStepColour(false, false, 64)), Rgb(GradientStepColour(false, false, 63)));
  EXPECT_EQ(Rgb(GradientStepColour(true, true, 1000)), Rgb(GradientStepColour(true, true, 63)));
}

TEST(ButtonGradientRows, TopRowIsStepZeroAndRowsRiseLinearly) {
  EXPECT_EQ(GradientStepForRow(0, 20), 0);
  EXPECT_EQ(GradientStepForRow(10, 20), 31);  // 630 / 20
  EXPECT_EQ(GradientStepForRow(19, 20), 59);  // 1197 / 20
  EXPECT_EQ(GradientStepForRow(63, 64), 62);
  EXPECT_EQ(GradientStepForRow(127, 128), 62);
  EXPECT_EQ(GradientStepForRow(2, 3), 42);
}

TEST(ButtonGradientRows, NeverAboveTheLastStepForAnyHeight) {
  for (int height = 0; height <= 600; ++height) {
    int previous = 0;
    for (int row = 0; row < height; ++row) {
      const int step = GradientStepForRow(row, height);
      ASSERT_GE(step, previous) << "height " << height << " row " << row;
      ASSERT_LE(step, 63) << "height " << height << " row " << row;
      previous = step;
    }
    if (height > 0) {
      EXPECT_EQ(GradientStepForRow(0, height), 0);
    }
  }
}

TEST(ButtonGradientRows, DegenerateAreasAndRowsPastTheEnd) {
  EXPECT_EQ(GradientStepForRow(0, 1), 0);
  EXPECT_EQ(GradientStepForRow(0, 0), 0);
  EXPECT_EQ(GradientStepForRow(5, 0), 0);
  EXPECT_EQ(GradientStepForRow(3, -4), 0);
  EXPECT_EQ(GradientStepForRow(-1, 10), 0);
  EXPECT_EQ(GradientStepForRow(1, 1), 63);  // one past the bottom row
  EXPECT_EQ(GradientStepForRow(50, 10), 63);
  // A very tall area must not overflow the product.
  EXPECT_EQ(GradientStepForRow(99999999, 100000000), 62);
}

}  // namespace
