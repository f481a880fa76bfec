#include "contour/contour_ops.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "contour/segment_build.h"
#include "kernel/contour_services.h"

namespace sulkor {
namespace {

// The host's contour-intersection service, recording the second contour of every call (the
// probes); the other services are not needed here and refuse.
class ProbeServices : public GeometryServices {
 public:
  void ConvertGraphic(const Handle<Graphic>&, Contour&, double&, double&) override { Refuse(); }
  int16_t PointInContour(const Contour&, double, double) override { Refuse(); }
  bool Offset(const Contour&, std::string_view, double, std::string_view, int16_t,
              ContourList&) override {
    Refuse();
  }
  bool Merge(const Contour&, const Contour&, const IntersectionResult&, ContourList&) override {
    Refuse();
  }
  bool Clip(const Contour&, const Contour&, const IntersectionResult&, ContourList&) override {
    Refuse();
  }
  bool Common(const Contour&, const Contour&, const IntersectionResult&, ContourList&) override {
    Refuse();
  }
  bool Intersect(const Contour& first, const Contour& second, IntersectionResult& result) override {
    calls.push_back(second);
    return IntersectContours(first, second, result);
  }

  std::vector<Contour> calls;

 private:
  [[noreturn]] static void Refuse() { throw HostError("not offered by the probe services"); }
};

// Answers every Intersect with what the test says.
class ScriptedServices : public ProbeServices {
 public:
  std::function<bool(const Contour&, IntersectionResult&)> answer;
  bool Intersect(const Contour&, const Contour& second, IntersectionResult& result) override {
    calls.push_back(second);
    return answer(second, result);
  }
};

Contour Square() { return MakePolygon({0, 0, 4, 0, 4, 4, 0, 4}); }

TEST(SplitContourAtPoint, LinesVerticesAndMisses) {
  struct Case {
    double px, py;
    bool found;
    int32_t count;
    int32_t k;      // index of the first piece when split
    double sx, sy;  // where the cut landed
  };
  const std::vector<Case> cases = {
      {1, 0, true, 5, 0, 1, 0},         {4, 2.5, true, 5, 1, 4, 2.5},
      {0, 1, true, 5, 3, 0, 1},         {4, 0, true, 4, -1, 0, 0},  // a vertex: unchanged
      {4, 4, true, 4, -1, 0, 0},        {2 + 5e-7, 4, true, 5, 2, 2 + 5e-7, 4},
      {4 - 5e-7, 4, true, 4, -1, 0, 0},  // within 1e-6 of a vertex: unchanged
      {2, 9, false, 4, -1, 0, 0},        // far off: no probe meets it
  };
  for (const Case& k : cases) {
    ProbeServices services;
    SCOPED_TRACE(testing::Message() << k.px << "," << k.py);
    Contour c = Square();
    const Contour before = c;
    EXPECT_EQ(SplitContourAtPoint(services, c, k.px, k.py), k.found);
    ASSERT_EQ(c.Count(), k.count);
    if (k.k < 0) {
      for (int32_t i = 0; i < c.Count(); ++i) {
        EXPECT_EQ(c.Seg(i).StartPt, before.Seg(i).StartPt);
        EXPECT_EQ(c.Seg(i).EndPt, before.Seg(i).EndPt);
      }
      continue;
    }
    const Segment& old = before.Seg(k.k);
    const Segment& a = c.Seg(k.k);
    const Segment& b = c.Seg(k.k + 1);
    EXPECT_EQ(a.StartPt, old.StartPt);
    EXPECT_NEAR(a.EndPt.x, k.sx, 1e-12);
    EXPECT_NEAR(a.EndPt.y, k.sy, 1e-12);
    EXPECT_EQ(b.StartPt, a.EndPt);
    EXPECT_EQ(b.EndPt, old.EndPt);
    EXPECT_NEAR(a.Length + b.Length, old.Length, 1e-12);
    EXPECT_EQ(a.Tangent, old.Tangent);
    EXPECT_EQ(b.Tangent, old.Tangent);
    for (int32_t i = 0; i < k.k; ++i) EXPECT_EQ(c.Seg(i).EndPt, before.Seg(i).EndPt);
    for (int32_t i = k.k + 2; i < c.Count(); ++i) {
      EXPECT_EQ(c.Seg(i).EndPt, before.Seg(i - 1).EndPt);
    }
  }
}

TEST(SplitContourAtPoint, ArcPiecesKeepTheWholeLength) {
  ProbeServices services;
  Contour c = MakeContour({MakeLine(0, 0, 1, 0), MakeArc(1, 0, 0, 1, 0, 0, 1)});
  const double h = std::sqrt(0.5);
  ASSERT_TRUE(SplitContourAtPoint(services, c, h, h));
  ASSERT_EQ(c.Count(), 3);
  const Segment& a = c.Seg(1);
  const Segment& b = c.Seg(2);
  EXPECT_NEAR(a.EndPt.x, h, 1e-12);
  EXPECT_NEAR(a.EndPt.y, h, 1e-12);
  EXPECT_EQ(b.StartPt, a.EndPt);
  EXPECT_NEAR(a.MidPt.x, std::cos(kPi / 8), 1e-12);
  EXPECT_NEAR(a.MidPt.y, std::sin(kPi / 8), 1e-12);
  EXPECT_NEAR(b.MidPt.x, std::cos(3 * kPi / 8), 1e-12);
  EXPECT_NEAR(a.Tangent[0], kPi / 2, 1e-12);
  EXPECT_NEAR(a.Tangent[1], 3 * kPi / 4, 1e-12);
  EXPECT_NEAR(b.Tangent[0], 3 * kPi / 4, 1e-12);
  EXPECT_NEAR(b.Tangent[1], kPi, 1e-12);
  EXPECT_NEAR(a.Length, kPi / 2, 1e-12);  // both keep the length of the whole arc
  EXPECT_NEAR(b.Length, kPi / 2, 1e-12);
  EXPECT_EQ(a.SpanSign, 1);
}

TEST(SplitContourAtPoint, ProbeSizesAndAnglesInOrder) {
  ScriptedServices never;
  never.answer = [](const Contour&, IntersectionResult&) { return false; };
  Contour c = Square();
  EXPECT_FALSE(SplitContourAtPoint(never, c, 10, 20));
  EXPECT_EQ(c.Count(), 4);
  ASSERT_EQ(never.calls.size(), 10u);
  double h = 1e-4;
  for (size_t n = 0; n < never.calls.size(); ++n) {
    const double a = n % 2 == 0 ? 0.5 : 0.5 + kPi / 2;
    const Contour& probe = never.calls[n];
    ASSERT_EQ(probe.Count(), 1);
    const Segment& line = probe.First();
    EXPECT_TRUE(line.IsLine());
    EXPECT_NEAR(line.StartPt.x, 10 + h * std::cos(a), 1e-12) << n;
    EXPECT_NEAR(line.StartPt.y, 20 + h * std::sin(a), 1e-12) << n;
    EXPECT_NEAR(line.EndPt.x, 10 - h * std::cos(a), 1e-12) << n;
    EXPECT_NEAR(line.EndPt.y, 20 - h * std::sin(a), 1e-12) << n;
    EXPECT_NEAR(line.Length, 2 * h, 1e-12) << n;
    EXPECT_NEAR(line.Tangent[0], a + kPi, 1e-9) << n;  // from the first end to the second
    if (n % 2 == 1) h *= 10;
  }

  // The third probe answers: the search stops there and, of its crossings, the one nearest to
  // the point is used, wherever it comes in the answer; of two equally near the first wins.
  struct Answer {
    const char* name;
    std::vector<Crossing> points;
    double cutAt;
  };
  const Answer answers[] = {
      {"nearest first", {{2, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0}}, 2},
      {"nearest last", {{1, 0, 0, 0, 0, 0}, {3, 0, 0, 0, 0, 0}, {2.00001, 0, 0, 0, 0, 0}},
       2.00001},
      {"two equally near", {{1.5, 0, 0, 0, 0, 0}, {2.5, 0, 0, 0, 0, 0}}, 1.5},
  };
  for (const Answer& answer : answers) {
    SCOPED_TRACE(answer.name);
    ScriptedServices third;
    third.answer = [&third, &answer](const Contour&, IntersectionResult& r) {
      if (third.calls.size() < 3) return false;
      r.Points = answer.points;
      return true;
    };
    Contour d = Square();
    EXPECT_TRUE(SplitContourAtPoint(third, d, 2, 0));
    EXPECT_EQ(third.calls.size(), 3u);
    ASSERT_EQ(d.Count(), 5);
    EXPECT_EQ(d.Seg(0).EndPt.x, answer.cutAt);
    EXPECT_EQ(d.Seg(1).StartPt.x, answer.cutAt);
  }

  // A crossing on a segment the contour does not have is a failure of the geometry.
  ScriptedServices stray;
  stray.answer = [](const Contour&, IntersectionResult& r) {
    r.Points = {{2, 0, 7, 0, 0, 0}};
    return true;
  };
  Contour e = Square();
  EXPECT_THROW(SplitContourAtPoint(stray, e, 2, 0), GeometryError);
  EXPECT_EQ(e.Count(), 4);

  // A failing service is not caught here.
  ScriptedServices broken;
  broken.answer = [](const Contour&, IntersectionResult&) -> bool {
    throw HostError("service failed");
  };
  EXPECT_THROW(SplitContourAtPoint(broken, e, 2, 0), HostError);
}

TEST(SplitContourAtPoint, PointOffTheContourCutsWhereTheProbeCrosses) {
  // Half a unit above the bottom edge: only the probe of half-length 1 at 0.5 + pi/2 reaches it.
  ProbeServices services;
  Contour c = Square();
  ASSERT_TRUE(SplitContourAtPoint(services, c, 2, 0.5));
  EXPECT_EQ(services.calls.size(), 10u);
  ASSERT_EQ(c.Count(), 5);
  const double a = 0.5 + kPi / 2;
  EXPECT_NEAR(c.Seg(0).EndPt.x, 2 - 0.5 / std::tan(a), 1e-12);
  EXPECT_NEAR(c.Seg(0).EndPt.y, 0, 1e-12);
}

TEST(ContourBounds, EndsCirclesAndArcDiameters) {
  struct Case {
    Contour contour;
    double maxX, minX, maxY, minY;
  };
  const std::vector<Case> cases = {
      {Square(), 4, 0, 4, 0},
      {MakeContour({MakeCircle(2, 3, 1.5)}), 3.5, 0.5, 4.5, 1.5},
      // half a turn over the top: its top comes from the vertical diameter
      {MakeContour({MakeArc(1, 0, -1, 0, 0, 0, 1), MakeLine(-1, 0, 1, 0)}), 1, -1, 1, 0},
      // three quarters counterclockwise from the top to the right: left and bottom from the arc
      {MakeContour({MakeArc(5, 6, 6, 5, 5, 5, 1)}), 6, 4, 6, 4},
      // a quarter that crosses no diameter inside its sweep
      {MakeContour({MakeArc(3, 2, 2, 3, 2, 2, 1)}), 3, 2, 3, 2},
      {Contour{}, -kBoxStart, kBoxStart, -kBoxStart, kBoxStart},
  };
  for (const Case& k : cases) {
    ProbeServices services;
    Contour c = k.contour;
    c.MaxX = 99;  // stale values are replaced
    c.MinY = -99;
    ContourBounds(services, c);
    EXPECT_NEAR(c.MaxX, k.maxX, 1e-12);
    EXPECT_NEAR(c.MinX, k.minX, 1e-12);
    EXPECT_NEAR(c.MaxY, k.maxY, 1e-12);
    EXPECT_NEAR(c.MinY, k.minY, 1e-12);
    EXPECT_EQ(c.Count(), k.contour.Count());
  }
}

TEST(ContourBounds, ProbesThroughTheArcCentre) {
  ScriptedServices services;
  services.answer = [](const Contour&, IntersectionResult& r) {
    r.Points = {{-3, 11, 0, 0, 0, 0}};
    return true;
  };
  Contour c = MakeContour({MakeLine(0, 0, 1, 1), MakeArc(1, 1, 2, 2, 2, 1, -1)});
  ContourBounds(services, c);
  ASSERT_EQ(services.calls.size(), 2u);  // one pair for the one arc
  const Segment& across = services.calls[0].First();
  const Segment& upright = services.calls[1].First();
  EXPECT_EQ(across.StartPt, (Point3{0, 1, 0}));
  EXPECT_EQ(across.EndPt, (Point3{4, 1, 0}));
  EXPECT_EQ(across.Tangent[0], 0.0);
  EXPECT_EQ(across.Length, 4.0);
  EXPECT_EQ(upright.StartPt, (Point3{2, -1, 0}));
  EXPECT_EQ(upright.EndPt, (Point3{2, 3, 0}));
  EXPECT_EQ(upright.Tangent[0], kPi / 2);
  EXPECT_EQ(upright.Length, 4.0);
  // Every crossing reported widens the box, whatever the service says it is.
  EXPECT_EQ(c.MinX, -3);
  EXPECT_EQ(c.MaxY, 11);
  EXPECT_EQ(c.MaxX, 2);
  EXPECT_EQ(c.MinY, 0);
}

}  // namespace
}  // namespace sulkor
