#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "kernel/contour_services.h"
#include "testing/test_shapes.h"

namespace sulkor {
namespace {

namespace ts = testing_shapes;
namespace bg = boost::geometry;

// Every answer lies at the distance from the source (samples along each segment, distance
// computed exactly from the source's segments) and each of its contours is continuous.
void ExpectAtDistance(const Contour& source, const ContourList& out, double d, bool closed,
                      const std::string& what) {
  for (const Contour& c : out.Contours) {
    for (int i = 0; i < c.Count(); ++i) {
      for (int k = 0; k <= 8; ++k) {
        const auto [x, y] = ts::SegmentPoint(c.Seg(i), k / 8.0);
        ASSERT_NEAR(ts::ContourDistance(source, x, y), d, 1e-7) << what << " at " << x << ", " << y;
      }
      if (i + 1 == c.Count() && !closed) break;
      ASSERT_NEAR(c.Seg(i).EndPt.x, c.Seg((i + 1) % c.Count()).StartPt.x, 1e-9) << what << i;
      ASSERT_NEAR(c.Seg(i).EndPt.y, c.Seg((i + 1) % c.Count()).StartPt.y, 1e-9) << what << i;
    }
  }
}

// Boost.Geometry's buffer simplifies its input first (at |d| / 1000) unless told not to.
struct UnsimplifiedDistance : bg::strategy::buffer::distance_symmetric<double> {
  using bg::strategy::buffer::distance_symmetric<double>::distance_symmetric;
  double simplify_distance() const { return 0.0; }
};

// Closed stars with arcs and lathe-like profiles with fillets, both sides, forwards and
// reversed: the loops lie at the distance, do not cross themselves, and enclose what
// Boost.Geometry's round buffer of the densified contour (at 1e-4, 3600 points a turn)
// encloses, within what the densification and the buffer's polygons make of the outline.
TEST(OffsetProperty, ClosedContoursAgreeWithBuffer) {
  namespace bs = bg::strategy::buffer;
  std::mt19937 rng(7001);
  std::uniform_real_distribution<double> dist(0.05, 1.5);
  for (int cases = 0; cases < 200;) {
    const Contour src = cases % 2 ? ts::StarContour(rng, 0, 0, 2, 6, 3 + cases % 10)
                                  : ts::SkylineContour(rng, 0, 0);
    if (!bg::is_valid(ts::ToPolygon(src, 1e-5))) continue;
    ++cases;
    const double d = dist(rng);
    for (const char* side : {"External", "Internal"}) {
      ts::BMulti buffer;
      bg::buffer(ts::BMulti{ts::ToPolygon(src, 1e-4)}, buffer,
                 UnsimplifiedDistance(side[0] == 'E' ? d : -d), bs::side_straight(),
                 bs::join_round(3600), bs::end_round(3600), bs::point_circle(3600));
      const double expected = bg::area(buffer);
      for (int reversed = 0; reversed < 2; ++reversed) {
        const Contour c = reversed ? ts::Reverse(src) : src;
        const std::string what = std::string(side) + " case " + std::to_string(cases) +
                                 (reversed ? " reversed" : "") + " d " + std::to_string(d);
        ContourList out;
        if (!OffsetContour(c, side, d, "Single", 0, out)) {
          EXPECT_EQ(side[0], 'I') << what;  // only an inward offset vanishes
          EXPECT_LT(expected, (1e-4 + 4e-7 * d) * ts::ExactLength(src)) << what;
          continue;
        }
        ExpectAtDistance(src, out, d, true, what);
        double area = 0.0, perimeter = 0.0;
        for (const Contour& loop : out.Contours) {
          EXPECT_TRUE(bg::is_valid(ts::ToPolygon(loop, 1e-5))) << what;
          area += ts::ExactArea(loop);
          perimeter += ts::ExactLength(loop);
        }
        if (ts::ExactArea(c) < 0.0) area = -area;  // the loops run like the source
        EXPECT_NEAR(area, expected, (1e-4 + 4e-7 * d) * perimeter + 1e-9) << what;
      }
    }
  }
}

// Open chains on both sides: the chain lies at the distance (so no piece nearer to the source,
// untrimmed, is left), and the reversed chain with the negated Side gives the same chain run
// backwards.
TEST(OffsetProperty, OpenChainsLieAtTheDistance) {
  std::mt19937 rng(7002);
  std::uniform_real_distribution<double> dist(0.05, 1.2);
  int vanished = 0;
  for (int cases = 0; cases < 300; ++cases) {
    Contour src = ts::RisingChain(rng);
    if (!bg::is_simple(ts::ToLine(src, 1e-5))) continue;
    const double d = dist(rng);
    for (int16_t side : {int16_t{1}, int16_t{-1}}) {
      src.Side = side;
      const std::string what = "case " + std::to_string(cases) + " Side " +
                               std::to_string(side) + " d " + std::to_string(d);
      ContourList out, back;
      if (!OffsetContour(src, "Internal", d, "Single", 1, out)) {
        ++vanished;  // everything on this side comes nearer than d: the other side must exist
        src.Side = static_cast<int16_t>(-side);
        EXPECT_TRUE(OffsetContour(src, "Internal", d, "Single", 1, out)) << what;
        continue;
      }
      ExpectAtDistance(src, out, d, false, what);
      Contour reversed = ts::Reverse(src);
      reversed.Side = static_cast<int16_t>(-side);
      ASSERT_TRUE(OffsetContour(reversed, "Internal", d, "Single", 1, back)) << what;
      const Contour& chain = out.Contours[0];
      EXPECT_NEAR(ts::ExactLength(back.Contours[0]), ts::ExactLength(chain), 1e-7) << what;
      EXPECT_NEAR(back.Contours[0].Last().EndPt.x, chain.First().StartPt.x, 1e-7) << what;
      EXPECT_NEAR(back.Contours[0].Last().EndPt.y, chain.First().StartPt.y, 1e-7) << what;
    }
  }
  EXPECT_LT(vanished, 100);
}

// An outside groove profile drawn left to right: a chamfer down, a wall, a corner radius, the
// bottom, a corner radius, a wall, a chamfer up.
Contour GrooveProfile() {
  return MakeContour({MakeLine(0, 10, 2, 10), MakeLine(2, 10, 2.5, 9.5),
                      MakeLine(2.5, 9.5, 2.5, 6.5), MakeArc(2.5, 6.5, 3, 6, 3, 6.5, 1),
                      MakeLine(3, 6, 6, 6), MakeArc(6, 6, 6.5, 6.5, 6, 6.5, 1),
                      MakeLine(6.5, 6.5, 6.5, 9.5), MakeLine(6.5, 9.5, 7, 10),
                      MakeLine(7, 10, 9, 10)});
}

// The side text, the flag's bit 0, the Side field and the distance's sign choose the side: the
// offset of the first segment's start lies left (+1) or right (-1) of it.
TEST(OffsetTable, SideTextFlagAndSideFieldChooseTheSide) {
  const Contour groove = GrooveProfile(), square = MakePolygon({0, 0, 4, 0, 4, 4, 0, 4});
  const Contour clockwise = ts::Reverse(square);
  struct Case {
    const char* name;
    Contour source;
    const char* side;
    int16_t flag, sideField;
    double distance, expectLeft;
  };
  const std::vector<Case> cases = {
      {"open, Internal, Side 1: left", groove, "Internal", 1, 1, 0.4, 1},
      {"open, Internal, Side -1: right", groove, "Internal", 1, -1, 0.4, -1},
      {"open, External, Side 0: right", groove, "External", 0, 0, 0.4, -1},
      {"open, negative distance turns the side", groove, "Internal", 1, 1, -0.4, -1},
      {"closed ccw, External, flag 0: outwards (right)", square, "External", 0, 0, 0.5, -1},
      {"closed cw, External, flag 0: outwards (left)", clockwise, "External", 0, 0, 0.5, 1},
      {"closed cw, External, flag 0, Side -1: inwards", clockwise, "External", 0, -1, 0.5, -1},
      {"closed cw, Internal, flag 1: by travel (left)", clockwise, "Internal", 1, 1, 0.5, 1},
  };
  for (const Case& c : cases) {
    Contour src = c.source;
    src.Side = c.sideField;
    ContourList out;
    ASSERT_TRUE(OffsetContour(src, c.side, c.distance, "Single", c.flag, out)) << c.name;
    ExpectAtDistance(src, out, std::fabs(c.distance), c.source.Count() == 4, c.name);
    EXPECT_EQ(out.Contours[0].Side, c.sideField) << c.name;
    // The answer's point nearest the middle of the first segment, and its side.
    const Segment& first = src.Seg(0);
    const auto [mx, my] = ts::SegmentPoint(first, 0.5);
    double best = 1e300, left = 0.0;
    for (const Segment& s : out.Contours[0].Segs) {
      for (int k = 0; k <= 16; ++k) {
        const auto [x, y] = ts::SegmentPoint(s, k / 16.0);
        if (std::hypot(x - mx, y - my) >= best) continue;
        best = std::hypot(x - mx, y - my);
        left = (first.EndPt.x - first.StartPt.x) * (y - first.StartPt.y) -
               (first.EndPt.y - first.StartPt.y) * (x - first.StartPt.x);
      }
    }
    EXPECT_GT(left * c.expectLeft, 0.0) << c.name;
  }
}

// Exact answers of the cases grooves produce, full turns, arguments and degenerate input.
TEST(OffsetTable, ExactCasesArgumentsAndDegenerateInput) {
  const double pi = ts::kPi;
  ContourList out;
  // By 0.8, more than the bottom's radii: they vanish and the walls' offsets meet at (3.3, 6.8).
  Contour groove = GrooveProfile();
  groove.Side = 1;
  ASSERT_TRUE(OffsetContour(groove, "Internal", 0.8, "Single", 1, out));
  ExpectAtDistance(groove, out, 0.8, false, "by 0.8");
  EXPECT_EQ(std::count_if(out.Contours[0].Segs.begin(), out.Contours[0].Segs.end(),
                          [](const Segment& s) {
                            return std::hypot(s.EndPt.x - 3.3, s.EndPt.y - 6.8) < 1e-9;
                          }), 1);
  // A closed chain with one corner radius offset External by t grows by perimeter * t + pi t^2.
  const Contour rect = ts::FilletedPolygon({0, 0, 6, 0, 6, 3, 0, 3}, {0, 0, 0.5, 0});
  for (const Contour& c : {rect, ts::Reverse(rect)}) {
    ASSERT_TRUE(OffsetContour(c, "External", 0.25, "Single", 0, out));
    ASSERT_EQ(out.Count(), 1);
    EXPECT_NEAR(std::fabs(ts::ExactArea(out.Contours[0])),
                18 - 0.25 * (1 - pi / 4) + (18 - 1 + 0.25 * pi) * 0.25 + pi * 0.0625, 1e-9);
  }
  // A full-turn "Arc" record and a circle: concentric answers, Internal beyond the radius
  // vanishes.
  for (const auto& [side, radius] : {std::pair{"Internal", 2.0}, std::pair{"External", 4.0}}) {
    ASSERT_TRUE(OffsetContour(MakeContour({MakeArc(4, 1, 4, 1, 1, 1, -1)}), side, 1.0, "Single",
                              0, out)) << side;
    ASSERT_EQ(out.Contours[0].Count(), 1) << side;
    EXPECT_NEAR(out.Contours[0].Seg(0).Radius, radius, 1e-12) << side;
    EXPECT_EQ(out.Contours[0].Seg(0).Direction, -1) << side;
    EXPECT_NEAR(out.Contours[0].Seg(0).Length, 2 * pi * radius, 1e-9) << side;
  }
  EXPECT_FALSE(
      OffsetContour(MakeContour({MakeCircle(1, 2, 3)}), "Internal", 3.0, "Single", 0, out));
  const Contour square = MakePolygon({0, 0, 4, 0, 4, 4, 0, 4});
  EXPECT_FALSE(OffsetContour(square, "External", 1, "Double", 0, out));
  EXPECT_FALSE(OffsetContour(square, "external", 1, "Single", 0, out));
  EXPECT_FALSE(OffsetContour(square, "External", std::nan(""), "Single", 0, out));
  EXPECT_FALSE(OffsetContour(square, "External", INFINITY, "Single", 0, out));
  EXPECT_FALSE(OffsetContour(Contour{}, "External", 1, "Single", 0, out));
  EXPECT_FALSE(OffsetContour(MakeContour({MakeLine(1, 1, 1, 1)}), "External", 1, "Single", 0, out));
  EXPECT_FALSE(OffsetContour(square, "Internal", 2.0, "Single", 0, out));  // nothing left
  EXPECT_EQ(out.Count(), 0);
  // Below the geometry's tolerance of 1e-6 the contour comes back as it is; at 1e-6 it moves.
  ASSERT_TRUE(OffsetContour(square, "External", 9e-7, "Single", 0, out));
  EXPECT_EQ(out.Contours[0].Seg(2).StartPt, square.Seg(2).StartPt);
  ASSERT_TRUE(OffsetContour(square, "External", 1e-6, "Single", 0, out));
  EXPECT_EQ(out.Contours[0].Count(), 8);
}

}  // namespace
}  // namespace sulkor
