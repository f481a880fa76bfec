// Test support for the work geometry preparation: groove drawings set up in a memory host and
// prepared, and a small independent geometry of densified outlines (area, extents, point inside,
// distance) to judge what the preparation leaves in the working contours.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "contour/records.h"
#include "workarea/work_geometry.h"
#include "operation/operation_state.h"
#include "operation/tool.h"
#include "host/memory/scene.h"
#include "sulkor/groove.h"
#include "testing/test_grooves.h"
#include "groove/groove_state.h"

namespace sulkor::testing {

// ---- Densified outlines -------------------------------------------------------------------

struct Pt {
  double x = 0.0;
  double y = 0.0;
};

// The contour as a polyline whose arcs are cut into chords of at most `step` (and at most 2
// degrees). Arcs are read from their centre, ends and direction only.
inline std::vector<Pt> Densify(const Contour& contour, double step = 0.02) {
  std::vector<Pt> points;
  for (const Segment& s : contour.Segs) {
    if (points.empty()) points.push_back({s.StartPt.x, s.StartPt.y});
    if (s.IsArc() || s.IsCircle()) {
      const double r = std::hypot(s.StartPt.x - s.Center.x, s.StartPt.y - s.Center.y);
      const double a0 = std::atan2(s.StartPt.y - s.Center.y, s.StartPt.x - s.Center.x);
      const double a1 = std::atan2(s.EndPt.y - s.Center.y, s.EndPt.x - s.Center.x);
      const double full = 2.0 * std::numbers::pi;
      double sweep = s.Direction == 1 ? std::fmod(a1 - a0 + 2 * full, full)
                                      : -std::fmod(a0 - a1 + 2 * full, full);
      if (std::fabs(sweep) < 1e-12) sweep = s.Direction == 1 ? full : -full;
      const int n = std::max(
          2, static_cast<int>(std::ceil(std::max(std::fabs(sweep) * r / step,
                                                 std::fabs(sweep) / (std::numbers::pi / 90.0)))));
      for (int k = 1; k < n; ++k) {
        const double a = a0 + sweep * k / n;
        points.push_back({s.Center.x + r * std::cos(a), s.Center.y + r * std::sin(a)});
      }
    }
    points.push_back({s.EndPt.x, s.EndPt.y});
  }
  return points;
}

// Signed area (counterclockwise positive) of the closed polyline.
inline double Area(const std::vector<Pt>& p) {
  double a = 0.0;
  for (size_t i = 0; i < p.size(); ++i) {
    const Pt& u = p[i];
    const Pt& v = p[(i + 1) % p.size()];
    a += u.x * v.y - v.x * u.y;
  }
  return a / 2.0;
}

inline double Area(const Contour& c) { return Area(Densify(c, 0.002)); }

struct Box {
  double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
};

inline Box Bounds(const std::vector<Pt>& p) {
  Box b;
  for (const Pt& q : p) {
    b.minX = std::min(b.minX, q.x);
    b.minY = std::min(b.minY, q.y);
    b.maxX = std::max(b.maxX, q.x);
    b.maxY = std::max(b.maxY, q.y);
  }
  return b;
}

inline Box Bounds(const Contour& c) { return Bounds(Densify(c, 0.002)); }

// Even-odd test against the closed polyline.
inline bool Inside(const std::vector<Pt>& p, Pt q) {
  bool in = false;
  for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
    if ((p[i].y > q.y) != (p[j].y > q.y) &&
        q.x < (p[j].x - p[i].x) * (q.y - p[i].y) / (p[j].y - p[i].y) + p[i].x) {
      in = !in;
    }
  }
  return in;
}

