#include "contour/contour_area.h"

#include <cmath>

#include "contour/tolerances.h"

namespace sulkor {

double SignedArea(const Contour& contour) {
  if (contour.Empty()) return 0.0;
  double twice = 0.0;
  for (const Segment& s : contour.Segs) {
    if (s.IsCircle()) {
      twice += s.Direction * kTwoPi * s.Radius * s.Radius;
      continue;
    }
    twice += s.StartPt.x * s.EndPt.y - s.EndPt.x * s.StartPt.y;
    if (s.IsArc() && s.Radius > 0.0) {
      // The circular segment between the chord and the arc: r^2 (sweep - sin sweep) / 2, on the
      // left of the chord for a counterclockwise arc.
      const double sweep = s.Length / s.Radius;
      twice += s.Direction * s.Radius * s.Radius * (sweep - std::sin(sweep));
    }
  }
  const Point3& first = contour.First().StartPt;
  const Point3& last = contour.Last().EndPt;
  twice += last.x * first.y - first.x * last.y;
  return twice / 2.0;
}

}  // namespace sulkor
