#include "contour/contour_ops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "contour/segment_build.h"
#include "testing/scripted_geometry.h"

namespace sulkor {
namespace {

using testing::ScriptedGeometry;

Contour Square() { return MakePolygon({0, 0, 4, 0, 4, 4, 0, 4}); }

TEST(SplitContourAtPoint, LinesArcsVerticesAndMisses) {
  struct Case {
    double px, py;
    bool found;
    int32_t k;  // index of the first piece when split, -1: unchanged
  };
  for (const Case& c : std::vector<Case>{{1, 0, true, 0}, {4, 2.5, true, 1}, {0, 1, true, 3},
                                         {4, 0, true, -1}, {2 + 5e-7, 4, true, 2},
                                         {4 - 5e-7, 4, true, -1},  // within 1e-6 of a vertex
                                         {2, 9, false, -1}}) {
    ScriptedGeometry services;
    SCOPED_TRACE(::testing::Message() << c.px << "," << c.py);
    Contour s = Square();
    EXPECT_EQ(SplitContourAtPoint(services, s, c.px, c.py), c.found);
    ASSERT_EQ(s.Count(), c.k < 0 ? 4 : 5);
    if (c.k < 0) continue;
    const Contour before = Square();
    const Segment& old = before.Seg(c.k);
    const Segment &a = s.Seg(c.k), &b = s.Seg(c.k + 1);
    EXPECT_EQ(a.StartPt, old.StartPt);
    EXPECT_NEAR(a.EndPt.x, c.px, 1e-12);
    EXPECT_NEAR(a.EndPt.y, c.py, 1e-12);
    EXPECT_EQ(b.StartPt, a.EndPt);
    EXPECT_EQ(b.EndPt, old.EndPt);
    EXPECT_NEAR(a.Length + b.Length, old.Length, 1e-12);
    EXPECT_EQ(b.Tangent, old.Tangent);
  }
  // A point half a unit off the bottom: only the probe of half-length 1 at 0.5 + pi/2 reaches.
  ScriptedGeometry off;
  Contour s = Square();
  ASSERT_TRUE(SplitContourAtPoint(off, s, 2, 0.5));
  EXPECT_EQ(off.probes.size(), 10u);
  EXPECT_NEAR(s.Seg(0).EndPt.x, 2 - 0.5 / std::tan(0.5 + kPi / 2), 1e-12);
  // An arc split in two: both pieces keep the length of the whole arc.
  Contour c = MakeContour({MakeLine(0, 0, 1, 0), MakeArc(1, 0, 0, 1, 0, 0, 1)});
  ASSERT_TRUE(SplitContourAtPoint(off, c, std::sqrt(0.5), std::sqrt(0.5)));
  ASSERT_EQ(c.Count(), 3);
  EXPECT_NEAR(c.Seg(1).MidPt.x, std::cos(kPi / 8), 1e-12);
  EXPECT_NEAR(c.Seg(2).Tangent[0], 3 * kPi / 4, 1e-12);
  EXPECT_NEAR(c.Seg(1).Length, kPi / 2, 1e-12);
  EXPECT_NEAR(c.Seg(2).Length, kPi / 2, 1e-12);
}

TEST(SplitContourAtPoint, ProbesGrowTenfoldAndTheNearestCrossingWins) {
  ScriptedGeometry never;
  never.intersect = [](const Contour&, const Contour&, IntersectionResult&) { return true; };
  Contour c = Square();
  EXPECT_FALSE(SplitContourAtPoint(never, c, 10, 20));
  ASSERT_EQ(never.probes.size(), 10u);
  double h = 1e-4;
  for (size_t n = 0; n < never.probes.size(); ++n) {
    const double a = n % 2 == 0 ? 0.5 : 0.5 + kPi / 2;
    const Segment& line = never.probes[n].First();
    EXPECT_NEAR(line.StartPt.x, 10 + h * std::cos(a), 1e-12) << n;
    EXPECT_NEAR(line.EndPt.y, 20 - h * std::sin(a), 1e-12) << n;
    EXPECT_NEAR(line.Tangent[0], a + kPi, 1e-9) << n;
    if (n % 2 == 1) h *= 10;
  }
  // The third probe answers: of its crossings the nearest is used, of two equally near the first.
  struct Answer {
    std::vector<Crossing> points;
    double cutAt;
  };
  for (const Answer& answer : std::vector<Answer>{
           {{{2, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0}}, 2},
           {{{1, 0, 0, 0, 0, 0}, {3, 0, 0, 0, 0, 0}, {2.00001, 0, 0, 0, 0, 0}}, 2.00001},
           {{{1.5, 0, 0, 0, 0, 0}, {2.5, 0, 0, 0, 0, 0}}, 1.5}}) {
    ScriptedGeometry third;
    third.intersect = [&](const Contour&, const Contour&, IntersectionResult& r) {
      if (third.probes.size() == 3) r.Points = answer.points;
      return true;
    };
    Contour d = Square();
    EXPECT_TRUE(SplitContourAtPoint(third, d, 2, 0));
    EXPECT_EQ(third.probes.size(), 3u);
    ASSERT_EQ(d.Count(), 5);
    EXPECT_EQ(d.Seg(0).EndPt.x, answer.cutAt);
  }
  // A crossing on a segment the contour does not have is a geometry failure; a failing service
  // is not caught here.
  ScriptedGeometry stray;
  stray.intersect = [](const Contour&, const Contour&, IntersectionResult& r) {
    r.Points = {{2, 0, 7, 0, 0, 0}};
    return true;
  };
  Contour e = Square();
  EXPECT_THROW(SplitContourAtPoint(stray, e, 2, 0), GeometryError);
  EXPECT_EQ(e.Count(), 4);
  stray.intersect = [](const Contour&, const Contour&, IntersectionResult&) -> bool {
    throw HostError("service failed");
  };
  EXPECT_THROW(SplitContourAtPoint(stray, e, 2, 0), HostError);
}

TEST(ContourBounds, EndsCirclesArcDiametersAndProbes) {
  struct Case {
    Contour contour;
    double maxX, minX, maxY, minY;
  };
  for (const Case& k : std::vector<Case>{
           {MakeContour({MakeCircle(2, 3, 1.5)}), 3.5, 0.5, 4.5, 1.5},
           {MakeContour({MakeArc(1, 0, -1, 0, 0, 0, 1), MakeLine(-1, 0, 1, 0)}), 1, -1, 1, 0},
           {MakeContour({MakeArc(5, 6, 6, 5, 5, 5, 1)}), 6, 4, 6, 4},  // three quarters
           {MakeContour({MakeArc(3, 2, 2, 3, 2, 2, 1)}), 3, 2, 3, 2},  // no diameter crossed
           {Contour{}, -kBoxStart, kBoxStart, -kBoxStart, kBoxStart}}) {
    ScriptedGeometry services;
    Contour c = k.contour;
    c.MaxX = 99;  // stale values are replaced
    ContourBounds(services, c);
    EXPECT_NEAR(c.MaxX, k.maxX, 1e-12);
    EXPECT_NEAR(c.MinX, k.minX, 1e-12);
    EXPECT_NEAR(c.MaxY, k.maxY, 1e-12);
    EXPECT_NEAR(c.MinY, k.minY, 1e-12);
  }
  // One pair of probes through each arc's centre, 4 long; every crossing widens the box.
  ScriptedGeometry services;
  services.intersect = [](const Contour&, const Contour&, IntersectionResult& r) {
    r.Points = {{-3, 11, 0, 0, 0, 0}};
    return true;
  };
  Contour c = MakeContour({MakeLine(0, 0, 1, 1), MakeArc(1, 1, 2, 2, 2, 1, -1)});
  ContourBounds(services, c);
  ASSERT_EQ(services.probes.size(), 2u);
  EXPECT_EQ(services.probes[0].First().StartPt, (Point3{0, 1, 0}));  // 4 long, through the centre
  EXPECT_EQ(services.probes[1].First().EndPt, (Point3{2, 3, 0}));
  EXPECT_EQ(c.MinX, -3);
  EXPECT_EQ(c.MaxY, 11);
  EXPECT_EQ(c.MaxX, 2);
  EXPECT_EQ(c.MinY, 0);
}

}  // namespace
}  // namespace sulkor