// Distance from q to the polyline (closed: the last point joins the first).
inline double Distance(const std::vector<Pt>& p, Pt q, bool closed = true) {
  double best = 1e300;
  const size_t n = closed ? p.size() : p.size() - 1;
  for (size_t i = 0; i < n; ++i) {
    const Pt& a = p[i];
    const Pt& b = p[(i + 1) % p.size()];
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((q.x - a.x) * dx + (q.y - a.y) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    best = std::min(best, std::hypot(q.x - a.x - t * dx, q.y - a.y - t * dy));
  }
  return best;
}

// A closed outline that ends where it starts.
inline bool ClosesOnItself(const Contour& c, double tol = 1e-6) {
  return !c.Empty() && std::fabs(c.First().StartPt.x - c.Last().EndPt.x) < tol &&
         std::fabs(c.First().StartPt.y - c.Last().EndPt.y) < tol;
}

// Every segment starts where the one before it ends.
inline bool Connected(const Contour& c, double tol = 1e-6) {
  for (int32_t i = 1; i < c.Count(); ++i) {
    if (std::fabs(c.Seg(i).StartPt.x - c.Seg(i - 1).EndPt.x) > tol ||
        std::fabs(c.Seg(i).StartPt.y - c.Seg(i - 1).EndPt.y) > tol) {
      return false;
    }
  }
  return true;
}

// ---- Prepared scenes ----------------------------------------------------------------------

struct SceneSetup {
  Contour blank;
  Contour work;
  std::string trajectoryType = "Turn";
  std::string direction = "External";
  double toolWidth = 3.0;
  double cornerRadius = 0.2;
  double finish = 0.5;
  std::string toolOrientation;         // the tool's CAM_ToolOrientation as the table holds it
  std::optional<Contour> lastPartBlank;  // a "LastPartBlank" in the operation's group
  bool otherOperationWithTool = false;   // a second operation that uses the same tool
  std::string workName = "WorkContour";  // the name the work graphic carries
};

struct PreparedScene {
  host::GrooveScene scene;
  std::unique_ptr<Groove> groove;
  bool ok = false;

  OperationState& State() const { return StateOf(*groove); }
  const std::vector<host::RecordingMessageBox::Shown>& Messages() const {
    return scene.host.messages->Messages();
  }
};

// Builds the drawing in a memory host, loads the tool and runs the preparation.
inline PreparedScene RunPreparation(const SceneSetup& setup) {
  host::SceneTool tool;
  tool.width = setup.toolWidth;
  tool.cornerRadius = setup.cornerRadius;
  tool.orientation = setup.toolOrientation;
  PreparedScene p;
  p.scene = host::BuildGrooveScene(setup.blank, setup.work, tool);
  p.scene.workContour->SetName(setup.workName);
  if (setup.lastPartBlank) {
    host::AddContourPolyline(*p.scene.blockSet->GraphicGroup()->Children(), *setup.lastPartBlank,
                             kLastPartBlankName);
  }
  if (setup.otherOperationWithTool) host::AddOperation(p.scene, p.scene.workContour, tool.number);
  p.groove = std::make_unique<Groove>(p.scene.host.environment);
  OperationState& state = StateOf(*p.groove);
  state.params.TrajectoryType = setup.trajectoryType;
  state.params.Direction = setup.direction;
  state.params.FinishThickness = setup.finish;
  state.contours.ResetAll();
  const Handle<BlockSet> blockSet(p.scene.blockSet);
  if (!LoadTool(state, blockSet)) return p;
  p.ok = PrepareWorkGeometry(state, blockSet, Handle<GraphicSet>(p.scene.contourSet));
  return p;
}


// ---- Grooves a machinist draws, in the frame of each kind of work ---------------------------

// A groove drawing with what it must give: the region to machine spans a from aMin to aMax and
// d from 0 (the surface) to depth, with the given area; the outline to clear has clearArea when
// it is known by hand (else negative). Tool 3 wide with corner radius 0.2, finish 0.5.
struct GrooveShape {
  const char* name;
  std::function<Contour(const GrooveFrame&)> draw;
  double area;
  double aMin, aMax, depth;
  double clearArea = -1.0;
};

inline const std::vector<GrooveShape>& MachinistGrooves() {
  static const double quarter = 1.0 - std::numbers::pi / 4.0;  // a corner's fillet, radius 1
  static const std::vector<GrooveShape> shapes = {
      {"Rectangular",
       [](const GrooveFrame& f) {
         return Profile(f, -5, -3).LineTo(-5, 6).LineTo(5, 6).LineTo(5, -3).Build();
       },
       60.0, -5, 5, 6, 8.6 * 5.3},
      {"CornerRadii",
       [](const GrooveFrame& f) {
         return Profile(f, -5, -3)
             .LineTo(-5, 5)
             .ArcTo(-4, 6, -4, 5, 1)
             .LineTo(4, 6)
             .ArcTo(5, 5, 4, 5, 1)
             .LineTo(5, -3)
             .Build();
       },
       60.0 - 2.0 * quarter, -5, 5, 6, 8.6 * 5.3 - 2.0 * 0.09 * quarter},
      {"Chamfered",
       [](const GrooveFrame& f) {
         return Profile(f, -9, -3)
             .LineTo(-5, 1)
             .LineTo(-5, 6)
             .LineTo(5, 6)
             .LineTo(5, 1)
             .LineTo(9, -3)
             .Build();
       },
       61.0, -6, 6, 6},
      {"Dovetail",  // walls leaning outwards going down: only the 8 wide mouth can be plunged
       [](const GrooveFrame& f) {
         return Profile(f, -3.5, -3).LineTo(-5, 6).LineTo(5, 6).LineTo(3.5, -3).Build();
       },
       48.0, -4, 4, 6, 6.6 * 5.3},
      {"SteppedBottom",
       [](const GrooveFrame& f) {
         return Profile(f, -5, -3)
             .LineTo(-5, 6)
             .LineTo(0, 6)
             .LineTo(0, 4)
             .LineTo(5, 4)
             .LineTo(5, -3)
             .Build();
       },
       50.0, -5, 5, 6},
      {"VSlot",  // 8 wide at the surface, 3 (the tool) wide 5 deep: closed there
       [](const GrooveFrame& f) {
         return Profile(f, -5.5, -3).LineTo(0, 8).LineTo(5.5, -3).Build();
       },
       27.5, -4, 4, 5},
      {"NarrowSpike",  // a spike of material 1 wide and 3 high stands on the bottom
       [](const GrooveFrame& f) {
         return Profile(f, -8, -3)
             .LineTo(-8, 6)
             .LineTo(-0.5, 6)
             .LineTo(0, 3)
             .LineTo(0.5, 6)
             .LineTo(8, 6)
             .LineTo(8, -3)
             .Build();
       },
       94.5, -8, 8, 6},
  };
  return shapes;
}

inline SceneSetup SetupFor(const GrooveFrame& frame, const Contour& work) {
  SceneSetup setup;
  setup.blank = MakePolygon(frame.blank);
  setup.work = work;
  setup.trajectoryType = frame.TrajectoryType();
  setup.direction = frame.Direction();
  return setup;
}

// The frame's box of a range of a and d, in x and y.
inline Box FrameBox(const GrooveFrame& f, double a0, double a1, double d0, double d1) {
  return Bounds(std::vector<Pt>{{f.X(a0, d0), f.Y(a0, d0)}, {f.X(a1, d1), f.Y(a1, d1)}});
}

}  // namespace sulkor::testing
