#include "kernel/arc_vertices.h"

#include <gtest/gtest.h>

#include <cmath>

#include "sulkor/error.h"

namespace sulkor::host {
namespace {

TEST(ArcVertices, ArcFromQuarterAndEnd) {
  struct Case {
    const char* what;
    Point2 s, q, e;
    Point2 center;
    int16_t direction;
  } cases[] = {
      {"counterclockwise half turn", {1, 0}, {0, 1}, {-1, 0}, {0, 0}, 1},
      {"clockwise half turn", {1, 0}, {0, -1}, {-1, 0}, {0, 0}, -1},
      {"clockwise three quarters", {1, 0}, {0, -1}, {0, 1}, {0, 0}, -1},
      // The end at the quarter point fits both circles: counterclockwise is taken.
      {"quarter arc, ambiguous", {1, 0}, {0, -1}, {0, -1}, {1, -1}, 1},
      // The end misses the clockwise circle by less than the counterclockwise one.
      {"end near the clockwise circle", {1, 0}, {0, -1}, {-1, 1e-7}, {0, 0}, -1},
  };
  for (const Case& c : cases) {
    ArcGeometry arc = ArcFromQuarterAndEnd(c.s, c.q, c.e);
    EXPECT_NEAR(arc.center.x, c.center.x, 1e-12) << c.what;
    EXPECT_NEAR(arc.center.y, c.center.y, 1e-12) << c.what;
    EXPECT_EQ(arc.direction, c.direction) << c.what;
    EXPECT_NEAR(arc.radius, std::hypot(c.s.x - c.center.x, c.s.y - c.center.y), 1e-12) << c.what;
  }
  EXPECT_THROW(ArcFromQuarterAndEnd({1, 0}, {1, 5e-7}, {0, 0}), GeometryError);
  EXPECT_THROW(ArcFromCenter({1, 0}, {2, 0}, {0, 0}), GeometryError);  // no turn
  EXPECT_THROW(ArcFromCenter({0, 0}, {0, 1}, {0, 0}), GeometryError);  // start at the centre
}

TEST(ArcVertices, CircleThroughPointsNearlyOnALine) {
  struct Case {
    double offset;  // of the middle point from the line through the outer two
    bool circle;
  } cases[] = {{0.0, false}, {5e-7, false}, {2e-6, true}, {1.0, true}};
  for (const Case& c : cases) {
    if (c.circle) {
      Point2 center = CircleThroughPoints({-1, 0}, {0, c.offset}, {1, 0});
      EXPECT_NEAR(center.x, 0.0, 1e-9) << c.offset;
      EXPECT_NEAR(std::hypot(1.0 - center.x, center.y), std::fabs(c.offset - center.y),
                  1e-9 * std::fabs(center.y) + 1e-12)
          << c.offset;
    } else {
      EXPECT_THROW(CircleThroughPoints({-1, 0}, {0, c.offset}, {1, 0}), GeometryError)
          << c.offset;
    }
  }
  EXPECT_THROW(CircleThroughPoints({1, 1}, {1, 1}, {3, 1}), GeometryError);
}

TEST(ArcVertices, WidenByArcCoversTheAxisCrossingsOnTheSweep) {
  struct Case {
    const char* what;
    Point2 s, e;
    int16_t direction;
    Point2 lo, hi;
  } cases[] = {
      {"counterclockwise across angle 0", {0, -1}, {0, 1}, 1, {0, -1}, {1, 1}},
      {"clockwise across angle 0", {0, 1}, {0, -1}, -1, {0, -1}, {1, 1}},
      {"counterclockwise the long way", {0, 1}, {0, -1}, 1, {-1, -1}, {0, 1}},
      {"small arc, no crossing", {1, 0.5}, {0.5, 1}, 1, {0.5, 0.5}, {1, 1}},
      {"full turn", {1, 0}, {1, 0}, -1, {-1, -1}, {1, 1}},
  };
  for (const Case& c : cases) {
    ArcGeometry arc{{0, 0}, std::hypot(c.s.x, c.s.y), c.direction};
    Point2 lo{1e9, 1e9};
    Point2 hi{-1e9, -1e9};
    WidenByArc(c.s, c.e, arc, lo, hi);
    EXPECT_NEAR(lo.x, c.lo.x, 1e-12) << c.what;
    EXPECT_NEAR(lo.y, c.lo.y, 1e-12) << c.what;
    EXPECT_NEAR(hi.x, c.hi.x, 1e-12) << c.what;
    EXPECT_NEAR(hi.y, c.hi.y, 1e-12) << c.what;
  }
}

}  // namespace
}  // namespace sulkor::host
