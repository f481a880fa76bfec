#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <utility>
#include <string>
#include <vector>

#include "contour/segment_build.h"
#include "host/memory/memory_drawing.h"
#include "kernel/contour_services.h"

namespace sulkor {
namespace {

constexpr double kRoot = std::numbers::sqrt2 / 2.0;
const auto Line = MakeLine;

// The converter's segments against the expected ones built by hand (every derived field comes
// from the segment builders): kind, ends, centre and direction; in order of travel, exactly.
void ExpectContour(const Contour& c, const std::vector<Segment>& expected,
                   const std::string& what) {
  ASSERT_EQ(c.Count(), static_cast<int32_t>(expected.size())) << what;
  for (size_t i = 0; i < expected.size(); ++i) {
    const Segment& s = c.Segs[i];
    const Segment& e = expected[i];
    SCOPED_TRACE(what + ", segment " + std::to_string(i));
    ASSERT_EQ(s.Kind, e.Kind);
    for (const auto& [got, want] :
         {std::pair{s.StartPt, e.StartPt}, {s.EndPt, e.EndPt}, {s.Center, e.Center}}) {
      EXPECT_NEAR(got.x, want.x, 1e-9);
      EXPECT_NEAR(got.y, want.y, 1e-9);
    }
    EXPECT_EQ(s.Direction, e.Direction);
    if (i > 0) {
      EXPECT_EQ(s.StartPt, c.Segs[i - 1].EndPt);
    }
  }
}

struct Drawing {
  std::shared_ptr<host::MemoryApplication> app = host::MemoryApplication::Create({});
  Handle<Graphics> top = app->ActiveDrawing()->TopGraphics();

