#include "host/preview/preview_scene.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string_view>

#include "host/memory/memory_drawing.h"
#include "sulkor/drawing_unit.h"
#include "sulkor/error.h"

namespace sulkor::host {
namespace {

constexpr std::string_view kPenColorProperty = "PenColor";
constexpr std::string_view kBrushScaleProperty = "BrushScale";
constexpr double kFullTurn = 2.0 * std::numbers::pi;
constexpr double kSameEnd = 1e-9;

double Distance(Point2 a, Point2 b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The signed sweep from start to end around center in the arc's direction, in (0, 2 pi] with
// its sign; ends that meet make a full turn.
double Sweep(Point2 start, Point2 end, Point2 center, int16_t direction) {
  if (Distance(start, end) < kSameEnd) return direction * kFullTurn;
  double a = std::atan2(end.y - center.y, end.x - center.x) -
             std::atan2(start.y - center.y, start.x - center.x);
  if (direction > 0) {
    while (a <= 0.0) a += kFullTurn;
  } else {
    while (a >= 0.0) a -= kFullTurn;
  }
  return a;
}

PreviewPiece ArcPiece(Point2 start, Point2 end, const ArcGeometry& arc) {
  PreviewPiece p;
  p.end = end;
  p.arc = true;
  p.center = arc.center;
  p.radius = arc.radius;
  p.sweep = Sweep(start, end, arc.center, arc.direction);
  return p;
}

class SceneReader {
 public:
  explicit SceneReader(Drawing& drawing) : drawing_(drawing) {}

  PreviewScene Read() {
    // Another unit keeps its own name under the scale bar; a drawing without one is metric.
    const Variant unit = drawing_.Property(kLinearUnitName);
    const std::string text = unit.IsEmpty() ? std::string() : unit.ToText();
    switch (LinearUnitOf(unit)) {
      case LinearUnit::Inch: scene_.unit = kUnitInch; break;
      case LinearUnit::Millimetre: scene_.unit = kUnitMillimetre; break;
      case LinearUnit::Other: scene_.unit = text.empty() ? kUnitMillimetre : text; break;
    }
    Handle<Graphics> top = drawing_.TopGraphics();
    for (int32_t i = 0; i < top->Count(); ++i) Walk(top->Item(i), std::nullopt, "");
    return std::move(scene_);
  }

 private:
  void Walk(const Handle<Graphic>& g, std::optional<int32_t> color, const std::string& role) {
    const Variant pen = g->Property(kPenColorProperty);
    if (!pen.IsEmpty()) color = pen.ToLong();
    std::string name = g->Name();
    if (name.empty()) name = role;
    Handle<Graphics> children = g->Children();
    if (children->Count() > 0) {
      for (int32_t i = 0; i < children->Count(); ++i) Walk(children->Item(i), color, name);
      return;
    }
    PreviewShape shape;
    if (!Leaf(*g, shape)) return;
    shape.penColor = color;
    shape.role = name;
    if (Handle<Brush> brush = g->FillBrush()) {
      shape.brush = brush->Name();
      const Variant scale = g->Property(kBrushScaleProperty);
      if (!scale.IsEmpty()) shape.brushScale = scale.ToDouble();
    }
    Widen(shape);
    scene_.shapes.push_back(std::move(shape));
  }

  // The geometry of a graphic without children; false when it has too few vertices to draw.
  static bool Leaf(Graphic& g, PreviewShape& shape) {
    Handle<Vertices> vertices = g.VertexCollection();
    const int32_t n = vertices->Count();
    std::vector<Point2> v;
    std::vector<bool> mark;
    for (int32_t i = 0; i < n; ++i) {
      Handle<Vertex> vertex = vertices->Item(i);
      const Point2 p{vertex->X(), vertex->Y()};
      if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
        throw HostError("a graphic has a vertex that is not a finite point");
      }
      v.push_back(p);
      mark.push_back(vertex->ArcMark());
    }
    const std::string kind = g.Kind();
    if (kind == kKindArc && n >= 3) {
      // The centre, where kept, tells a quarter arc from its mirror image.
      const ArcGeometry arc = n >= 4 ? ArcFromCenter(v[0], v[2], v[3])
                                     : ArcFromQuarterAndEnd(v[0], v[2], v[1]);
      shape.start = v[0];
      shape.pieces.push_back(ArcPiece(v[0], v[1], arc));
      return true;
    }
    if (kind == kKindCircle && n >= 2) {
      const double r = Distance(v[0], v[1]);
      shape.start = v[1];
      shape.pieces.push_back(PreviewPiece{v[1], true, v[0], r, kFullTurn});
      shape.closed = true;
      return true;
    }
    if (n < 2) return false;
    shape.closed = g.Closed();
    shape.start = v[0];
    if (mark[0]) throw HostError("a polyline starts with an arc-marked vertex");
    // i is the vertex the outline has reached.
    for (int32_t i = 0; i + 1 < n;) {
      const size_t k = static_cast<size_t>(i);
      if (!mark[k + 1]) {
        PreviewPiece line;
        line.end = v[k + 1];
        shape.pieces.push_back(line);
        i += 1;
        continue;
      }
      if (i + 2 >= n || !mark[k + 2] || (i + 3 < n && mark[k + 3])) {
        throw HostError("a polyline vertex is arc-marked out of place");
      }
      if (i + 3 >= n && !shape.closed) throw HostError("a polyline ends inside an arc");
      const Point2 end = i + 3 < n ? v[k + 3] : v[0];
      const int16_t direction = DirectionFromQuarterPoint(v[k], v[k + 2], v[k + 1]);
      const ArcGeometry arc{v[k + 1], Distance(v[k], v[k + 1]), direction};
      shape.pieces.push_back(ArcPiece(v[k], end, arc));
      i += 3;
    }
    return true;
  }

  void Widen(const PreviewShape& shape) {
    if (!any_) {
      scene_.lo = scene_.hi = shape.start;
      any_ = true;
    }
    Point2 from = shape.start;
    auto widen = [&](Point2 p) {
      scene_.lo = {std::fmin(scene_.lo.x, p.x), std::fmin(scene_.lo.y, p.y)};
      scene_.hi = {std::fmax(scene_.hi.x, p.x), std::fmax(scene_.hi.y, p.y)};
    };
    widen(from);
    for (const PreviewPiece& p : shape.pieces) {
      if (p.arc) {
        WidenByArc(from, p.end, {p.center, p.radius, int16_t(p.sweep > 0.0 ? 1 : -1)}, scene_.lo,
                   scene_.hi);
      } else {
        widen(p.end);
      }
      from = p.end;
    }
  }

  Drawing& drawing_;
  PreviewScene scene_;
  bool any_ = false;
};

}  // namespace

PreviewScene CollectPreviewScene(Drawing& drawing) { return SceneReader(drawing).Read(); }

std::vector<Point2> ShapePoints(const PreviewShape& shape, double maxAngle) {
  std::vector<Point2> points{shape.start};
  for (const PreviewPiece& p : shape.pieces) {
    if (p.arc) {
      const Point2 from = points.back();
      const double a0 = std::atan2(from.y - p.center.y, from.x - p.center.x);
      const int steps = std::max(1, static_cast<int>(std::ceil(std::fabs(p.sweep) / maxAngle)));
      for (int k = 1; k < steps; ++k) {
        const double a = a0 + p.sweep * k / steps;
        points.push_back({p.center.x + p.radius * std::cos(a), p.center.y + p.radius * std::sin(a)});
      }
    }
    points.push_back(p.end);
  }
  if (shape.closed && points.size() > 1 && Distance(points.front(), points.back()) < kSameEnd) {
    points.pop_back();
  }
  return points;
}

}  // namespace sulkor::host
