// The contour converter: a drawing graphic to a contour in order of travel.
//
// What a graphic is, read through the Graphic interface alone (the drawing keeps geometry in
// vertices as host/memory/memory_graphic.h describes):
//   kind "Circle"   one "Circle" segment: vertex 0 the centre, vertex 1 a point on the circle;
//   kind "Arc"      one arc: vertices start, end, quarter point and, when present, the centre;
//   with children   a group: every child is converted and the pieces are chained end to end
//                   (within 1e-6) in order of travel, whatever their order in the collection
//                   and their direction; the first child keeps its direction and the chain
//                   grows from its end first, then from its start. Children of the kinds "DATA" and
//                   "QVL60ACISSOLID" hold no profile and are passed over;
//   otherwise       a polyline (a line is one of two vertices): lines between ordinary
//                   vertices, an arc for each centre and quarter point marked after its start;
//                   the closed mark closes it back to its first vertex.
// The contour lies in the drawing plane: only X and Y of the vertices are read, and the
// segments' third coordinates stay 0. Lines shorter than 1e-6 are dropped. Where pieces meet within 1e-6 the later one is made to
// start exactly where the earlier ends. A group whose pieces do not form one chain, an arc
// whose vertices do not make one and a circle without radius are GeometryErrors.
#include <cmath>
#include <vector>

#include "contour/contour_area.h"
#include "contour/segment_build.h"
#include "contour/tolerances.h"
#include "kernel/arc_vertices.h"
#include "kernel/contour_services.h"

