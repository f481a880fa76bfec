// How a drawing is read for a picture: the geometry of each kind of graphic with its sweep and
// box, and the polylines that cannot be read. Names, colours and brushes handed down groups
// show in the pictures' pixels (preview_test.cc).
#include "host/preview/preview_scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "host/memory/memory_drawing.h"

namespace sulkor::host {
namespace {

constexpr double kPi = 3.14159265358979323846;

// A third number marks an arc vertex.
Handle<Graphic> Polyline(Graphics& top, const std::vector<std::vector<double>>& points,
                         bool closed = false) {
  Handle<Graphic> g = top.Add(kKindPolyline);
  for (const auto& p : points) g->VertexCollection()->Add(p[0], p[1], 0.0)->SetArcMark(p.size() > 2);
  g->SetClosed(closed);
  return g;
}

TEST(PreviewScene, EachKindOfGraphic) {
  const struct {
    const char* what;
    std::function<void(Graphics&)> add;
    Point2 start;
    std::vector<double> sweeps;  // one per piece, 0 for a line
    bool closed;
    Point2 lo, hi, lastEnd;
  } cases[] = {
      {"line", [](Graphics& t) { Polyline(t, {{1, 2}, {4, -1}}); }, {1, 2}, {0}, false, {1, -1}, {4, 2}, {4, -1}},
      {"ccw arc", [](Graphics& t) { t.AddArcThroughPoints(1, 0, 0, 0, 1, 0, -1, 0, 0); }, {1, 0},
       {kPi}, false, {-1, 0}, {1, 1}, {-1, 0}},
      {"cw arc, in its order of travel",
       [](Graphics& t) {
         Handle<Vertices> v = t.AddArcThroughPoints(-1, 0, 0, 0, 1, 0, 1, 0, 0)->VertexCollection();
         v->Item(0)->SetX(-1);
         v->Item(1)->SetX(1);
         v->Item(2)->SetX(0);
         v->Item(2)->SetY(1);
       },
       {-1, 0}, {-kPi}, false, {-1, 0}, {1, 1}, {1, 0}},
      {"circle", [](Graphics& t) { t.AddCircleCenterPoint(2, 3, 0, 4, 3, 0); }, {4, 3}, {2 * kPi}, true,
       {0, 1}, {4, 5}, {4, 3}},
      {"closed stadium ending in an arc",
       [](Graphics& t) { Polyline(t, {{1, 0}, {3, 0}, {3, 1, 1}, {4, 1, 1}, {3, 2}, {1, 2}, {1, 1, 1}, {0, 1, 1}}, true); },
       {1, 0}, {0, kPi, 0, kPi}, true, {0, 0}, {4, 2}, {1, 0}},
      {"open polyline, cw arc in the middle",
       [](Graphics& t) { Polyline(t, {{0, 0}, {0, 2}, {1, 2, 1}, {1, 3, 1}, {2, 2}, {2, 0}}); },
       {0, 0}, {0, -kPi, 0}, false, {0, 0}, {2, 3}, {2, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto app = MemoryApplication::Create({});
    c.add(*app->Active()->TopGraphics());
    const PreviewScene scene = CollectPreviewScene(*app->Active());
    ASSERT_EQ(scene.shapes.size(), 1u);
    const PreviewShape& s = scene.shapes[0];
    EXPECT_NEAR(std::hypot(s.start.x - c.start.x, s.start.y - c.start.y), 0, 1e-12);
    ASSERT_EQ(s.pieces.size(), c.sweeps.size());
    for (size_t i = 0; i < c.sweeps.size(); ++i) {
      EXPECT_EQ(s.pieces[i].arc, c.sweeps[i] != 0.0) << i;
      EXPECT_NEAR(s.pieces[i].sweep, c.sweeps[i], 1e-12) << i;
    }
    EXPECT_NEAR(std::hypot(s.pieces.back().end.x - c.lastEnd.x, s.pieces.back().end.y - c.lastEnd.y), 0, 1e-12);
    EXPECT_EQ(s.closed, c.closed);
    EXPECT_NEAR(std::hypot(scene.lo.x - c.lo.x, scene.lo.y - c.lo.y), 0, 1e-12);
    EXPECT_NEAR(std::hypot(scene.hi.x - c.hi.x, scene.hi.y - c.hi.y), 0, 1e-12);
    // The outline's points lie in the box, and a closed one does not repeat its start.
    const std::vector<Point2> points = ShapePoints(s, kPi / 8.0);
    for (const Point2& p : points) {
      EXPECT_TRUE(p.x > c.lo.x - 1e-9 && p.x < c.hi.x + 1e-9 && p.y > c.lo.y - 1e-9 && p.y < c.hi.y + 1e-9);
    }
    if (c.closed) {
      EXPECT_GT(std::hypot(points.back().x - points.front().x, points.back().y - points.front().y), 1e-6);
    }
  }
}

TEST(PreviewScene, PolylinesThatDoNotDescribeTheirArcsAreRefused) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    std::vector<std::vector<double>> points;
    const char* message;
  } cases[] = {
      {{{0, 0, 1}, {1, 0}}, "a polyline starts with an arc-marked vertex"},
      {{{0, 0}, {1, 0, 1}, {2, 0}}, "a polyline vertex is arc-marked out of place"},
      {{{0, 0}, {1, 0, 1}, {1, 1, 1}, {2, 0, 1}, {2, 0}}, "a polyline vertex is arc-marked out of place"},
      {{{0, 0}, {1, 0, 1}, {1, 1, 1}}, "a polyline ends inside an arc"},
      {{{0, 0}, {nan, 1}}, "a graphic has a vertex that is not a finite point"},
  };
  for (const auto& c : cases) {
    auto app = MemoryApplication::Create({});
    Polyline(*app->Active()->TopGraphics(), c.points);
    try {
      CollectPreviewScene(*app->Active());
      ADD_FAILURE() << c.message;
    } catch (const HostError& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  // A quarter point on the line through the start and the centre fixes no direction.
  auto app = MemoryApplication::Create({});
  Polyline(*app->Active()->TopGraphics(), {{0, 0}, {1, 0, 1}, {2, 0, 1}, {2, 0}});
  EXPECT_THROW(CollectPreviewScene(*app->Active()), GeometryError);
}

}  // namespace
}  // namespace sulkor::host
