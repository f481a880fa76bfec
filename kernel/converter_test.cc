#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "kernel/contour_services.h"
#include "host/memory/memory_drawing.h"

namespace sulkor {
namespace {

using host::MemoryApplication;

constexpr double kTol = 1e-9;
constexpr double kRoot = std::numbers::sqrt2 / 2.0;
constexpr double kHalfPi = std::numbers::pi / 2.0;

// What a segment must hold, worked out from the drawing by hand.
struct Expected {
  SegmentKind kind;
  double sx, sy, ex, ey;
  double t0, t1;  // tangents, compared modulo a full turn
  double length;
  double cx = 0, cy = 0, radius = 0, mx = 0, my = 0;
  int16_t direction = 1;
  int16_t spanSign = 1;
};

Expected Line(double sx, double sy, double ex, double ey) {
  const double a = std::atan2(ey - sy, ex - sx);
  return {SegmentKind::Line, sx, sy, ex, ey, a, a, std::hypot(ex - sx, ey - sy)};
}

double TurnDifference(double a, double b) {
  double d = std::fmod(a - b, 2.0 * std::numbers::pi);
  if (d < 0) d += 2.0 * std::numbers::pi;
  return std::min(d, 2.0 * std::numbers::pi - d);
}

void ExpectSegment(const Segment& s, const Expected& e, const std::string& what) {
  SCOPED_TRACE(what);
  ASSERT_EQ(s.Kind, e.kind);
  EXPECT_NEAR(s.StartPt.x, e.sx, kTol);
  EXPECT_NEAR(s.StartPt.y, e.sy, kTol);
  EXPECT_NEAR(s.EndPt.x, e.ex, kTol);
  EXPECT_NEAR(s.EndPt.y, e.ey, kTol);
  EXPECT_NEAR(TurnDifference(s.Tangent[0], e.t0), 0.0, 1e-9) << s.Tangent[0];
  EXPECT_NEAR(TurnDifference(s.Tangent[1], e.t1), 0.0, 1e-9) << s.Tangent[1];
  EXPECT_GE(s.Tangent[0], 0.0);
  EXPECT_LE(s.Tangent[0], 2.0 * kPi);
  EXPECT_NEAR(s.Length, e.length, 1e-9);
  if (e.kind == SegmentKind::Line) return;
  EXPECT_NEAR(s.Center.x, e.cx, kTol);
  EXPECT_NEAR(s.Center.y, e.cy, kTol);
  EXPECT_NEAR(s.Radius, e.radius, kTol);
  EXPECT_EQ(s.Direction, e.direction);
  if (e.kind == SegmentKind::Circle) return;
  EXPECT_NEAR(s.MidPt.x, e.mx, kTol);
  EXPECT_NEAR(s.MidPt.y, e.my, kTol);
  EXPECT_EQ(s.SpanSign, e.spanSign);
}

void ExpectContour(const Contour& c, const std::vector<Expected>& expected,
                   const std::string& what) {
  ASSERT_EQ(c.Count(), static_cast<int32_t>(expected.size())) << what;
  for (size_t i = 0; i < expected.size(); ++i) {
    ExpectSegment(c.Segs[i], expected[i], what + ", segment " + std::to_string(i));
  }
  // In order of travel: each segment starts exactly where the one before ends.
  for (int32_t i = 1; i < c.Count(); ++i) {
    EXPECT_EQ(c.Segs[i].StartPt.x, c.Segs[i - 1].EndPt.x) << what << " " << i;
    EXPECT_EQ(c.Segs[i].StartPt.y, c.Segs[i - 1].EndPt.y) << what << " " << i;
  }
}

struct Drawing {
  std::shared_ptr<MemoryApplication> app = MemoryApplication::Create({});
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
};

Contour Convert(const Handle<Graphic>& g) {
  Contour c;
  ConvertGraphicToContour(g, c);
  return c;
}

TEST(ConvertGraphicToContour, PolylineWithCounterclockwiseAndClockwiseArcs) {
  Drawing d;
  // A line; a counterclockwise quarter turn around (4, 1) that ends at its quarter point; a
  // line up; a clockwise three-quarter turn around (6, 3); a line.
  Handle<Graphic> g = d.Polyline({{0, 0, 0},
                                  {4, 0, 0},
                                  {4, 1, 1},
                                  {5, 1, 1},
                                  {5, 1, 0},
                                  {5, 3, 0},
                                  {6, 3, 1},
                                  {6, 4, 1},
                                  {6, 2, 0},
                                  {8, 2, 0}},
                                 false);
  Expected ccw{SegmentKind::Arc, 4, 0, 5, 1, 0.0, kHalfPi, kHalfPi, 4, 1, 1, 4 + kRoot, 1 - kRoot,
               1, 1};
  // SpanSign is the side of the chord on which the mid point lies, taken with the direction:
  // a clockwise arc lies left of its chord whatever its size, so it is 1 here too.
  Expected cw{SegmentKind::Arc, 5, 3, 6, 2, kHalfPi, std::numbers::pi, 3 * kHalfPi, 6, 3, 1,
              6 + kRoot, 3 + kRoot, -1, 1};
  ExpectContour(Convert(g), {Line(0, 0, 4, 0), ccw, Line(5, 1, 5, 3), cw, Line(6, 2, 8, 2)},
                "polyline");
}

TEST(ConvertGraphicToContour, ClosedPolylines) {
  struct Case {
    const char* what;
    double lastX;  // the last vertex: (lastX, 0) after (0, 2)
    bool closed;
    std::vector<Expected> expected;
  } cases[] = {
      {"closed back to the first vertex by a line", 2, true,
       {Line(0, 0, 2, 0), Line(2, 0, 2, 2), Line(2, 2, 0, 2), Line(0, 2, 0, 0)}},
      {"open: no closing line", 2, false,
       {Line(0, 0, 2, 0), Line(2, 0, 2, 2), Line(2, 2, 0, 2)}},
      {"last vertex 5e-7 from the first: ends exactly on it", 5e-7, true,
       {Line(0, 0, 2, 0), Line(2, 0, 2, 2), Line(2, 2, 0, 2), Line(0, 2, 0, 0)}},
      {"last vertex 2e-6 from the first: a short closing line", 2e-6, true,
       {Line(0, 0, 2, 0), Line(2, 0, 2, 2), Line(2, 2, 0, 2), Line(0, 2, 2e-6, 0),
        Line(2e-6, 0, 0, 0)}},
  };
  for (const Case& c : cases) {
    Drawing d;
    std::vector<std::array<double, 3>> v = {{0, 0, 0}, {2, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}};
    if (c.lastX != 2) v.push_back({c.lastX, 0, 0});
    Contour contour = Convert(d.Polyline(v, c.closed));
    ExpectContour(contour, c.expected, c.what);
    if (c.closed && c.lastX < 1e-6) {
      EXPECT_EQ(contour.Last().EndPt.x, 0.0) << c.what;
      EXPECT_EQ(contour.Last().EndPt.y, 0.0) << c.what;
    }
  }

  // A closed polyline whose last arc returns to the start.
  Drawing d;
  Contour disk = Convert(d.Polyline({{-1, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 1}, {-1, 0, 0}},
                                    true));
  ExpectContour(disk,
                {Line(-1, 0, 1, 0), {SegmentKind::Arc, 1, 0, -1, 0, kHalfPi, 3 * kHalfPi,
                                     std::numbers::pi, 0, 0, 1, 0, 1, 1, 1}},
                "half disk");
}

TEST(ConvertGraphicToContour, ConvertedArcsAgreeWithPointInContour) {
  // A closed outline of a clockwise trajectory arc and two lines: the quarter disk of radius 2
  // around the origin in the first quadrant, travelled clockwise.
  Drawing d;
  Handle<Graphic> group = d.top->Add();
  Handle<Graphics> children = group->Children();
  Handle<Graphic> arc =
      children->AddArcThroughPoints(0, 2, 0, std::sqrt(2.0), std::sqrt(2.0), 0, 2, 0, 0);
  Handle<Vertices> v = arc->VertexCollection();
  v->Item(0)->SetX(0);  // clockwise from (0, 2) to (2, 0); a quarter turn on is (2, 0)
  v->Item(0)->SetY(2);
  v->Item(1)->SetX(2);
  v->Item(1)->SetY(0);
  v->Item(2)->SetX(2);
  v->Item(2)->SetY(0);
  d.Polyline({{0, 0, 0}, {0, 2, 0}}, false, children);
  d.Polyline({{0, 0, 0}, {2, 0, 0}}, false, children);
  Contour c = Convert(group);
  ASSERT_EQ(c.Count(), 3);
  EXPECT_EQ(c.First().Direction, -1);
  struct Case {
    double x, y;
    int16_t where;
  } cases[] = {{1.4, 1.4, kInside},   {1.42, 1.42, kOutside},
               {0, 2, kOnOutline},    {1.9, 0.1, kInside},
               {0.5, -0.1, kOutside}, {std::sqrt(2.0), std::sqrt(2.0), kOnOutline}};
  for (const Case& k : cases) {
    EXPECT_EQ(LocatePoint(c, k.x, k.y), k.where) << k.x << ", " << k.y;
  }
}

TEST(ConvertGraphicToContour, GroupOfShuffledReversedPieces) {
  // The profile: A line (0,0)-(1,0), B counterclockwise quarter arc (1,0)-(2,1) around (1,1),
  // C line (2,1)-(2,3). The group holds them in any order, each either way round.
  const Expected forward[] = {
      Line(0, 0, 1, 0),
      {SegmentKind::Arc, 1, 0, 2, 1, 0.0, kHalfPi, kHalfPi, 1, 1, 1, 1 + kRoot, 1 - kRoot, 1, 1},
      Line(2, 1, 2, 3)};
  const Expected backward[] = {
      Line(2, 3, 2, 1),
      {SegmentKind::Arc, 2, 1, 1, 0, 3 * kHalfPi, std::numbers::pi, kHalfPi, 1, 1, 1, 1 + kRoot,
       1 - kRoot, -1, 1},
      Line(1, 0, 0, 0)};
  struct Case {
    std::array<int, 3> order;     // pieces 0 = A, 1 = B, 2 = C in the group's order
    std::array<bool, 3> reverse;  // per piece
  } cases[] = {
      {{0, 1, 2}, {false, false, false}}, {{2, 0, 1}, {true, false, true}},
      {{1, 2, 0}, {false, true, true}},   {{2, 1, 0}, {false, false, false}},
      {{1, 0, 2}, {true, true, false}},   {{0, 2, 1}, {true, true, true}},
  };
  for (const Case& c : cases) {
    Drawing d;
    Handle<Graphic> group = d.top->Add();
    Handle<Graphics> children = group->Children();
    children->Add(kKindData)->SetName("DATA");  // holds no profile: passed over
    for (int k = 0; k < 3; ++k) {
      const int piece = c.order[k];
      const bool rev = c.reverse[piece];
      if (piece == 0) d.Polyline(rev ? std::vector<std::array<double, 3>>{{1, 0, 0}, {0, 0, 0}}
                                     : std::vector<std::array<double, 3>>{{0, 0, 0}, {1, 0, 0}},
                                 false, children);
      if (piece == 1) {
        Handle<Graphic> arc = children->AddArcThroughPoints(1, 0, 0, 1 + kRoot, 1 - kRoot, 0, 2,
                                                            1, 0);
        if (rev) {  // rewritten clockwise from (2, 1), as a trajectory arc is
          Handle<Vertices> v = arc->VertexCollection();
          v->Item(0)->SetX(2);
          v->Item(0)->SetY(1);
          v->Item(1)->SetX(1);
          v->Item(1)->SetY(0);
          v->Item(2)->SetX(1);  // a quarter turn clockwise from (2, 1): (1, 0), the end
          v->Item(2)->SetY(0);
        }
      }
      if (piece == 2) {
        Handle<Graphic> line = children->Add();  // a plain graphic of two vertices
        line->VertexCollection()->Add(2, rev ? 3 : 1, 0);
        line->VertexCollection()->Add(2, rev ? 1 : 3, 0);
      }
    }
    const bool firstForward = !c.reverse[c.order[0]];
    std::vector<Expected> expected(firstForward ? std::begin(forward) : std::begin(backward),
                                   firstForward ? std::end(forward) : std::end(backward));
    std::string what = "order " + std::to_string(c.order[0]) + std::to_string(c.order[1]) +
                       std::to_string(c.order[2]);
    ExpectContour(Convert(group), expected, what);
  }
}

TEST(ConvertGraphicToContour, ClosedAndNestedGroups) {
  Drawing d;
  Handle<Graphic> square = d.top->Add();
  Handle<Graphics> outer = square->Children();
  // (0,0)-(2,0) and (2,0)-(2,2) in a nested group; (0,2)-(0,0) reversed; (2,2)-(0,2) with a gap
  // of 4e-7 at its start.
  Handle<Graphic> nested = outer->Add();
  d.Polyline({{0, 0, 0}, {2, 0, 0}, {2, 2, 0}}, false, nested->Children());
  d.Polyline({{0, 0, 0}, {0, 2, 0}}, false, outer);
  d.Polyline({{2, 2 + 4e-7, 0}, {0, 2, 0}}, false, outer);
  Contour c = Convert(square);
  ExpectContour(c, {Line(0, 0, 2, 0), Line(2, 0, 2, 2), Line(2, 2, 0, 2), Line(0, 2, 0, 0)},
                "square");
  EXPECT_EQ(c.Last().EndPt.x, c.First().StartPt.x);
  EXPECT_EQ(c.Last().EndPt.y, c.First().StartPt.y);
}

TEST(ConvertGraphicToContour, CirclesArcsAndEmptyGraphics) {
  Drawing d;
  Expected circle{SegmentKind::Circle, 4, 2, 4, 2, kHalfPi, kHalfPi, 6 * std::numbers::pi, 1, 2,
                  3};
  ExpectContour(Convert(d.top->AddCircleCenterPoint(1, 2, 0, 4, 2, 0)), {circle}, "circle");
  ExpectContour(Convert(d.top->AddCircleCenterPoint(1, 2, 0, 1, 5, 0)), {circle},
                "circle through a point above the centre");

  // Three points running clockwise: the arc graphic holds them counterclockwise.
  ExpectContour(Convert(d.top->AddArcThroughPoints(-1, 0, 0, 0, 1, 0, 1, 0, 0)),
                {{SegmentKind::Arc, 1, 0, -1, 0, kHalfPi, 3 * kHalfPi, std::numbers::pi, 0, 0, 1,
                  0, 1, 1, 1}},
                "arc through three points");

  // An arc of three vertices (no centre): a clockwise half turn under the axis.
  Handle<Graphic> arc = d.top->Add(kKindArc);
  arc->VertexCollection()->Add(1, 0, 0);
  arc->VertexCollection()->Add(-1, 0, 0);
  arc->VertexCollection()->Add(0, -1, 0);
  ExpectContour(Convert(arc),
                {{SegmentKind::Arc, 1, 0, -1, 0, 3 * kHalfPi, kHalfPi, std::numbers::pi, 0, 0, 1,
                  0, -1, -1, 1}},
                "arc of three vertices");

  EXPECT_EQ(Convert(d.top->Add()).Count(), 0);
  EXPECT_EQ(Convert(d.top->Add(kKindPolyline)).Count(), 0);
}

TEST(ConvertGraphicToContour, Failures) {
  Drawing d;
  Contour target;
  target.Segs.push_back(Segment{});
  struct Case {
    const char* what;
    std::function<Handle<Graphic>()> make;
  } cases[] = {
      {"pieces that do not meet",
       [&] {
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
      {"a circle in a chain",
       [&] {
         Handle<Graphic> g = d.top->Add();
         g->Children()->AddCircleCenterPoint(0, 0, 0, 1, 0, 0);
         d.Polyline({{1, 0, 0}, {2, 0, 0}}, false, g->Children());
         return g;
       }},
  };
  for (const Case& c : cases) {
    EXPECT_THROW(ConvertGraphicToContour(c.make(), target), GeometryError) << c.what;
    EXPECT_EQ(target.Count(), 1) << c.what;  // left as it was
  }
  EXPECT_THROW(ConvertGraphicToContour(nullptr, target), HostError);

  // Through the service interface, with its two unused Doubles.
  ExactGeometryServices services;
  double a = 0.0;
  double b = 0.0;
  services.ConvertGraphic(d.Polyline({{0, 0, 0}, {3, 4, 0}}, false), target, a, b);
  ExpectContour(target, {Line(0, 0, 3, 4)}, "service");
}

}  // namespace
}  // namespace sulkor