namespace sulkor {
namespace {

using host::ArcGeometry;
using host::Point2;

using Piece = std::vector<Segment>;

Point2 VertexAt(Vertices& vertices, int32_t index) {
  Handle<Vertex> v = vertices.Item(index);
  return {v->X(), v->Y()};
}

bool Near(const Point3& a, const Point3& b) {
  return std::fabs(a.x - b.x) < kEps && std::fabs(a.y - b.y) < kEps;
}

bool Near(Point2 a, Point2 b) { return std::fabs(a.x - b.x) < kEps && std::fabs(a.y - b.y) < kEps; }

Segment ArcSegment(Point2 start, Point2 end, const ArcGeometry& arc) {
  return MakeArc(start.x, start.y, end.x, end.y, arc.center.x, arc.center.y, arc.direction);
}

// The same segment with its start moved to p (an arc keeps its centre).
Segment WithStart(const Segment& s, const Point3& p) {
  if (s.IsLine()) return MakeLine(p.x, p.y, s.EndPt.x, s.EndPt.y);
  if (s.IsArc()) return MakeArc(p.x, p.y, s.EndPt.x, s.EndPt.y, s.Center.x, s.Center.y,
                                s.Direction);
  return s;
}

// The same segment with its end moved to p.
Segment WithEnd(const Segment& s, const Point3& p) {
  if (s.IsLine()) return MakeLine(s.StartPt.x, s.StartPt.y, p.x, p.y);
  if (s.IsArc()) return MakeArc(s.StartPt.x, s.StartPt.y, p.x, p.y, s.Center.x, s.Center.y,
                                s.Direction);
  return s;
}

Segment Reversed(const Segment& s) {
  if (s.IsLine()) return MakeLine(s.EndPt.x, s.EndPt.y, s.StartPt.x, s.StartPt.y);
  if (s.IsArc()) {
    return MakeArc(s.EndPt.x, s.EndPt.y, s.StartPt.x, s.StartPt.y, s.Center.x, s.Center.y,
                   static_cast<int16_t>(-s.Direction));
  }
  return s;
}

Piece Reversed(const Piece& piece) {
  Piece out;
  out.reserve(piece.size());
  for (auto it = piece.rbegin(); it != piece.rend(); ++it) out.push_back(Reversed(*it));
  return out;
}

Piece ConvertPolyline(Graphic& graphic) {
  Handle<Vertices> vertices = graphic.VertexCollection();
  const int32_t n = vertices->Count();
  Piece piece;
  if (n == 0) return piece;
  if (vertices->Item(0)->ArcMark()) throw GeometryError("a polyline cannot start with an arc mark");
  const Point2 first = VertexAt(*vertices, 0);
  Point2 current = first;
  auto addLine = [&](Point2 to) {
    if (std::hypot(to.x - current.x, to.y - current.y) >= kEps) {
      piece.push_back(MakeLine(current.x, current.y, to.x, to.y));
    }
    current = to;
  };
  for (int32_t i = 1; i < n;) {
    if (!vertices->Item(i)->ArcMark()) {
      addLine(VertexAt(*vertices, i));
      ++i;
      continue;
    }
    if (i + 2 >= n || !vertices->Item(i + 1)->ArcMark() || vertices->Item(i + 2)->ArcMark()) {
      throw GeometryError("a polyline arc needs its centre, its quarter point and its end");
    }
    const Point2 end = VertexAt(*vertices, i + 2);
    const ArcGeometry arc =
        host::ArcFromCenter(current, VertexAt(*vertices, i + 1), VertexAt(*vertices, i));
    piece.push_back(ArcSegment(current, end, arc));
    current = end;
    i += 3;
  }
  if (graphic.Closed() && !piece.empty()) {
    if (Near(current, first)) {
      Point3 start{first.x, first.y, 0.0};
      piece.back() = WithEnd(piece.back(), start);
    } else {
      addLine(first);
    }
  }
  return piece;
}

Piece ConvertArc(Graphic& graphic) {
  Handle<Vertices> vertices = graphic.VertexCollection();
  if (vertices->Count() < 3) throw GeometryError("an arc graphic needs three vertices");
  const Point2 start = VertexAt(*vertices, 0);
  const Point2 end = VertexAt(*vertices, 1);
  const Point2 quarter = VertexAt(*vertices, 2);
  ArcGeometry arc;
  if (vertices->Count() >= 4) {
    // The centre decides, unless the vertices were rewritten for another circle.
    const Point2 center = VertexAt(*vertices, 3);
    const double r = std::hypot(start.x - center.x, start.y - center.y);
    const bool onCircle =
        std::fabs(std::hypot(end.x - center.x, end.y - center.y) - r) < kEps &&
        std::fabs(std::hypot(quarter.x - center.x, quarter.y - center.y) - r) < kEps;
    arc = onCircle ? host::ArcFromCenter(start, quarter, center)
                   : host::ArcFromQuarterAndEnd(start, quarter, end);
  } else {
    arc = host::ArcFromQuarterAndEnd(start, quarter, end);
  }
  return {ArcSegment(start, end, arc)};
}

Piece ConvertCircle(Graphic& graphic) {
  Handle<Vertices> vertices = graphic.VertexCollection();
  if (vertices->Count() < 2) throw GeometryError("a circle graphic needs its centre and a point");
  const Point2 center = VertexAt(*vertices, 0);
  const Point2 point = VertexAt(*vertices, 1);
  const double radius = std::hypot(point.x - center.x, point.y - center.y);
  if (radius < kEps) throw GeometryError("a circle without radius");
  return {MakeCircle(center.x, center.y, radius)};
}

Piece ConvertAny(Graphic& graphic);

// Chains the pieces of a group end to end. The first piece keeps its direction; the others are
// appended at the chain's end, reversed where needed, the earliest piece that fits first; only
// when none fits there is one put before the chain's start. A closed chain thus starts where
// the first piece starts.
Piece ChainPieces(std::vector<Piece> pieces) {
  std::erase_if(pieces, [](const Piece& p) { return p.empty(); });
  if (pieces.empty()) return {};
  if (pieces.size() == 1) return pieces.front();
  for (const Piece& p : pieces) {
    if (p.front().IsCircle()) throw GeometryError("a circle cannot be chained with other pieces");
  }
  Piece chain = pieces.front();
  std::vector<bool> used(pieces.size(), false);
  used[0] = true;
  size_t left = pieces.size() - 1;
  auto append = [&](Piece piece) {
    piece.front() = WithStart(piece.front(), chain.back().EndPt);
    chain.insert(chain.end(), piece.begin(), piece.end());
  };
  auto prepend = [&](Piece piece) {
    piece.back() = WithEnd(piece.back(), chain.front().StartPt);
    chain.insert(chain.begin(), piece.begin(), piece.end());
  };
  // Whether piece i fits at the chain's end (atEnd) or before its start, and appends it.
  auto tryPiece = [&](size_t i, bool atEnd) {
    const Piece& p = pieces[i];
    if (atEnd) {
      const Point3 end = chain.back().EndPt;
      if (Near(p.front().StartPt, end)) {
        append(p);
      } else if (Near(p.back().EndPt, end)) {
        append(Reversed(p));
      } else {
        return false;
      }
    } else {
      const Point3 start = chain.front().StartPt;
      if (Near(p.back().EndPt, start)) {
        prepend(p);
      } else if (Near(p.front().StartPt, start)) {
        prepend(Reversed(p));
      } else {
        return false;
      }
    }
    used[i] = true;
    --left;
    return true;
  };
  while (left > 0) {
    bool grew = false;
    for (bool atEnd : {true, false}) {
      for (size_t i = 1; i < pieces.size() && !grew; ++i) {
        if (!used[i]) grew = tryPiece(i, atEnd);
      }
      if (grew) break;
    }
    if (!grew) throw GeometryError("the pieces of a group do not form one chain");
  }
  // A chain that returns to its start is closed exactly.
  if (Near(chain.back().EndPt, chain.front().StartPt)) {
    chain.back() = WithEnd(chain.back(), chain.front().StartPt);
  }
  return chain;
}

Piece ConvertGroup(Graphic& graphic) {
  Handle<Graphics> children = graphic.Children();
  std::vector<Piece> pieces;
  const int32_t n = children->Count();
  for (int32_t i = 0; i < n; ++i) {
    Handle<Graphic> child = children->Item(i);
    const std::string kind = child->Kind();
    if (kind == kKindData || kind == kKindSolid) continue;
    pieces.push_back(ConvertAny(*child));
  }
  return ChainPieces(std::move(pieces));
}

Piece ConvertAny(Graphic& graphic) {
  const std::string kind = graphic.Kind();
  if (kind == kKindCircle) return ConvertCircle(graphic);
  if (kind == kKindArc) return ConvertArc(graphic);
  Handle<Graphics> children = graphic.Children();
  if (children && children->Count() > 0) return ConvertGroup(graphic);
  return ConvertPolyline(graphic);
}

}  // namespace

void ConvertGraphicToContour(const Handle<Graphic>& graphic, Contour& target) {
  Piece piece = ConvertAny(graphic.Get());
  target = MakeContour(std::move(piece));
}

double EnclosedArea(const Handle<Graphic>& graphic) {
  Contour contour;
  ConvertGraphicToContour(graphic, contour);
  return std::fabs(SignedArea(contour));
}

}  // namespace sulkor
