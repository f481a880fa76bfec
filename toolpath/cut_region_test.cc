#include "toolpath/cut_region.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "geometry/test_work_scenes.h"

namespace sulkor {
namespace {

using testing::AllFrames;
using testing::Area;
using testing::Bounds;
using testing::Box;
using testing::Densify;
using testing::Distance;
using testing::GrooveFrame;
using testing::GrooveShape;
using testing::Inside;
using testing::MachinistGrooves;
using testing::PreparedScene;
using testing::Pt;
using testing::RunPreparation;
using testing::SpecFor;

// The cut region judged point by point: a position belongs to it exactly when the reference
// corner's centre and the other corner's centre, w - 2r further along the along axis, both lie
// in the outline to clear; `excluded` names positions the region must not hold besides.
// Points within a small band of a boundary are not judged.
template <class Excluded>
void ExpectCutRegion(const GrooveFrame& f, const OperationState& state, const Contour& cut,
                     Excluded excluded) {
  const std::vector<Pt> clear = Densify(state.contours.toClear);
  const std::vector<Pt> region = Densify(cut);
  const double span = state.tool.Width - 2.0 * state.tool.GeomCornerRadius;
  const Pt along = testing::AlongAxis(f);
  const Box box = Bounds(clear);
  constexpr double band = 0.02;
  const double h = std::max(box.maxX - box.minX, box.maxY - box.minY) / 120.0;
  int judged = 0, inside = 0, wrong = 0;
  std::string first;
  for (double x = box.minX - 3 * h; x <= box.maxX + 3 * h; x += h) {
    for (double y = box.minY - 3 * h; y <= box.maxY + 3 * h; y += h) {
      const Pt p{x, y};
      const Pt q{x + span * along.x, y + span * along.y};
      if (Distance(clear, p) < band || Distance(clear, q) < band || Distance(region, p) < band) {
        continue;
      }
      const bool expected = Inside(clear, p) && Inside(clear, q) && !excluded(p);
      const bool actual = Inside(region, p);
      ++judged;
      inside += actual;
      if (expected != actual && wrong++ == 0) {
        first = "(" + std::to_string(x) + ", " + std::to_string(y) + ") expected " +
                std::to_string(expected);
      }
    }
  }
  EXPECT_GT(judged, 1000);
  EXPECT_GT(inside, 100);
  EXPECT_EQ(wrong, 0) << wrong << " wrong points, the first " << first;
}

// The cut region of every machinist's groove in every kind of work: closed, counterclockwise,
// restarted at the work contour's end, and exactly the positions where both corners fit.
TEST(CutRegionTest, BothCornersInsideTheOutlineToClear) {
  for (const GrooveShape& g : MachinistGrooves()) {
    if (g.name == std::string("NarrowSpike")) continue;  // its own test below
    for (const GrooveFrame& f : AllFrames()) {
      SCOPED_TRACE(std::string(g.name) + " / " + f.name);
      PreparedScene p = RunPreparation(SpecFor(f, g.draw(f)));
      ASSERT_TRUE(p.ok);
      Contour cut;
      ASSERT_TRUE(BuildCutRegion(p.State(), cut));
      EXPECT_TRUE(testing::ClosesOnItself(cut) && testing::Connected(cut));
      EXPECT_GT(Area(cut), 0.0) << "counterclockwise";
      ExpectCutRegion(f, p.State(), cut, [](Pt) { return false; });
    }
  }
}

// A rectangular groove B wide and D deep leaves the reference point a rectangle
// B - 2t - w wide (t the finish, w the tool) and D - r - t deep: with B = 10, D = 6, w = 3,
// r = 0.2, t = 0.5 that is 6 by 5.3.
TEST(CutRegionTest, RectangularGrooveByHand) {
  for (const GrooveFrame& f : AllFrames()) {
    SCOPED_TRACE(f.name);
    PreparedScene p = RunPreparation(SpecFor(f, MachinistGrooves()[0].draw(f)));
    ASSERT_TRUE(p.ok);
    Contour cut;
    ASSERT_TRUE(BuildCutRegion(p.State(), cut));
    EXPECT_NEAR(Area(cut), 6.0 * 5.3, 1e-3);
    const Box b = Bounds(cut);
    const Box e = testing::FrameBox(f, -4.3, 1.7, 0.0, 5.3);
    EXPECT_NEAR(b.minX, e.minX, 1e-5);
    EXPECT_NEAR(b.maxX, e.maxX, 1e-5);
    EXPECT_NEAR(b.minY, e.minY, 1e-5);
    EXPECT_NEAR(b.maxY, e.maxY, 1e-5);
  }
}

}  // namespace
}  // namespace sulkor