  // A polyline of (x, y, arc mark) vertices.
  Handle<Graphic> Polyline(const std::vector<std::array<double, 3>>& vertices, bool closed,
                           Handle<Graphics> in = nullptr) {
    Handle<Graphic> g = (in ? in : top)->Add(kKindPolyline);
    Handle<Vertices> v = g->VertexCollection();
    v->SetEditing(true);
    for (const auto& p : vertices) v->Add(p[0], p[1], 0.0)->SetArcMark(p[2] != 0.0);
    if (closed) g->SetClosed(true);
    return g;
  }
  // The counterclockwise quarter arc (1, 0)-(2, 1) around (1, 1), rewritten clockwise from
  // (2, 1) as a trajectory arc is when reversed.
  Handle<Graphic> QuarterArc(bool reversed, Handle<Graphics> in) {
    Handle<Graphic> arc = in->AddArcThroughPoints(1, 0, 0, 1 + kRoot, 1 - kRoot, 0, 2, 1, 0);
    if (!reversed) return arc;
    Handle<Vertices> v = arc->VertexCollection();
    for (const auto& [k, x, y] : {std::array{0.0, 2.0, 1.0}, {1.0, 1.0, 0.0}, {2.0, 1.0, 0.0}}) {
      v->Item(static_cast<int32_t>(k))->SetX(x);
      v->Item(static_cast<int32_t>(k))->SetY(y);
    }
    return arc;
  }
};

Contour Convert(const Handle<Graphic>& g) {
  Contour c;
  ConvertGraphicToContour(g, c);
  return c;
}

TEST(ConvertGraphicToContour, PolylinesCirclesAndArcs) {
  Drawing d;
  const Segment circle = MakeCircle(1, 2, 3);
  Handle<Graphic> arc3 = d.top->Add(kKindArc);  // three vertices, no centre: clockwise, below
  for (const auto& [x, y] : {std::pair{1, 0}, {-1, 0}, {0, -1}}) {
    arc3->VertexCollection()->Add(x, y, 0);
  }
  const std::vector<std::array<double, 3>> square = {{0, 0, 0}, {2, 0, 0}, {2, 0, 0}, {2, 2, 0},
                                                     {0, 2, 0}};
  auto squareTo = [&](double lastX) {
    std::vector<std::array<double, 3>> v = square;
    v.push_back({lastX, 0, 0});
    return v;
  };
  struct Case {
    const char* what;
    Handle<Graphic> graphic;
    std::vector<Segment> expected;
  };
  const std::vector<Case> cases = {
      {"polyline with a ccw quarter ending at its quarter point and a cw three-quarter turn",
       d.Polyline({{0, 0, 0}, {4, 0, 0}, {4, 1, 1}, {5, 1, 1}, {5, 1, 0}, {5, 3, 0}, {6, 3, 1},
                   {6, 4, 1}, {6, 2, 0}, {8, 2, 0}}, false),
       {Line(0, 0, 4, 0), MakeArc(4, 0, 5, 1, 4, 1, 1), Line(5, 1, 5, 3),
        MakeArc(5, 3, 6, 2, 6, 3, -1), Line(6, 2, 8, 2)}},
      {"closed back to the first vertex by a line", d.Polyline(square, true),
       {Line(0, 0, 2, 0), Line(2, 0, 2, 2), Line(2, 2, 0, 2), Line(0, 2, 0, 0)}},
      {"open: no closing line", d.Polyline(square, false),
       {Line(0, 0, 2, 0), Line(2, 0, 2, 2), Line(2, 2, 0, 2)}},
      {"last vertex 5e-7 from the first: ends exactly on it", d.Polyline(squareTo(5e-7), true),
       {Line(0, 0, 2, 0), Line(2, 0, 2, 2), Line(2, 2, 0, 2), Line(0, 2, 0, 0)}},
      {"last vertex 2e-6 from the first: a short closing line", d.Polyline(squareTo(2e-6), true),
       {Line(0, 0, 2, 0), Line(2, 0, 2, 2), Line(2, 2, 0, 2), Line(0, 2, 2e-6, 0),
        Line(2e-6, 0, 0, 0)}},
      {"closed polyline whose last arc returns to the start",
       d.Polyline({{-1, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 1}, {-1, 0, 0}}, true),
       {Line(-1, 0, 1, 0), MakeArc(1, 0, -1, 0, 0, 0, 1)}},
      {"circle", d.top->AddCircleCenterPoint(1, 2, 0, 4, 2, 0), {circle}},
      {"circle through a point above the centre", d.top->AddCircleCenterPoint(1, 2, 0, 1, 5, 0),
       {circle}},
      {"arc through three points running clockwise: held counterclockwise",
       d.top->AddArcThroughPoints(-1, 0, 0, 0, 1, 0, 1, 0, 0), {MakeArc(1, 0, -1, 0, 0, 0, 1)}},
      {"arc of three vertices", arc3, {MakeArc(1, 0, -1, 0, 0, 0, -1)}},
      {"empty graphic", d.top->Add(), {}},
      {"empty polyline", d.top->Add(kKindPolyline), {}},
  };
  for (const Case& c : cases) ExpectContour(Convert(c.graphic), c.expected, c.what);
  EXPECT_EQ(Convert(cases[3].graphic).Last().EndPt, (Point3{0, 0, 0}));
}

// A group of a line A (0,0)-(1,0), the quarter arc B and a line C (2,1)-(2,3), in any order and
// each either way round, beside a DATA graphic; and nested groups with a gap of 4e-7.
TEST(ConvertGraphicToContour, GroupsInAnyOrder) {
  const std::vector<Segment> forward = {Line(0, 0, 1, 0), MakeArc(1, 0, 2, 1, 1, 1, 1),
                                        Line(2, 1, 2, 3)};
  const std::vector<Segment> backward = {Line(2, 3, 2, 1), MakeArc(2, 1, 1, 0, 1, 1, -1),
                                         Line(1, 0, 0, 0)};
  const std::array<int, 3> orders[] = {{0, 1, 2}, {2, 0, 1}, {1, 2, 0},
                                       {2, 1, 0}, {1, 0, 2}, {0, 2, 1}};
  for (int k = 0; k < 6; ++k) {
    const std::array<int, 3>& order = orders[k];
    const std::array<bool, 3> reverse = {k % 2 == 1, k % 3 == 2, k >= 4};
    Drawing d;
    Handle<Graphic> group = d.top->Add();
    Handle<Graphics> children = group->Children();
    children->Add(kKindData)->SetName("DATA");  // holds no profile: passed over
    for (int piece : order) {
      const bool rev = reverse[static_cast<size_t>(piece)];
      if (piece == 0) {
        d.Polyline({{rev ? 1.0 : 0.0, 0, 0}, {rev ? 0.0 : 1.0, 0, 0}}, false, children);
      }
      if (piece == 1) d.QuarterArc(rev, children);
      if (piece == 2) {  // a plain graphic of two vertices
        Handle<Graphic> line = children->Add();
        line->VertexCollection()->Add(2, rev ? 3 : 1, 0);
        line->VertexCollection()->Add(2, rev ? 1 : 3, 0);
      }
    }
    ExpectContour(Convert(group), reverse[static_cast<size_t>(order[0])] ? backward : forward,
                  "order " + std::to_string(k));
  }
  Drawing d;
  Handle<Graphic> square = d.top->Add();
  Handle<Graphic> nested = square->Children()->Add();
  d.Polyline({{0, 0, 0}, {2, 0, 0}, {2, 2, 0}}, false, nested->Children());
  d.Polyline({{0, 0, 0}, {0, 2, 0}}, false, square->Children());
  d.Polyline({{2, 2 + 4e-7, 0}, {0, 2, 0}}, false, square->Children());
  const Contour c = Convert(square);
  ExpectContour(c, {Line(0, 0, 2, 0), Line(2, 0, 2, 2), Line(2, 2, 0, 2), Line(0, 2, 0, 0)},
                "nested");
  EXPECT_EQ(c.Last().EndPt, c.First().StartPt);
}

TEST(ConvertGraphicToContour, FailuresLeaveTheTargetAsItWas) {
  Drawing d;
  Contour target;
  target.Segs.push_back(Segment{});
  const std::vector<std::pair<const char*, std::function<Handle<Graphic>()>>> cases = {
      {"pieces 2e-6 apart", [&] {
         Handle<Graphic> g = d.top->Add();
         d.Polyline({{0, 0, 0}, {1, 0, 0}}, false, g->Children());
         d.Polyline({{1, 2e-6, 0}, {2, 0, 0}}, false, g->Children());
         return g;
       }},
      {"arc mark without its end",
       [&] { return d.Polyline({{1, 0, 0}, {0, 0, 1}, {0, 1, 1}}, false); }},
      {"arc mark on the first vertex", [&] { return d.Polyline({{1, 0, 1}, {0, 0, 0}}, false); }},
      {"quarter point at the centre",
       [&] { return d.Polyline({{1, 0, 0}, {0, 0, 1}, {0, 0, 1}, {-1, 0, 0}}, false); }},
      {"a circle in a chain", [&] {
         Handle<Graphic> g = d.top->Add();
         g->Children()->AddCircleCenterPoint(0, 0, 0, 1, 0, 0);
         d.Polyline({{1, 0, 0}, {2, 0, 0}}, false, g->Children());
         return g;
       }},
  };
  for (const auto& [what, make] : cases) {
    EXPECT_THROW(ConvertGraphicToContour(make(), target), GeometryError) << what;
    EXPECT_EQ(target.Count(), 1) << what;
  }
  EXPECT_THROW(ConvertGraphicToContour(nullptr, target), HostError);
  ExactGeometryServices services;  // through the service interface, with its two unused values
  double a = 0.0, b = 0.0;
  services.ConvertGraphic(d.Polyline({{0, 0, 0}, {3, 4, 0}}, false), target, a, b);
  ExpectContour(target, {Line(0, 0, 3, 4)}, "service");
}

}  // namespace
}  // namespace sulkor
