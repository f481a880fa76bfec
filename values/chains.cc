#include "values/chains.h"

#include <cmath>

#include <fmt/format.h>

#include "contour/segment_build.h"

namespace sulkor::values {
namespace {

constexpr double kJoinGap = 1e-6;

bool Finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

bool Near(Point a, Point b) {
  return std::fabs(a.x - b.x) <= kJoinGap && std::fabs(a.y - b.y) <= kJoinGap;
}

Point ToPoint(const Point3& p) { return {p.x, p.y}; }

}  // namespace

Contour ToContour(const Chain& chain) {
  std::vector<Segment> segments;
  segments.reserve(chain.size());
  for (const Element& e : chain) {
    if (e.kind == ElementKind::Arc) {
      segments.push_back(MakeArc(e.start.x, e.start.y, e.end.x, e.end.y, e.center.x, e.center.y,
                                 static_cast<int16_t>(e.direction)));
    } else {
      segments.push_back(MakeLine(e.start.x, e.start.y, e.end.x, e.end.y));
    }
  }
  return MakeContour(std::move(segments));
}

Element ToElement(const Segment& s) {
  if (s.IsArc()) {
    return Element::Arc(ToPoint(s.StartPt), ToPoint(s.EndPt), ToPoint(s.Center), s.Direction);
  }
  return Element::Line(ToPoint(s.StartPt), ToPoint(s.EndPt));
}

Chain ToChain(const Contour& contour) {
  Chain chain;
  for (const Segment& s : contour.Segs) {
    if (s.IsLine() || s.IsArc()) {
      chain.push_back(ToElement(s));
    } else if (s.IsCircle()) {
      const Point c = ToPoint(s.Center);
      const Point right{c.x + s.Radius, c.y};
      const Point left{c.x - s.Radius, c.y};
      chain.push_back(Element::Arc(right, left, c, 1));
      chain.push_back(Element::Arc(left, right, c, 1));
    }
  }
  return chain;
}

std::optional<std::string> ChainProblem(const Chain& chain, std::string_view role, bool closed) {
  if (chain.empty()) return fmt::format("the {} has no elements", role);
  for (size_t i = 0; i < chain.size(); ++i) {
    const Element& e = chain[i];
    if (!Finite(e.start) || !Finite(e.end) || (e.kind == ElementKind::Arc && !Finite(e.center))) {
      return fmt::format("element {} of the {} has a coordinate that is not a finite number", i + 1,
                         role);
    }
    if (e.kind == ElementKind::Arc &&
        (Near(e.start, e.center) || (e.direction != 1 && e.direction != -1))) {
      return fmt::format("arc {} of the {} needs a radius and a direction of 1 or -1", i + 1,
                         role);
    }
    if (i > 0 && !Near(chain[i - 1].end, e.start)) {
      return fmt::format(
          "element {} of the {} starts at ({}, {}), not where element {} ends ({}, {})",
          i + 1, role, e.start.x, e.start.y, i, chain[i - 1].end.x, chain[i - 1].end.y);
    }
  }
  const bool closes = Near(chain.back().end, chain.front().start);
  if (closed && !closes) return fmt::format("the {} is not closed", role);
  if (!closed && closes) return fmt::format("the {} must be an open chain, not a closed one", role);
  return std::nullopt;
}

}  // namespace sulkor::values

namespace sulkor {

Chain Polyline(const std::vector<Point>& points) {
  Chain chain;
  for (size_t i = 1; i < points.size(); ++i) {
    chain.push_back(Element::Line(points[i - 1], points[i]));
  }
  return chain;
}

}  // namespace sulkor
