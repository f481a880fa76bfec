#include "contour/contour_area.h"

#include <gtest/gtest.h>

#include <cmath>

#include "contour/primitives.h"
#include "contour/segment_build.h"

namespace sulkor {
namespace {

TEST(SignedArea, LinesArcsAndOrientation) {
  const Contour square = MakePolygon({0, 0, 10, 0, 10, 5, 0, 5});
  Contour open = square;
  open.Segs.pop_back();  // closed by the chord back to the start
  const struct {
    const char* name;
    Contour contour;
    double area;
  } cases[] = {
      {"square", square, 50.0},
      {"open square", open, 50.0},
      {"slot", MakeContour({MakeLine(0, 0, 4, 0), MakeArc(4, 0, 4, 2, 4, 1, 1), MakeLine(4, 2, 0, 2),
                            MakeArc(0, 2, 0, 0, 0, 1, 1)}), 8.0 + kPi},
      {"bitten", MakeContour({MakeLine(0, 0, 2, 0), MakeLine(2, 0, 2, 1), MakeArc(2, 1, 1, 2, 2, 2, -1),
                              MakeLine(1, 2, 0, 2), MakeLine(0, 2, 0, 0)}), 4.0 - kPi / 4.0},
      {"major arc", MakeContour({MakeArc(2, 0, 0, -2, 0, 0, 1), MakeLine(0, -2, 2, 0)}),
       3.0 * kPi + 2.0},
      {"circle", MakeContour({MakeCircle(1, 1, 3)}), 9.0 * kPi},
      {"empty", Contour{}, 0.0},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(SignedArea(c.contour), c.area, 1e-9) << c.name;
    Contour reversed = c.contour;
    ReverseContour(reversed);
    EXPECT_NEAR(SignedArea(reversed), -c.area, 1e-9) << c.name << " reversed";
  }
}

}  // namespace
}  // namespace sulkor
