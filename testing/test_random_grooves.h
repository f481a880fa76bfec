// Random but valid groove drawings on random blanks of the four kinds of work, from a fixed seed:
// walls, bottoms and slopes of lines and arcs, now and then an overhang, drawn either way.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "contour/primitives.h"
#include "contour/segment_build.h"
#include "testing/scenes.h"

namespace sulkor::testing {

// Uniform numbers from the raw generator, the same on every standard library.
class Random {
 public:
  explicit Random(uint32_t seed) : engine_(seed) {}
  double Uniform(double lo, double hi) {
    return lo + (hi - lo) * static_cast<double>(engine_()) / 4294967296.0;
  }
  int Int(int lo, int hi) {  // lo to hi inclusive
    return lo + static_cast<int>(engine_() % static_cast<uint32_t>(hi - lo + 1));
  }
  bool Chance(double p) { return Uniform(0.0, 1.0) < p; }

 private:
  std::mt19937 engine_;
};

// A blank of the kind (0 to 3: outside diameter, bore, front face, back face), the frame that
// places grooves into it, and how thick its stock is below the surface.
inline GrooveFrame RandomFrame(Random& rnd, int kind, double& thickness) {
  const double length = rnd.Uniform(40.0, 150.0);
  const double radius = rnd.Uniform(25.0, 80.0);
  const std::vector<double> bar = {0, 0, length, 0, length, radius, 0, radius};
  if (kind == 1) {
    const double inner = rnd.Uniform(6.0, 30.0);
    const double outer = inner + rnd.Uniform(18.0, 40.0);
    thickness = outer - inner;
    return {"Bore", WorkKind::Bore, {0, inner, length, inner, length, outer, 0, outer}, inner,
            length * rnd.Uniform(0.35, 0.65)};
  }
  thickness = kind == 0 ? radius : length;
  if (kind == 0) return {"OutsideDiameter", WorkKind::OutsideDiameter, bar, radius, length * rnd.Uniform(0.35, 0.65)};
  const double middle = radius * rnd.Uniform(0.45, 0.55);
  if (kind == 2) return {"FrontFace", WorkKind::FrontFace, bar, length, middle};
  return {"BackFace", WorkKind::BackFace, bar, 0.0, middle};
}

// A line, or an arc bulging by up to a quarter of its chord to either side.
inline Segment RandomPiece(Random& rnd, double x1, double y1, double x2, double y2) {
  if (rnd.Chance(0.6)) return MakeLine(x1, y1, x2, y2);
  const double c = std::hypot(x2 - x1, y2 - y1);
  double s = rnd.Uniform(0.05, 0.25) * c;  // sagitta
  if (rnd.Chance(0.5)) s = -s;
  const double nx = -(y2 - y1) / c, ny = (x2 - x1) / c;
  const double radius = (c * c / 4.0 + s * s) / (2.0 * std::fabs(s));
  // Bulging left (s > 0) turns clockwise about a centre on the right, and the other way round.
  const double k = s > 0 ? -(radius - s) : radius + s;
  return MakeArc(x1, y1, x2, y2, (x1 + x2) / 2 + k * nx, (y1 + y2) / 2 + k * ny, s > 0 ? -1 : 1);
}

// A groove profile drawn from above the surface down into the blank and back out.
inline Contour RandomProfile(Random& rnd, const GrooveFrame& f, double thickness, bool& reversed) {
  const double width = rnd.Uniform(2.0, f.CrossIsX() ? 25.0 : std::min(25.0, 1.4 * f.middle));
  const double depth = rnd.Uniform(1.0, std::min(15.0, thickness - 4.0));
  const double above = rnd.Uniform(0.5, 4.0);
  std::vector<std::pair<double, double>> pts;  // (a, d)
  pts.push_back({-width / 2.0 - rnd.Uniform(-1.0, 1.5), -above});
  const int inner = rnd.Int(2, 6);
  for (int i = 0; i < inner; ++i) {
    // Now and then a point steps back along a: an overhang, a leaning wall.
    const double back = rnd.Chance(0.25) ? rnd.Uniform(0.5, 1.5) : 0.0;
    const double a = -width / 2.0 + width * (i + rnd.Uniform(0.1, 0.9) - back) / inner;
    const double d = depth * rnd.Uniform(0.3, 1.0);
    const bool wall = i == 0 && rnd.Chance(0.5);  // a straight wall down from the surface
    pts.push_back({wall ? pts.back().first : a, d});
  }
  pts.push_back({width / 2.0 + rnd.Uniform(-1.0, 1.5), -above});
  std::vector<Segment> segs;
  for (size_t i = 0; i + 1 < pts.size(); ++i) {
    const auto [a1, d1] = pts[i];
    const auto [a2, d2] = pts[i + 1];
    segs.push_back(RandomPiece(rnd, f.X(a1, d1), f.Y(a1, d1), f.X(a2, d2), f.Y(a2, d2)));
  }
  Contour work = MakeContour(segs);
  reversed = rnd.Chance(0.3);
  if (reversed) ReverseContour(work);
  return work;
}

// The i-th drawing of a random set: kind i % 4, mostly with the direction parameter that takes
// the groove's side, a random tool and finish.
inline SceneSetup RandomGroove(Random& rnd, int i, GrooveFrame& frame) {
  double thickness = 0.0;
  frame = RandomFrame(rnd, i % 4, thickness);
  SceneSetup setup;
  setup.blank = MakePolygon(frame.blank);
  setup.trajectoryType = frame.TrajectoryType();
  bool reversed = false;
  setup.work = RandomProfile(rnd, frame, thickness, reversed);
  const bool groovesSide = rnd.Chance(0.9);
  const std::string own = frame.Direction();
  setup.direction = reversed != groovesSide ? own : own == "External" ? "Internal" : "External";
  setup.toolWidth = rnd.Uniform(1.0, 6.0);
  setup.cornerRadius = rnd.Chance(0.2) ? 0.0 : rnd.Uniform(0.0, setup.toolWidth / 2.0 - 0.01);
  setup.finish = rnd.Chance(0.2) ? 0.0 : rnd.Uniform(0.05, 1.0);
  return setup;
}

}  // namespace sulkor::testing
