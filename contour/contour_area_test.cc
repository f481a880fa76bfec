#include "contour/contour_area.h"

#include <gtest/gtest.h>

#include "contour/primitives.h"
#include "contour/segment_build.h"

namespace sulkor {
namespace {

// Lines and arcs of either direction, more than half a turn, full circles, an open contour
// closed by its chord; reversed, the same area negative.
TEST(SignedArea, LinesArcsAndOrientation) {
  Contour open = MakePolygon({0, 0, 10, 0, 10, 5, 0, 5});
  open.Segs.pop_back();
  const struct {
    Contour contour;
    double area;
  } cases[] = {
      {open, 50.0},
      {MakeContour({MakeLine(0, 0, 2, 0), MakeLine(2, 0, 2, 1), MakeArc(2, 1, 1, 2, 2, 2, -1), MakeLine(1, 2, 0, 2),
                    MakeLine(0, 2, 0, 0)}), 4.0 - kPi / 4.0},
      {MakeContour({MakeArc(2, 0, 0, -2, 0, 0, 1), MakeLine(0, -2, 2, 0)}), 3.0 * kPi + 2.0},
      {MakeContour({MakeCircle(1, 1, 3)}), 9.0 * kPi},
      {Contour{}, 0.0},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(SignedArea(c.contour), c.area, 1e-9) << c.area;
    Contour reversed = c.contour;
    ReverseContour(reversed);
    EXPECT_NEAR(SignedArea(reversed), -c.area, 1e-9) << c.area << " reversed";
  }
}

}  // namespace
}  // namespace sulkor
