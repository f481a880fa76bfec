// Turned-part profiles for the tests and the timings of the geometry services.
//
// The profile: a left face, then units of ten segments along +x (a flat, a chamfer down, a
// groove wall, a corner fillet, the groove bottom, a fillet, the other wall, a chamfer up, a flat
// and a half-circle groove of radius 0.8), a right face and the axis back to the start. Seven
// units make 73 segments, a hundred make 1003.
#pragma once

#include <cstdint>
#include <vector>

#include "contour/records.h"
#include "contour/segment_build.h"

namespace sulkor::testing {

inline constexpr double kProfileTop = 20.0;
inline constexpr double kProfileUnit = 8.0;

// The top of the profile, an open chain from the left face's top to the right face's top.
inline std::vector<Segment> ProfileTop(int units) {
  std::vector<Segment> segs;
  double x = 0.0;
  const double h = kProfileTop;
  for (int k = 0; k < units; ++k) {
    segs.push_back(MakeLine(x, h, x + 1.5, h));
    segs.push_back(MakeLine(x + 1.5, h, x + 2.0, h - 0.5));
    segs.push_back(MakeLine(x + 2.0, h - 0.5, x + 2.0, h - 2.7));
    segs.push_back(MakeArc(x + 2.0, h - 2.7, x + 2.3, h - 3.0, x + 2.3, h - 2.7, 1));
    segs.push_back(MakeLine(x + 2.3, h - 3.0, x + 3.7, h - 3.0));
    segs.push_back(MakeArc(x + 3.7, h - 3.0, x + 4.0, h - 2.7, x + 3.7, h - 2.7, 1));
    segs.push_back(MakeLine(x + 4.0, h - 2.7, x + 4.0, h - 0.5));
    segs.push_back(MakeLine(x + 4.0, h - 0.5, x + 4.5, h));
    segs.push_back(MakeLine(x + 4.5, h, x + 6.4, h));
    segs.push_back(MakeArc(x + 6.4, h, x + 8.0, h, x + 7.2, h, 1));  // below the centre
    x += kProfileUnit;
  }
  return segs;
}

// The number of units of a profile of about this many segments.
inline int UnitsFor(int64_t segments) { return static_cast<int>((segments - 3) / 10); }

inline Contour ProfileChain(int units) { return MakeContour(ProfileTop(units)); }

inline Contour ClosedProfile(int units) {
  std::vector<Segment> segs{MakeLine(0, 0, 0, kProfileTop)};
  for (Segment& s : ProfileTop(units)) segs.push_back(s);
  const double end = kProfileUnit * units;
  segs.push_back(MakeLine(end, kProfileTop, end, 0));
  segs.push_back(MakeLine(end, 0, 0, 0));
  return MakeContour(std::move(segs));
}

// The contour scaled by `scale` about the origin, then moved by (dx, dy).
inline Contour Placed(const Contour& c, double dx, double dy, double scale = 1.0) {
  Contour m = c;
  for (Segment& s : m.Segs) {
    for (Point3* p : {&s.StartPt, &s.EndPt, &s.Center, &s.MidPt}) {
      p->x = p->x * scale + dx;
      p->y = p->y * scale + dy;
    }
    s.Radius *= scale;
    s.Length *= scale;
  }
  if (c.MinX <= c.MaxX) {
    m.MinX = c.MinX * scale + dx;
    m.MaxX = c.MaxX * scale + dx;
    m.MinY = c.MinY * scale + dy;
    m.MaxY = c.MaxY * scale + dy;
  }
  return m;
}

}  // namespace sulkor::testing
