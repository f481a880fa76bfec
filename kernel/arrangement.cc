#include "kernel/arrangement.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

#include "kernel/ray_parity.h"

namespace sulkor::host {

namespace {

struct Cut {
  double T;
  double X;
  double Y;
};

int FindRoot(std::vector<int>& parent, int i) {
  while (parent[static_cast<size_t>(i)] != i) {
    int& p = parent[static_cast<size_t>(i)];
    p = parent[static_cast<size_t>(p)];
    i = p;
  }
  return i;
}

// Turning angle from direction (ax, ay) to (bx, by), in (-pi, pi].
double Turn(double ax, double ay, double bx, double by) {
  return std::atan2(ax * by - ay * bx, ax * bx + ay * by);
}

bool Joinable(const Curve& a, const Curve& b) {
  if (a.Source < 0 || a.Source != b.Source || a.Arc != b.Arc) return false;
  return !a.Arc || (a.Sweep > 0.0) == (b.Sweep > 0.0);
}

void Join(Curve& a, const Curve& b) {
  if (a.Arc) a.Sweep += b.Sweep;
  a.X1 = b.X1;
  a.Y1 = b.Y1;
}

std::vector<Curve> JoinRuns(std::vector<Curve> curves, bool closed) {
  std::vector<Curve> out;
  for (const Curve& c : curves) {
    if (!out.empty() && Joinable(out.back(), c)) {
      Join(out.back(), c);
    } else {
      out.push_back(c);
    }
  }
  if (closed && out.size() > 1 && Joinable(out.back(), out.front())) {
    Join(out.back(), out.front());
    out.front() = out.back();
    out.pop_back();
  }
  return out;
}

}  // namespace

namespace {

std::vector<Shape> ShapesOf(const std::vector<Curve>& curves) {
  std::vector<Shape> shapes;
  shapes.reserve(curves.size());
  for (const Curve& c : curves) shapes.push_back(ShapeOfCurve(c));
  return shapes;
}

std::vector<Box> BoxesOf(const std::vector<Shape>& shapes) {
  std::vector<Box> boxes;
  boxes.reserve(shapes.size());
  for (const Shape& s : shapes) boxes.push_back(Grown(ShapeBox(s), kNodeTol));
  return boxes;
}

// Whether an offset between two points is below the node tolerance.
bool Near(double dx, double dy) { return dx * dx + dy * dy < kNodeTol * kNodeTol; }

// The parameter of a point at distance `along` from the start of a shape.
double ParamAt(const Shape& s, double along) {
  const double len = s.Length();
  return len > 0.0 ? std::clamp(along / len, 0.0, 1.0) : 0.0;
}

}  // namespace

CurveSet::CurveSet(std::vector<Curve> curves)
    : Curves(std::move(curves)), Shapes(ShapesOf(Curves)), Index(BoxesOf(Shapes)) {
  for (int32_t i = 0; i < Index.Size(); ++i) Bounds.Add(Index.BoxAt(i));
}

Arrangement BuildArrangement(const std::vector<Curve>& curves, const std::vector<int>& groups,
                             bool withinGroups) {
  return BuildArrangement(curves, ShapesOf(curves), groups, withinGroups);
}

Arrangement BuildArrangement(const std::vector<Curve>& curves, const std::vector<Shape>& shapes,
                             const std::vector<int>& groups, bool withinGroups) {
  const size_t n = curves.size();
  struct CurveCut {
    size_t curve;
    Cut cut;
  };
  std::vector<CurveCut> cuts;
  cuts.reserve(2 * n);
  const std::vector<Box> boxes = BoxesOf(shapes);
  // The pairs whose boxes meet, found by sweeping the boxes in the order of their left edges:
  // every box meets only those that start before its right edge. Along a turned profile that
  // is a handful of neighbours for each curve.
  std::vector<size_t> byLeft(n);
  std::iota(byLeft.begin(), byLeft.end(), size_t{0});
  std::sort(byLeft.begin(), byLeft.end(),
            [&](size_t a, size_t b) { return boxes[a].MinX < boxes[b].MinX; });
  ShapeHits hits;
  for (size_t k = 0; k < n; ++k) {
    const Box& box = boxes[byLeft[k]];
    for (size_t l = k + 1; l < n && boxes[byLeft[l]].MinX <= box.MaxX; ++l) {
      const Box& other = boxes[byLeft[l]];
      if (other.MaxY < box.MinY || other.MinY > box.MaxY) continue;
      const size_t i = std::min(byLeft[k], byLeft[l]);
      const size_t j = std::max(byLeft[k], byLeft[l]);
      if (!withinGroups && groups[i] == groups[j]) continue;
      IntersectShapes(shapes[i], shapes[j], hits);
      for (const SegmentHit& h : hits) {
        cuts.push_back({i, {ParamAt(shapes[i], h.Along1), h.X, h.Y}});
        cuts.push_back({j, {ParamAt(shapes[j], h.Along2), h.X, h.Y}});
      }
    }
  }
  std::sort(cuts.begin(), cuts.end(), [](const CurveCut& a, const CurveCut& b) {
    return a.curve != b.curve ? a.curve < b.curve : a.cut.T < b.cut.T;
  });

  Arrangement arr;
  arr.Pieces.reserve(n + cuts.size());
  std::vector<double> ex, ey;  // piece ends, two per piece
  ex.reserve(2 * (n + cuts.size()));
  ey.reserve(2 * (n + cuts.size()));
  std::vector<Cut> stops;
  size_t next = 0;
  for (size_t i = 0; i < n; ++i) {
    const Curve& c = curves[i];
    stops.assign(1, Cut{0.0, c.X0, c.Y0});
    for (; next < cuts.size() && cuts[next].curve == i; ++next) {
      const Cut& k = cuts[next].cut;
      const Cut& last = stops.back();
      if (Near(k.X - last.X, k.Y - last.Y)) continue;
      if (Near(k.X - c.X1, k.Y - c.Y1) && k.T > 0.5) continue;
      if (k.T <= last.T) continue;
      stops.push_back(k);
    }
    stops.push_back({1.0, c.X1, c.Y1});
    for (size_t k = 0; k + 1 < stops.size(); ++k) {
      const Cut& a = stops[k];
      const Cut& b = stops[k + 1];
      Piece p;
      p.C = SubCurve(c, a.T, b.T, a.X, a.Y, b.X, b.Y);
      p.C.Source = static_cast<int>(i);
      if (CurveLength(p.C) < kNodeTol) continue;
      arr.Pieces.push_back(p);
      ex.push_back(a.X);
      ey.push_back(a.Y);
      ex.push_back(b.X);
      ey.push_back(b.Y);
    }
  }

  // Gather the ends into nodes: ends closer than the tolerance in x and y are one node.
  const size_t m = ex.size();
  std::vector<int> order(m), parent(m);
  std::iota(order.begin(), order.end(), 0);
  std::iota(parent.begin(), parent.end(), 0);
  std::sort(order.begin(), order.end(), [&](int a, int b) {
    return ex[static_cast<size_t>(a)] < ex[static_cast<size_t>(b)];
  });
  for (size_t k = 0; k < m; ++k) {
    const size_t a = static_cast<size_t>(order[k]);
    for (size_t l = k + 1; l < m; ++l) {
      const size_t b = static_cast<size_t>(order[l]);
      if (ex[b] - ex[a] >= kNodeTol) break;
      if (std::fabs(ey[b] - ey[a]) < kNodeTol) {
        const int ra = FindRoot(parent, static_cast<int>(a));
        const int rb = FindRoot(parent, static_cast<int>(b));
        if (ra != rb) parent[static_cast<size_t>(std::max(ra, rb))] = std::min(ra, rb);
      }
    }
  }
  std::vector<int> nodeOf(m, -1);
  for (size_t k = 0; k < m; ++k) {
    const size_t r = static_cast<size_t>(FindRoot(parent, static_cast<int>(k)));
    if (nodeOf[r] < 0) {
      nodeOf[r] = static_cast<int>(arr.NodeX.size());
      arr.NodeX.push_back(ex[r]);
      arr.NodeY.push_back(ey[r]);
    }
    nodeOf[k] = nodeOf[r];
  }
  size_t kept = 0;
  for (size_t p = 0; p < arr.Pieces.size(); ++p) {
    Piece& piece = arr.Pieces[p];
    piece.From = nodeOf[2 * p];
    piece.To = nodeOf[2 * p + 1];
    piece.C.X0 = arr.NodeX[static_cast<size_t>(piece.From)];
    piece.C.Y0 = arr.NodeY[static_cast<size_t>(piece.From)];
    piece.C.X1 = arr.NodeX[static_cast<size_t>(piece.To)];
    piece.C.Y1 = arr.NodeY[static_cast<size_t>(piece.To)];
    if (piece.From == piece.To && CurveLength(piece.C) < 10.0 * kNodeTol) continue;
    if (kept != p) arr.Pieces[kept] = piece;
    ++kept;
  }
  arr.Pieces.resize(kept);
  return arr;
}

std::vector<Path> StitchPieces(const Arrangement& arr, const std::vector<int>& chosen,
                               bool leftTurns) {
  const size_t nodes = arr.NodeX.size();
  std::vector<std::vector<int>> out(nodes);
  std::vector<int> inDegree(nodes, 0);
  for (int p : chosen) {
    const Piece& piece = arr.Pieces[static_cast<size_t>(p)];
    out[static_cast<size_t>(piece.From)].push_back(p);
    ++inDegree[static_cast<size_t>(piece.To)];
  }
  std::vector<char> used(arr.Pieces.size(), 0);
  const double side = leftTurns ? 1.0 : -1.0;

  auto next = [&](const Curve& last, int node) {
    double tx, ty;
    TangentAt(last, 1.0, tx, ty);
    const double bendIn = Curvature(last);
    int best = -1;
    double bestTurn = 0.0, bestBend = 0.0;
    for (int p : out[static_cast<size_t>(node)]) {
      if (used[static_cast<size_t>(p)]) continue;
      const Curve& c = arr.Pieces[static_cast<size_t>(p)].C;
      double ux, uy;
      TangentAt(c, 0.0, ux, uy);
      double turn = Turn(tx, ty, ux, uy);
      if (std::fabs(turn) > std::numbers::pi - kTurnTol) {
        // Going back the way it came: the curvatures tell on which side the piece leaves.
        const double k = Curvature(c) + bendIn;
        if (k != 0.0) turn = k < 0.0 ? std::numbers::pi : -std::numbers::pi;
      }
      turn *= side;
      const double bend = side * Curvature(c);
      if (best < 0 || turn > bestTurn + kTurnTol ||
          (turn > bestTurn - kTurnTol && bend > bestBend)) {
        best = p;
        bestTurn = turn;
        bestBend = bend;
      }
    }
    return best;
  };

  auto walk = [&](int first) {
    Path path;
    int p = first;
    const int start = arr.Pieces[static_cast<size_t>(first)].From;
    while (p >= 0) {
      used[static_cast<size_t>(p)] = 1;
      const Piece& piece = arr.Pieces[static_cast<size_t>(p)];
      path.Curves.push_back(piece.C);
      if (piece.To == start) {
        path.Closed = true;
        break;
      }
      p = next(piece.C, piece.To);
    }
    path.Curves = JoinRuns(std::move(path.Curves), path.Closed);
    return path;
  };

  std::vector<Path> paths;
  for (int p : chosen) {
    const Piece& piece = arr.Pieces[static_cast<size_t>(p)];
    if (!used[static_cast<size_t>(p)] && inDegree[static_cast<size_t>(piece.From)] == 0) {
      paths.push_back(walk(p));
    }
  }
  for (int p : chosen) {
    if (!used[static_cast<size_t>(p)]) paths.push_back(walk(p));
  }
  return paths;
}

double PathLength(const Path& path) {
  double sum = 0.0;
  for (const Curve& c : path.Curves) sum += CurveLength(c);
  return sum;
}

double PathArea(const Path& path) {
  if (path.Curves.empty()) return 0.0;
  const double ox = path.Curves.front().X0, oy = path.Curves.front().Y0;
  double sum = 0.0;
  for (const Curve& c : path.Curves) sum += AreaTerm(c, ox, oy);
  return sum;
}

Contour ContourFromPath(const Path& path) {
  Contour contour;
  contour.Segs.reserve(path.Curves.size());
  for (const Curve& c : path.Curves) {
    contour.Segs.push_back(SegmentFromCurve(c));
    const Box b = BoxOf(c);
    contour.MinX = std::min(contour.MinX, b.MinX);
    contour.MinY = std::min(contour.MinY, b.MinY);
    contour.MaxX = std::max(contour.MaxX, b.MaxX);
    contour.MaxY = std::max(contour.MaxY, b.MaxY);
  }
  return contour;
}

bool Inside(const CurveSet& outline, double x, double y) {
  // The ray leaves towards the nearest side of the outline's box, so that it meets few curves of
  // a long, flat outline. It is cast towards +x in coordinates turned by a quarter, a half or
  // three quarters of a turn, which only swap and negate coordinates and so stay exact.
  const Box& all = outline.Bounds;
  const double reach[4] = {all.MaxX - x, all.MaxY - y, x - all.MinX, y - all.MinY};
  const int turn = static_cast<int>(std::min_element(reach, reach + 4) - reach);
  // Turning (px, py) by -turn quarters maps the ray's direction onto +x.
  const auto turned = [turn](double px, double py) {
    switch (turn) {
      case 1: return Vec{py, -px};
      case 2: return Vec{-px, -py};
      case 3: return Vec{-py, px};
      default: return Vec{px, py};
    }
  };
  Box ray{x, y, x, y};
  switch (turn) {
    case 1: ray.MaxY = HUGE_VAL; break;
    case 2: ray.MinX = -HUGE_VAL; break;
    case 3: ray.MinY = -HUGE_VAL; break;
    default: ray.MaxX = HUGE_VAL; break;
  }
  const Vec p = turned(x, y);
  RayParity parity(p.x, p.y, OnTolAt(x, y));
  outline.Index.Query(ray, [&](int32_t i) {
    const Curve& c = outline.Curves[static_cast<size_t>(i)];
    const Vec a = turned(c.X0, c.Y0);
    const Vec b = turned(c.X1, c.Y1);
    if (c.Arc) {
      const Vec m = turned(c.Cx, c.Cy);
      const bool full = outline.Shapes[static_cast<size_t>(i)].full;
      parity.AddArc(m.x, m.y, c.R, a.x, a.y, b.x, b.y, c.Sweep > 0.0, full);
    } else {
      parity.AddLine(a.x, a.y, b.x, b.y);
    }
  });
  return parity.Odd();
}

double NearestDistance(const CurveSet& set, double x, double y, double reach, int* nearest) {
  double best = reach;
  if (nearest) *nearest = -1;
  set.Index.Query(Box{x - reach, y - reach, x + reach, y + reach}, [&](int32_t i) {
    const double d = ShapeDistance(set.Shapes[static_cast<size_t>(i)], x, y);
    if (d < best) {
      best = d;
      if (nearest) *nearest = i;
    }
  });
  return best;
}

}  // namespace sulkor::host
