#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "contour/segment_build.h"
#include "kernel/contour_services.h"
#include "testing/test_shapes.h"

namespace sulkor {
namespace {

namespace ts = testing_shapes;
namespace bg = boost::geometry;

constexpr double kSag = 1e-5;

// Every point of every answer lies at the distance from the source; samples along each
// segment, distance computed exactly from the source's segments.
void ExpectAtDistance(const Contour& source, const ContourList& out, double d,
                      const std::string& what) {
  for (const Contour& c : out.Contours) {
    for (const Segment& s : c.Segs) {
      for (int k = 0; k <= 8; ++k) {
        const auto [x, y] = ts::SegmentPoint(s, k / 8.0);
        ASSERT_NEAR(ts::ContourDistance(source, x, y), d, 1e-7)
            << what << " at (" << x << ", " << y << ")";
      }
    }
  }
}

void ExpectContinuous(const Contour& c, bool closed, const std::string& what) {
  const int n = c.Count();
  for (int i = 0; i + 1 < n || (closed && i < n); ++i) {
    const Segment& s = c.Seg(i);
    const Segment& t = c.Seg((i + 1) % n);
    ASSERT_NEAR(s.EndPt.x, t.StartPt.x, 1e-9) << what << " joint " << i;
    ASSERT_NEAR(s.EndPt.y, t.StartPt.y, 1e-9) << what << " joint " << i;
  }
}

double Length(const Contour& c) {
  double len = 0.0;
  for (const Segment& s : c.Segs) len += s.Length;
  return len;
}

// Boost.Geometry's buffer first simplifies its input (Douglas-Peucker at |d| / 1000), which
// turns the densified arcs back into chords up to d / 1000 off them: inward by 1.5 that cost up
// to 1e-3 of the area. This distance strategy keeps the input as it is.
struct UnsimplifiedDistance : bg::strategy::buffer::distance_symmetric<double> {
  using bg::strategy::buffer::distance_symmetric<double>::distance_symmetric;
  double simplify_distance() const { return 0.0; }
};

// The buffer's input is densified more coarsely than kSag: Boost's buffer slows down sharply
// on finer input (4 ms a call at 1e-4, 90 ms at 1e-5 on these shapes).
constexpr double kOracleSag = 1e-4;

// Round joins of the buffer: polygons of this many corners a full circle.
constexpr int kJoinPoints = 3600;

// The area of the region within d of a closed contour's inside (External) or farther than d
// inside it (Internal), from Boost.Geometry's round-joined buffer of the densified polygon.
double BufferArea(const Contour& source, double signedDistance) {
  ts::BMulti in;
  in.push_back(ts::ToPolygon(source, kOracleSag));
  ts::BMulti out;
  bg::buffer(in, out, UnsimplifiedDistance(signedDistance),
             bg::strategy::buffer::side_straight(), bg::strategy::buffer::join_round(kJoinPoints),
             bg::strategy::buffer::end_round(kJoinPoints),
             bg::strategy::buffer::point_circle(kJoinPoints));
  return bg::area(out);
}

// How far the two area computations may differ. The densified source lies within kOracleSag of
// the exact one and the buffer's round joins within d * (1 - cos(pi / kJoinPoints)) < 4e-7 * d
// of their circles, so the buffer's outline lies within their sum of the exact offset: its area
// differs by at most that much times the offset's perimeter. The area of our loops is taken
// from their densified polygons, off by less than kSag times their arc length.
double AreaTolerance(double perimeter, double arcLength, double d) {
  return (kOracleSag + 4e-7 * d) * perimeter + kSag * arcLength + 1e-9;
}

// Closed contours (stars with arcs, lathe-like profiles with fillets), both sides, forwards and
// reversed: the loops lie at the distance, do not cross themselves, and enclose what
// Boost.Geometry's buffer of the densified contour encloses.
TEST(OffsetProperty, ClosedContoursAgreeWithBuffer) {
  std::mt19937 rng(7001);
  std::uniform_real_distribution<double> dist(0.05, 1.5);
  int cases = 0, vanished = 0, runs = 0;
  double worst = 0.0;  // largest difference as a share of its tolerance
  const auto t0 = std::chrono::steady_clock::now();
  while (cases < 200) {
    const Contour src = cases % 2 ? ts::StarContour(rng, 0, 0) : ts::SkylineContour(rng, 0, 0);
    if (!ts::IsSimpleClosed(src, kSag)) continue;
    ++cases;
    const double d = dist(rng);
    for (const char* side : {"External", "Internal"}) {
      const bool external = side[0] == 'E';
      const double expected = BufferArea(src, external ? d : -d);
      for (int reversed = 0; reversed < 2; ++reversed) {
        const Contour c = reversed ? ts::Reverse(src) : src;
        const std::string what = std::string(side) + " case " + std::to_string(cases) +
                                 (reversed ? " reversed" : "") + " d " + std::to_string(d);
        ContourList out;
        ++runs;
        if (!OffsetContour(c, side, d, "Single", 0, out)) {
          ++vanished;
          EXPECT_FALSE(external) << what;
          // Nothing left: the buffer may keep at most a sliver along the source.
          EXPECT_LT(expected, AreaTolerance(Length(src), 0.0, d)) << what;
          continue;
        }
        ExpectAtDistance(src, out, d, what);
        double area = 0.0, perimeter = 0.0, arcs = 0.0;
        for (const Contour& loop : out.Contours) {
          ExpectContinuous(loop, true, what);
          EXPECT_TRUE(ts::DensifiedSimple(loop, kSag, true)) << what;
          area += ts::DensifiedArea(loop, kSag);
          perimeter += Length(loop);
          arcs += ts::ArcLengthOf(loop);
        }
        if (ts::DensifiedArea(c, kSag) < 0.0) area = -area;  // the loops run like the source
        const double tol = AreaTolerance(perimeter, arcs, d);
        EXPECT_NEAR(area, expected, tol) << what;
        worst = std::max(worst, std::fabs(area - expected) / tol);
      }
    }
  }
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  std::printf("offset closed property: %d cases, %d runs, %d vanished, worst area difference "
              "%.2f of its tolerance, %.0f ms\n",
              cases, runs, vanished, worst, ms);
}

// Open chains on both sides: the chain lies at the distance and does not cross itself; the
// reversed chain with the negated Side gives the same chain run backwards.
TEST(OffsetProperty, OpenChainsLieAtTheDistanceWithoutCrossing) {
  std::mt19937 rng(7002);
  std::uniform_real_distribution<double> dist(0.05, 1.2);
  int runs = 0, vanished = 0;
  const auto t0 = std::chrono::steady_clock::now();
  for (int cases = 1; cases <= 300; ++cases) {
    Contour src = ts::ProfileChain(rng);
    if (!ts::DensifiedSimple(src, kSag, false)) continue;
    const double d = dist(rng);
    for (int16_t side : {int16_t{1}, int16_t{-1}}) {
      src.Side = side;
      const std::string what = "case " + std::to_string(cases) + " Side " +
                               std::to_string(side) + " d " + std::to_string(d);
      ContourList out;
      ++runs;
      if (!OffsetContour(src, "Internal", d, "Single", 1, out)) {
        // Everything on this side comes nearer than d (a short chain curving round): the other
        // side must then exist.
        ++vanished;
        Contour other = src;
        other.Side = static_cast<int16_t>(-side);
        EXPECT_TRUE(OffsetContour(other, "Internal", d, "Single", 1, out)) << what;
        continue;
      }
      ExpectAtDistance(src, out, d, what);
      const Contour& chain = out.Contours[0];
      ExpectContinuous(chain, false, what);
      EXPECT_TRUE(ts::DensifiedSimple(chain, kSag, false)) << what;

      Contour back = ts::Reverse(src);
      back.Side = static_cast<int16_t>(-side);
      ContourList outBack;
      ++runs;
      ASSERT_TRUE(OffsetContour(back, "Internal", d, "Single", 1, outBack)) << what;
      ExpectAtDistance(src, outBack, d, what + " reversed");
      const Contour& backChain = outBack.Contours[0];
      EXPECT_NEAR(Length(backChain), Length(chain), 1e-7) << what;
      EXPECT_NEAR(backChain.Segs.back().EndPt.x, chain.Segs.front().StartPt.x, 1e-7) << what;
      EXPECT_NEAR(backChain.Segs.back().EndPt.y, chain.Segs.front().StartPt.y, 1e-7) << what;
    }
  }
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  std::printf("offset open property: %d runs, %d vanished, %.0f ms\n", runs, vanished, ms);
}

// Signed distance of a point from the chain's first segment: positive on the left.
double LeftOf(const Segment& s, double x, double y) {
  const double dx = s.EndPt.x - s.StartPt.x, dy = s.EndPt.y - s.StartPt.y;
  return (dx * (y - s.StartPt.y) - dy * (x - s.StartPt.x)) / std::hypot(dx, dy);
}

// An outside groove profile drawn left to right: a chamfer down, a wall, a corner radius, the
// bottom, a corner radius, a wall, a chamfer up.
Contour GrooveProfile() {
  return MakeContour({
      MakeLine(0, 10, 2, 10), MakeLine(2, 10, 2.5, 9.5), MakeLine(2.5, 9.5, 2.5, 6.5),
      MakeArc(2.5, 6.5, 3, 6, 3, 6.5, 1), MakeLine(3, 6, 6, 6), MakeArc(6, 6, 6.5, 6.5, 6, 6.5, 1),
      MakeLine(6.5, 6.5, 6.5, 9.5), MakeLine(6.5, 9.5, 7, 10), MakeLine(7, 10, 9, 10)});
}

TEST(OffsetTable, SideTextFlagAndSideFieldChooseTheSide) {
  const Contour groove = GrooveProfile();
  const Contour square = MakePolygon({0, 0, 4, 0, 4, 4, 0, 4});
  const Contour clockwise = ts::Reverse(square);
  struct Case {
    const char* name;
    Contour source;
    const char* side;
    int16_t flag;
    int16_t sideField;
    double distance;
    double expectLeft;  // sign of the offset's first point from the source's first segment
  };
  const std::vector<Case> cases = {
      {"open, Internal, Side 1: left", groove, "Internal", 1, 1, 0.4, 1},
      {"open, Internal, Side -1: right", groove, "Internal", 1, -1, 0.4, -1},
      {"open, External, Side 0: right", groove, "External", 0, 0, 0.4, -1},
      {"open, External, Side -1: left", groove, "External", 0, -1, 0.4, 1},
      {"open, negative distance turns the side", groove, "Internal", 1, 1, -0.4, -1},
      {"closed ccw, External, flag 0: outwards (right)", square, "External", 0, 0, 0.5, -1},
      {"closed cw, External, flag 0: outwards (left)", clockwise, "External", 0, 0, 0.5, 1},
      {"closed cw, External, flag 0, Side -1: inwards", clockwise, "External", 0, -1, 0.5, -1},
      {"closed ccw, Internal, flag 0: inwards (left)", square, "Internal", 0, 0, 0.5, 1},
      {"closed cw, Internal, flag 1: by travel (left)", clockwise, "Internal", 1, 1, 0.5, 1},
      {"closed cw, Internal, flag 1, Side -1: right", clockwise, "Internal", 1, -1, 0.5, -1},
  };
  for (const Case& c : cases) {
    Contour src = c.source;
    src.Side = c.sideField;
    ContourList out;
    ASSERT_TRUE(OffsetContour(src, c.side, c.distance, "Single", c.flag, out)) << c.name;
    ExpectAtDistance(src, out, std::fabs(c.distance), c.name);
    // The offset of the first segment's middle, found among the answer's segments.
    const Segment& first = src.Seg(0);
    const double mx = 0.5 * (first.StartPt.x + first.EndPt.x);
    const double my = 0.5 * (first.StartPt.y + first.EndPt.y);
    double best = 1e300, side = 0.0;
    for (const Segment& s : out.Contours[0].Segs) {
      for (int k = 0; k <= 16; ++k) {
        const auto [x, y] = ts::SegmentPoint(s, k / 16.0);
        const double dd = std::hypot(x - mx, y - my);
        if (dd < best) {
          best = dd;
          side = LeftOf(first, x, y);
        }
      }
    }
    EXPECT_GT(side * c.expectLeft, 0.0) << c.name;
    EXPECT_EQ(out.Contours[0].Side, c.sideField) << c.name;
    // Negating Side always gives the other side.
    src.Side = static_cast<int16_t>(c.sideField == 0 ? -1 : -c.sideField);
    ContourList other;
    ASSERT_TRUE(OffsetContour(src, c.side, c.distance, "Single", c.flag, other)) << c.name;
    const Segment& o = other.Contours[0].Seg(0);
    const Segment& p = out.Contours[0].Seg(0);
    EXPECT_FALSE(std::fabs(o.StartPt.x - p.StartPt.x) < 1e-6 &&
                 std::fabs(o.StartPt.y - p.StartPt.y) < 1e-6)
        << c.name;
  }
}

// The cases the groove operations produce, with exact expectations.
TEST(OffsetTable, GrooveCases) {
  const double pi = ts::kPi;
  // A closed finishing chain (rectangle with one corner radius) offset External by t grows by
  // perimeter * t + pi * t^2, arcs included.
  {
    const Contour rect = ts::FilletedPolygon({0, 0, 6, 0, 6, 3, 0, 3}, {0, 0, 0.5, 0});
    const double t = 0.25;
    const double area0 = 18 - 0.25 * (1 - pi / 4);
    const double perim = 18 - 2 * 0.5 + 0.5 * pi / 2;
    for (int reversed = 0; reversed < 2; ++reversed) {
      const Contour c = reversed ? ts::Reverse(rect) : rect;
      ContourList out;
      ASSERT_TRUE(OffsetContour(c, "External", t, "Single", 0, out));
      ASSERT_EQ(out.Count(), 1);
      const double a = std::fabs(ts::DensifiedArea(out.Contours[0], 1e-9));
      EXPECT_NEAR(a, area0 + perim * t + pi * t * t, 1e-6);
      // Five arcs: four corner joins and the grown fillet (radius 0.75 around its centre).
      int arcs = 0;
      for (const Segment& s : out.Contours[0].Segs) {
        if (s.IsArc()) {
          ++arcs;
          EXPECT_TRUE(std::fabs(s.Radius - t) < 1e-9 || std::fabs(s.Radius - 0.75) < 1e-9);
        }
      }
      EXPECT_EQ(arcs, 4);  // the fillet's offset and the three corner joins
    }
  }
  // An offset larger than a concave fillet's radius: the fillet vanishes and the walls'
  // offsets meet in a sharp corner.
  {
    const Contour groove = GrooveProfile();  // concave corner radii 0.5 at the bottom
    Contour src = groove;
    src.Side = 1;  // left of travel: into the groove
    ContourList out;
    ASSERT_TRUE(OffsetContour(src, "Internal", 0.8, "Single", 1, out));
    ExpectAtDistance(src, out, 0.8, "larger than the fillet");
    const Contour& c = out.Contours[0];
    for (const Segment& s : c.Segs) EXPECT_FALSE(s.IsArc() && s.Radius < 1e-6);
    bool corner = false;
    for (const Segment& s : c.Segs) {
      corner |= std::fabs(s.EndPt.x - 3.3) < 1e-9 && std::fabs(s.EndPt.y - 6.8) < 1e-9;
    }
    EXPECT_TRUE(corner) << "walls meet at (3.3, 6.8)";
    EXPECT_TRUE(ts::DensifiedSimple(c, kSag, false));
    // Outside the groove the corner radii grow and the chamfer corners are rounded.
    src.Side = -1;
    ASSERT_TRUE(OffsetContour(src, "Internal", 0.8, "Single", 1, out));
    ExpectAtDistance(src, out, 0.8, "outside the groove");
    double grown = 0.0;
    for (const Segment& s : out.Contours[0].Segs) grown += s.IsArc() && std::fabs(s.Radius - 1.3) < 1e-9;
    EXPECT_EQ(grown, 2.0);
  }
  // A groove narrower than twice the distance closes: the chain passes over it.
  {
    Contour slot = MakeContour({MakeLine(0, 5, 2, 5), MakeLine(2, 5, 2, 1), MakeLine(2, 1, 2.6, 1),
                                MakeLine(2.6, 1, 2.6, 5), MakeLine(2.6, 5, 5, 5)});
    slot.Side = 1;
    ContourList out;
    ASSERT_TRUE(OffsetContour(slot, "Internal", 0.5, "Single", 1, out));
    ExpectAtDistance(slot, out, 0.5, "closed slot");
    double minY = 1e9;
    for (const Segment& s : out.Contours[0].Segs) {
      for (int k = 0; k <= 8; ++k) minY = std::min(minY, ts::SegmentPoint(s, k / 8.0).second);
    }
    EXPECT_NEAR(minY, 5 + std::sqrt(0.25 - 0.09), 1e-9);  // where the two corner arcs meet
  }
  // A circle: External grows it, Internal beyond its radius vanishes.
  {
    const Contour circle = MakeContour({MakeCircle(1, 2, 3)});
    ContourList out;
    ASSERT_TRUE(OffsetContour(circle, "External", 0.5, "Single", 0, out));
    ASSERT_EQ(out.Contours[0].Count(), 1);
    EXPECT_NEAR(out.Contours[0].Seg(0).Radius, 3.5, 1e-12);
    EXPECT_FALSE(OffsetContour(circle, "Internal", 3.0, "Single", 0, out));
    EXPECT_EQ(out.Count(), 0);
    ASSERT_TRUE(OffsetContour(circle, "Internal", 2.0, "Single", 0, out));
    EXPECT_NEAR(out.Contours[0].Seg(0).Radius, 1.0, 1e-12);
  }
}

// The groove profile offset by less than its corner radii, exactly, segment by segment. Left of
// travel (the side of the groove's opening) the chamfer corners get round joins and the corner
// radii shrink; right of travel (the material) the chamfer corners are trimmed and the corner
// radii grow.
TEST(OffsetTable, GrooveProfileWithChamfersAndCornerRadii) {
  struct Want {
    bool arc;
    double x0, y0, x1, y1, radius;
  };
  const double d = 0.3;
  const double j = d / std::sqrt(2.0);
  const double c = 2 - d * (std::sqrt(2.0) - 1);  // trimmed corner of flat and chamfer
  const double w = 12 - 2 * j - (2.5 - d);        // y of the trimmed corner of chamfer and wall
  struct Case {
    const char* name;
    int16_t side;
    std::vector<Want> want;
  };
  const std::vector<Case> cases = {
      {"left of travel: the groove's opening", 1,
       {{false, 0, 10 + d, 2, 10 + d, 0},
        {true, 2, 10 + d, 2 + j, 10 + j, d},
        {false, 2 + j, 10 + j, 2.5 + j, 9.5 + j, 0},
        {true, 2.5 + j, 9.5 + j, 2.5 + d, 9.5, d},
        {false, 2.5 + d, 9.5, 2.5 + d, 6.5, 0},
        {true, 2.5 + d, 6.5, 3, 6 + d, 0.5 - d},
        {false, 3, 6 + d, 6, 6 + d, 0},
        {true, 6, 6 + d, 6.5 - d, 6.5, 0.5 - d},
        {false, 6.5 - d, 6.5, 6.5 - d, 9.5, 0},
        {true, 6.5 - d, 9.5, 6.5 - j, 9.5 + j, d},
        {false, 6.5 - j, 9.5 + j, 7 - j, 10 + j, 0},
        {true, 7 - j, 10 + j, 7, 10 + d, d},
        {false, 7, 10 + d, 9, 10 + d, 0}}},
      {"right of travel: the material", -1,
       {{false, 0, 10 - d, c, 10 - d, 0},
        {false, c, 10 - d, 2.5 - d, w, 0},
        {false, 2.5 - d, w, 2.5 - d, 6.5, 0},
        {true, 2.5 - d, 6.5, 3, 6 - d, 0.5 + d},
        {false, 3, 6 - d, 6, 6 - d, 0},
        {true, 6, 6 - d, 6.5 + d, 6.5, 0.5 + d},
        {false, 6.5 + d, 6.5, 6.5 + d, w, 0},
        {false, 6.5 + d, w, 9 - c, 10 - d, 0},
        {false, 9 - c, 10 - d, 9, 10 - d, 0}}},
  };
  for (const Case& k : cases) {
    for (int reversed = 0; reversed < 2; ++reversed) {
      // Reversed and with Side negated, the same offset comes back run the other way.
      Contour src = reversed ? ts::Reverse(GrooveProfile()) : GrooveProfile();
      src.Side = static_cast<int16_t>(reversed ? -k.side : k.side);
      const std::string what = std::string(k.name) + (reversed ? " reversed" : "");
      ContourList out;
      ASSERT_TRUE(OffsetContour(src, "Internal", d, "Single", 1, out)) << what;
      ASSERT_EQ(out.Count(), 1) << what;
      const Contour got = reversed ? ts::Reverse(out.Contours[0]) : out.Contours[0];
      ASSERT_EQ(got.Count(), static_cast<int>(k.want.size())) << what;
      for (int i = 0; i < got.Count(); ++i) {
        const Segment& g = got.Seg(i);
        const Want& e = k.want[static_cast<size_t>(i)];
        EXPECT_EQ(g.IsArc(), e.arc) << what << " segment " << i;
        EXPECT_NEAR(g.StartPt.x, e.x0, 1e-9) << what << " segment " << i;
        EXPECT_NEAR(g.StartPt.y, e.y0, 1e-9) << what << " segment " << i;
        EXPECT_NEAR(g.EndPt.x, e.x1, 1e-9) << what << " segment " << i;
        EXPECT_NEAR(g.EndPt.y, e.y1, 1e-9) << what << " segment " << i;
        if (e.arc) {
          EXPECT_NEAR(g.Radius, e.radius, 1e-9) << what << " segment " << i;
        }
      }
    }
  }
}

// A closed contour of one "Arc" record whose ends coincide is a full turn, as the intersection
// and point in contour read it.
TEST(OffsetTable, FullTurnArcRecord) {
  const Contour turn = MakeContour({MakeArc(4, 1, 4, 1, 1, 1, -1)});
  for (const auto& [side, radius] : {std::pair{"Internal", 2.0}, std::pair{"External", 4.0}}) {
    ContourList out;
    ASSERT_TRUE(OffsetContour(turn, side, 1.0, "Single", 0, out)) << side;
    ASSERT_EQ(out.Count(), 1) << side;
    ASSERT_EQ(out.Contours[0].Count(), 1) << side;
    const Segment& s = out.Contours[0].Seg(0);
    EXPECT_NEAR(s.Radius, radius, 1e-12) << side;
    EXPECT_EQ(s.Direction, -1) << side;
    EXPECT_NEAR(std::hypot(s.StartPt.x - s.EndPt.x, s.StartPt.y - s.EndPt.y), 0.0, 1e-12);
    EXPECT_NEAR(s.Length, 2 * ts::kPi * radius, 1e-9) << side;
  }
}

TEST(OffsetTable, ArgumentsAndDegenerateInput) {
  const Contour square = MakePolygon({0, 0, 4, 0, 4, 4, 0, 4});
  ContourList out;
  EXPECT_FALSE(OffsetContour(square, "External", 1, "Double", 0, out));
  EXPECT_FALSE(OffsetContour(square, "external", 1, "Single", 0, out));
  EXPECT_FALSE(OffsetContour(square, "External", std::nan(""), "Single", 0, out));
  EXPECT_FALSE(OffsetContour(square, "External", INFINITY, "Single", 0, out));
  EXPECT_FALSE(OffsetContour(Contour{}, "External", 1, "Single", 0, out));
  EXPECT_FALSE(OffsetContour(MakeContour({MakeLine(1, 1, 1, 1)}), "External", 1, "Single", 0, out));
  EXPECT_EQ(out.Count(), 0);
  // Below the geometry's tolerance the contour comes back as it is.
  ASSERT_TRUE(OffsetContour(square, "External", 9e-7, "Single", 0, out));
  ASSERT_EQ(out.Count(), 1);
  EXPECT_EQ(out.Contours[0].Count(), 4);
  EXPECT_EQ(out.Contours[0].Seg(2).StartPt, square.Seg(2).StartPt);
  // At 1e-6 it is offset.
  ASSERT_TRUE(OffsetContour(square, "External", 1e-6, "Single", 0, out));
  EXPECT_EQ(out.Contours[0].Count(), 8);
  // An inward offset of a square by half its side or more leaves nothing.
  EXPECT_FALSE(OffsetContour(square, "Internal", 2.0, "Single", 0, out));
  // A single line, both sides.
  Contour line = MakeContour({MakeLine(0, 0, 3, 0)});
  ASSERT_TRUE(OffsetContour(line, "Internal", 1, "Single", 1, out));
  EXPECT_NEAR(out.Contours[0].Seg(0).StartPt.y, 1.0, 1e-12);
  line.Side = -1;
  ASSERT_TRUE(OffsetContour(line, "Internal", 1, "Single", 1, out));
  EXPECT_NEAR(out.Contours[0].Seg(0).StartPt.y, -1.0, 1e-12);
}

}  // namespace
}  // namespace sulkor
