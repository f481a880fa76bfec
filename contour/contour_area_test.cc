#include "contour/contour_area.h"

#include <gtest/gtest.h>

#include <cmath>

#include "contour/segment_build.h"

namespace sulkor {
namespace {

TEST(SignedArea, LinesArcsAndOrientation) {
  const double pi = std::acos(-1.0);
  const Contour square = MakePolygon({0, 0, 10, 0, 10, 5, 0, 5});
  // A slot: two half circles of radius 1 joined by lines 4 long.
  const Contour slot = MakeContour({MakeLine(0, 0, 4, 0), MakeArc(4, 0, 4, 2, 4, 1, 1),
                                    MakeLine(4, 2, 0, 2), MakeArc(0, 2, 0, 0, 0, 1, 1)});
  // A square with a bite of radius 1 taken out of one corner by a clockwise arc.
  const Contour bitten = MakeContour({MakeLine(0, 0, 2, 0), MakeLine(2, 0, 2, 1),
                                      MakeArc(2, 1, 1, 2, 2, 2, -1), MakeLine(1, 2, 0, 2),
                                      MakeLine(0, 2, 0, 0)});
  // More than half a turn: three quarters of a circle of radius 2 closed by its chord.
  const Contour major = MakeContour({MakeArc(2, 0, 0, -2, 0, 0, 1), MakeLine(0, -2, 2, 0)});
  Contour open = square;
  open.Segs.pop_back();  // closed by the chord back to the start
  const struct {
    const char* name;
    Contour contour;
    double area;
  } cases[] = {
      {"square", square, 50.0},
      {"open square", open, 50.0},
      {"slot", slot, 8.0 + pi},
      {"bitten", bitten, 4.0 - pi / 4.0},
      {"major arc", major, 3.0 * pi + 2.0},
      {"circle", MakeContour({MakeCircle(1, 1, 3)}), 9.0 * pi},
      {"empty", Contour{}, 0.0},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(SignedArea(c.contour), c.area, 1e-9) << c.name;
    Contour reversed;
    for (auto it = c.contour.Segs.rbegin(); it != c.contour.Segs.rend(); ++it) {
      Segment s = *it;
      std::swap(s.StartPt, s.EndPt);
      s.Direction = static_cast<int16_t>(-s.Direction);
      RefreshSegment(s);
      reversed.Segs.push_back(s);
    }
    EXPECT_NEAR(SignedArea(reversed), -c.area, 1e-9) << c.name << " reversed";
  }
}

}  // namespace
}  // namespace sulkor
